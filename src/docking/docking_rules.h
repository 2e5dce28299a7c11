// Placement geometry of the deck that does not need the platform: pulling the deck onto nearby
// screen edges.
#pragma once

enum { SCREEN_SNAP_DISTANCE = 16 };  // pixels

struct PlaceRect {
    int left, top, right, bottom;
};

// The deck's new left and top after snapping to the desktop's edges: an edge lying within the
// snap distance inside the desktop's edge is moved onto it (position only; the size stays).
void SnapToScreenEdges(const PlaceRect& desktop, const PlaceRect& deck, int* leftOut, int* topOut);
