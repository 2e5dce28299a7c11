// Screen-edge snapping (see docking_rules.h).
#include "docking/docking_rules.h"

void SnapToScreenEdges(const PlaceRect& desktop, const PlaceRect& deck, int* leftOut, int* topOut) {
    int width = deck.right - deck.left, height = deck.bottom - deck.top;
    int left = deck.left, top = deck.top;
    if (deck.left >= desktop.left && deck.left <= desktop.left + SCREEN_SNAP_DISTANCE) left = desktop.left;
    if (deck.top >= desktop.top && deck.top <= desktop.top + SCREEN_SNAP_DISTANCE) top = desktop.top;
    if (deck.right >= desktop.right - SCREEN_SNAP_DISTANCE && deck.right <= desktop.right) left = desktop.right - width;
    if (deck.bottom >= desktop.bottom - SCREEN_SNAP_DISTANCE && deck.bottom <= desktop.bottom)
        top = desktop.bottom - height;
    *leftOut = left;
    *topOut = top;
}
