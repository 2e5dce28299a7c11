// The placement geometry: the screen-edge snap, the magnet's choice of side, the selector's sides
// as the deck sees them, and which half of the deck a drag grabbed.
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
        {10,  500, 0,   500},
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

// A deck of the given size at (left, top) beside a selector of the same size at (400, 400).
PlaceRect At(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

TEST(DockingRules, TheMagnetPicksTheSideFacingTheSelectorWithinThirtyTwoPixels) {
    struct Case {
        int mag;         // the deck's and the selector's size factor
        int dx, dy;      // the deck's offset from the selector, in units of the mag
        int gapX, gapY;  // extra pixels between them
        int want;
        const char* what;
    };
    const Case cases[] = {
        {1, 0,  -1, 0,   -20, DOCK_ABOVE_SELECTOR,    "20 px above"                   },
        {1, 0,  -1, 0,   -31, DOCK_ABOVE_SELECTOR,    "31 px above"                   },
        {1, 0,  -1, 0,   -32, DOCK_NONE,              "32 px above: out of reach"     },
        {1, 0,  -1, 0,   -40, DOCK_NONE,              "40 px above"                   },
        {1, 0,  1,  0,   16,  DOCK_BELOW_SELECTOR,    "16 px below"                   },
        {1, 0,  1,  0,   33,  DOCK_NONE,              "33 px below"                   },
        {1, 1,  0,  20,  0,   DOCK_RIGHT_OF_SELECTOR, "20 px right"                   },
        {1, -1, 0,  -20, 0,   DOCK_LEFT_OF_SELECTOR,  "20 px left"                    },
        {1, -1, 0,  -32, 0,   DOCK_NONE,              "32 px left"                    },
        {2, 0,  -1, 0,   -20, DOCK_ABOVE_SELECTOR,    "double size, 20 px above"      },
        {2, 1,  0,  31,  0,   DOCK_RIGHT_OF_SELECTOR, "double size, 31 px right"      },
        {2, 0,  1,  0,   40,  DOCK_NONE,              "double size, 40 px below"      },
        {1, 0,  0,  0,   0,   DOCK_ABOVE_SELECTOR,    "on top of it: ties keep bottom"},
    };
    for (const Case& c : cases) {
        int w = 400 * c.mag, h = 105 * c.mag;
        PlaceRect selector = At(400, 400, w, h);
        PlaceRect deck = At(400 + c.dx * w + c.gapX, 400 + c.dy * h + c.gapY, w, h);
        EXPECT_EQ(c.want, ChooseDockSide(deck, selector)) << c.what;
    }
}

TEST(DockingRules, TheBandCoveredMoreWinsAndAStrictlyGreaterScoreIsNeeded) {
    // A narrow selector reaching up along the deck's right edge covers the bottom and top bands
    // 5 % and the right band 80 %: the deck goes to the left of it.
    PlaceRect deck = At(0, 0, 400, 100);
    EXPECT_EQ(DOCK_LEFT_OF_SELECTOR, ChooseDockSide(deck, {380, 20, 480, 300}));
    EXPECT_EQ(DOCK_ABOVE_SELECTOR, ChooseDockSide(deck, {300, 110, 700, 200}));  // 25 % of the bottom band only
}

TEST(DockingRules, AtStartTheDeckGoesBelowOnlyWithoutRoomAbove) {
    EXPECT_EQ(DOCK_BELOW_SELECTOR, StartDockSide(104, 105));
    EXPECT_EQ(DOCK_ABOVE_SELECTOR, StartDockSide(105, 105));
}

TEST(DockingRules, TheSelectorsSideIsTheOppositeSideForTheDeck) {
    const int want[] = {DOCK_NONE, DOCK_LEFT_OF_SELECTOR, DOCK_ABOVE_SELECTOR, DOCK_RIGHT_OF_SELECTOR,
                        DOCK_BELOW_SELECTOR};
    for (int s = 0; s <= 4; ++s) EXPECT_EQ(want[s], DeckSideFromSelectorSide(s)) << s;
    EXPECT_EQ(DOCK_NONE, DeckSideFromSelectorSide(5));
    EXPECT_EQ(DOCK_NONE, DeckSideFromSelectorSide(-1));
}

TEST(DockingRules, AGrabInTheHalfFacingTheSelectorMovesThePair) {
    struct Case {
        int side, x, y, want;
    };
    const Case cases[] = {
  // 400 x 105 deck
        {DOCK_RIGHT_OF_SELECTOR, 199, 50, 0},
        {DOCK_RIGHT_OF_SELECTOR, 200, 50, 1},
        {DOCK_LEFT_OF_SELECTOR,  200, 50, 0},
        {DOCK_LEFT_OF_SELECTOR,  199, 50, 1},
        {DOCK_BELOW_SELECTOR,    10,  51, 0},
        {DOCK_BELOW_SELECTOR,    10,  52, 1},
        {DOCK_ABOVE_SELECTOR,    10,  52, 0},
        {DOCK_ABOVE_SELECTOR,    10,  51, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, GrabbedHalf(c.side, 400, 105, c.x, c.y)) << c.side << " " << c.x;
}

}  // namespace
