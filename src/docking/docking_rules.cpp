// Docking and snapping geometry (see docking_rules.h).
#include "docking/docking_rules.h"
#include <algorithm>
#include <cstdint>

namespace {
int Width(const PlaceRect& r) { return r.right - r.left; }
int Height(const PlaceRect& r) { return r.bottom - r.top; }

// The overlap of two rectangles along one axis; 0 when they do not meet.
int Overlap(int aLow, int aHigh, int bLow, int bHigh) {
    return std::max(0, std::min(aHigh, bHigh) - std::max(aLow, bLow));
}

int Meets(const PlaceRect& a, const PlaceRect& b) {
    return Overlap(a.left, a.right, b.left, b.right) > 0 && Overlap(a.top, a.bottom, b.top, b.bottom) > 0;
}

// a * b / c rounded to the nearest integer, as the platform's multiply-divide does.
int64_t MulDivRound(int64_t a, int64_t b, int64_t c) {
    int64_t p = a * b;
    return p >= 0 ? (p + c / 2) / c : (p - c / 2) / c;
}

// Percent of a horizontal band's width (or a vertical band's height) the selector covers; a band
// the selector does not meet at all scores 0.
int BandScore(const PlaceRect& band, const PlaceRect& selector, int horizontal) {
    if (!Meets(band, selector)) return 0;
    int64_t covered = horizontal ? Overlap(band.left, band.right, selector.left, selector.right)
                                 : Overlap(band.top, band.bottom, selector.top, selector.bottom);
    int64_t length = horizontal ? Width(band) : Height(band);
    return length > 0 ? (int)MulDivRound(covered, 100, length) : 0;
}
}  // namespace

void SnapToScreenEdges(const PlaceRect& desktop, const PlaceRect& deck, int* leftOut, int* topOut) {
    int width = Width(deck), height = Height(deck);
    int left = deck.left, top = deck.top;
    if (deck.left >= desktop.left && deck.left <= desktop.left + SCREEN_SNAP_DISTANCE) left = desktop.left;
    if (deck.top >= desktop.top && deck.top <= desktop.top + SCREEN_SNAP_DISTANCE) top = desktop.top;
    if (deck.right >= desktop.right - SCREEN_SNAP_DISTANCE && deck.right <= desktop.right) left = desktop.right - width;
    if (deck.bottom >= desktop.bottom - SCREEN_SNAP_DISTANCE && deck.bottom <= desktop.bottom)
        top = desktop.bottom - height;
    *leftOut = left;
    *topOut = top;
}

int ChooseDockSide(const PlaceRect& deck, const PlaceRect& selector) {
    const int m = DOCK_MAGNET_DISTANCE;
    PlaceRect reach = {deck.left - m, deck.top - m, deck.right + m, deck.bottom + m};
    if (!Meets(reach, selector)) return DOCK_NONE;
    struct Band {
        PlaceRect rect;  // 2 x magnet across one edge of the deck
        int horizontal;  // scored by width (top and bottom bands) or by height
        int side;        // where the deck goes when this band wins
    };
    const Band bands[] = {
        {{deck.left, deck.bottom - m, deck.right, deck.bottom + m}, 1, DOCK_ABOVE_SELECTOR   },
        {{deck.left, deck.top - m, deck.right, deck.top + m},       1, DOCK_BELOW_SELECTOR   },
        {{deck.left - m, deck.top, deck.left + m, deck.bottom},     0, DOCK_RIGHT_OF_SELECTOR},
        {{deck.right - m, deck.top, deck.right + m, deck.bottom},   0, DOCK_LEFT_OF_SELECTOR },
    };
    int best = 0, side = DOCK_NONE;
    for (const Band& b : bands) {
        int score = BandScore(b.rect, selector, b.horizontal);
        if (score > best) {
            best = score;
            side = b.side;
        }
    }
    return side;
}

void DockedPlace(int side, const PlaceRect& selector, const PlaceRect& deck, int* leftOut, int* topOut) {
    int left = deck.left, top = deck.top;
    switch (side) {
    case DOCK_RIGHT_OF_SELECTOR: left = selector.right, top = selector.top; break;
    case DOCK_BELOW_SELECTOR: left = selector.left, top = selector.bottom; break;
    case DOCK_LEFT_OF_SELECTOR: left = selector.left - Width(deck), top = selector.top; break;
    case DOCK_ABOVE_SELECTOR: left = selector.left, top = selector.top - Height(deck); break;
    }
    *leftOut = left;
    *topOut = top;
}

int DeckSideFromSelectorSide(int selectorSide) {
    // selector's side of the deck: 0 undock, 1 right, 2 below, 3 left, 4 above
    static const int DECK_SIDE[] = {DOCK_NONE, DOCK_LEFT_OF_SELECTOR, DOCK_ABOVE_SELECTOR, DOCK_RIGHT_OF_SELECTOR,
                                    DOCK_BELOW_SELECTOR};
    return selectorSide >= 0 && selectorSide <= 4 ? DECK_SIDE[selectorSide] : DOCK_NONE;
}

int StartDockSide(int selectorTop, int deckHeight) {
    return selectorTop - deckHeight < 0 ? DOCK_BELOW_SELECTOR : DOCK_ABOVE_SELECTOR;
}

int GrabbedHalf(int side, int deckWidth, int deckHeight, int x, int y) {
    int facing = 0;
    switch (side) {
    case DOCK_RIGHT_OF_SELECTOR: facing = x < deckWidth / 2; break;
    case DOCK_BELOW_SELECTOR: facing = y < deckHeight / 2; break;
    case DOCK_LEFT_OF_SELECTOR: facing = x >= deckWidth / 2; break;
    case DOCK_ABOVE_SELECTOR: facing = y >= deckHeight / 2; break;
    }
    return facing ? 0 : 1;
}

void PullOntoScreen(const PlaceRect& window, int screenWidth, int screenHeight, int* leftOut, int* topOut) {
    int left = std::max(0, window.left), top = std::max(0, window.top);
    int right = left + Width(window), bottom = top + Height(window);
    if (right > screenWidth) left -= right - screenWidth;
    if (bottom > screenHeight) top -= bottom - screenHeight;
    *leftOut = left;
    *topOut = top;
}
