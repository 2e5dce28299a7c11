// Snapping the deck to the screen edges.
#include "docking/docking_rules.h"
#include <gtest/gtest.h>

namespace {
TEST(DockingRules, EdgesWithinSixteenPixelsInsideTheScreenSnap) {
    const PlaceRect screen = {0, 0, 1280, 1024};
    struct Case {
        int left, top, wantLeft, wantTop;
    };
    const Case cases[] = {
  // a 400 x 105 deck placed at left, top
        {16,  16,  0,   0  }, // just inside: snaps
        {17,  17,  17,  17 }, // beyond the distance
        {0,   500, 0,   500},
        {-5,  -5,  -5,  -5 }, // outside the screen: left alone
        {864, 903, 880, 919}, // right 1264 and bottom 1008 snap to the far edges
        {863, 902, 863, 902},
        {880, 919, 880, 919},
        {890, 930, 890, 930}, // past the far edges: left alone
    };
    for (const Case& c : cases) {
        int left = 0, top = 0;
        SnapToScreenEdges(screen, {c.left, c.top, c.left + 400, c.top + 105}, &left, &top);
        EXPECT_EQ(c.wantLeft, left) << c.left;
        EXPECT_EQ(c.wantTop, top) << c.top;
    }
}
}  // namespace
