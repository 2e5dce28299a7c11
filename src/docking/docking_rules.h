// Placement geometry of the deck beside the selector program and on the screen, free of the
// platform: the magnet that picks a docking side, where each side puts the deck, the selector's
// sides as the deck sees them, which half of the deck a drag grabbed, and the screen-edge snap.
#pragma once

enum { SCREEN_SNAP_DISTANCE = 16 };  // pixels
enum { DOCK_MAGNET_DISTANCE = 32 };  // pixels

// Where the deck sits relative to the selector (the deck's dockSide).
enum {
    DOCK_NONE = 0,
    DOCK_RIGHT_OF_SELECTOR = 1,
    DOCK_BELOW_SELECTOR = 2,
    DOCK_LEFT_OF_SELECTOR = 3,
    DOCK_ABOVE_SELECTOR = 4,
};

struct PlaceRect {
    int left, top, right, bottom;
};

// The deck's new left and top after snapping to the desktop's edges: an edge lying within the
// snap distance inside the desktop's edge is moved onto it (position only; the size stays).
void SnapToScreenEdges(const PlaceRect& desktop, const PlaceRect& deck, int* leftOut, int* topOut);

// The magnet: the side the deck docks on when dropped at deck, or DOCK_NONE when the selector
// lies farther than the magnet distance or no band across the deck's edges touches it. Each
// band is twice the magnet distance wide across one edge of the deck and scores the share (in
// percent) of its length the selector covers; ties keep the earlier band (bottom, top, left,
// right).
int ChooseDockSide(const PlaceRect& deck, const PlaceRect& selector);

// The deck's left and top when docked on side (1..4) of the selector; other sides leave the
// deck where it is.
void DockedPlace(int side, const PlaceRect& selector, const PlaceRect& deck, int* leftOut, int* topOut);

// The selector names the side of the deck it docked on; the deck then sits on the opposite side
// of the selector (1 <-> 3, 2 <-> 4). 0 and unknown sides undock.
int DeckSideFromSelectorSide(int selectorSide);

// Start-up docking: above the selector, or below it when there is no room above.
int StartDockSide(int selectorTop, int deckHeight);

// 0 when the point (window coordinates) lies in the half of the deck facing the selector for
// side 1..4, so the pair moves together; 1 when it lies in the other half, so the deck is pulled
// away.
int GrabbedHalf(int side, int deckWidth, int deckHeight, int x, int y);

// The selector's left and top pulled onto a screen of the given size (negative coordinates to 0,
// an edge beyond the screen moved back).
void PullOntoScreen(const PlaceRect& window, int screenWidth, int screenHeight, int* leftOut, int* topOut);
