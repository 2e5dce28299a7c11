// Docking beside the selector. The placement geometry: the screen-edge snap, the magnet's choice
// of side, the selector's sides as the deck sees them, and which half of the deck a drag grabbed.
// Then the deck's side of the selector protocol over scripted windows: what is sent when, where
// the deck ends up after docking, drags and the selector's requests, and when docking is refused.
#include "docking/docking.h"
#include "docking/docking_rules.h"
#include "docking/dock_windows.h"
#include "base/window_messages.h"
#include "settings/settings.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

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

const int W = 400, H = 105;  // the deck at single size

class Docking : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFakeDock();
        ResetDocking();
        Layout().mag = 1;
        FakeDock().selectorExists = 1;
        FakeDock().selector = {300, 400, 700, 505};
    }
    // The messages sent so far as "message:lParam", then forgotten.
    std::vector<std::string> Sent() {
        std::vector<std::string> out;
        for (int i = 0; i < FakeDock().sentCount; ++i)
            out.push_back(std::to_string(FakeDock().sent[i].message) + ":" + std::to_string(FakeDock().sent[i].lParam));
        FakeDock().sentCount = 0;
        return out;
    }
    void PlaceDeck(int left, int top) { FakeDock().deck = {left, top, left + W, top + H}; }
    void* Selector() { return FindSelector(); }
    using V = std::vector<std::string>;
};

TEST_F(Docking, ADeckDroppedTwentyPixelsAboveDocksOnTopLeftEdgesAligned) {
    PlaceDeck(330, 400 - H - 20);
    BeginFaceDrag(50, 50);
    EndFaceDrag();
    EXPECT_EQ(DOCK_ABOVE_SELECTOR, DockSide());
    EXPECT_EQ(300, FakeDock().deck.left);
    EXPECT_EQ(400 - H, FakeDock().deck.top);
    EXPECT_EQ((V{"1024:4", "1027:0"}), Sent());
    EXPECT_EQ(300, Layout().xo);  // the place the settings keep
}

TEST_F(Docking, ADeckFortyPixelsAwaySnapsToTheScreenInstead) {
    PlaceDeck(10, 400 - H - 40);
    EXPECT_EQ(0, DetectDock());
    SnapToScreen();
    EXPECT_EQ(0, FakeDock().deck.left);
    EXPECT_EQ(DOCK_NONE, DockSide());
    EXPECT_EQ(V{"1024:0"}, Sent());  // the magnet clears docking; an undocked snap reports nothing
}

TEST_F(Docking, NoDockingWhileTheSizeFactorsDifferOrTheSelectorIsAwayOrMinimised) {
    PlaceDeck(300, 400 - H - 10);
    Layout().mag = 2;
    EXPECT_EQ(0, DetectDock());
    EXPECT_EQ(0, DockAtStart());
    EXPECT_TRUE(Sent().empty());

    RecordSelectorScale((void*)0x1234, 2);  // not the selector's window
    EXPECT_EQ(1, DockScale());
    RecordSelectorScale(Selector(), 2);
    EXPECT_EQ(2, DockScale());
    EXPECT_EQ(1, DetectDock());

    FakeDock().selectorMinimised = 1;
    EXPECT_EQ(0, DetectDock());
    EXPECT_EQ((V{"1024:4", "1024:0"}), Sent());

    FakeDock().selectorExists = 0;
    EXPECT_EQ(0, DetectDock());
    SetDock(2);
    AnnounceDeckPlace();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(Docking, AtStartTheDeckGoesAboveTheSelectorOrBelowWithoutRoom) {
    PlaceDeck(0, 0);
    EXPECT_EQ(1, DockAtStart());
    EXPECT_EQ(295, FakeDock().deck.top);
    FakeDock().selector = {300, 50, 700, 155};
    EXPECT_EQ(1, DockAtStart());
    EXPECT_EQ(155, FakeDock().deck.top);
    EXPECT_EQ((V{"1024:4", "1024:2"}), Sent());
}

TEST_F(Docking, TheSelectorsRequestMovesADockedDeckToTheOppositeSide) {
    PlaceDeck(0, 0);
    RecordSelectorSide((void*)0x1234, 1);  // from another window: ignored
    EXPECT_FALSE(IsDocked());

    RecordSelectorSide(Selector(), 1);  // not docked yet: only noted
    EXPECT_EQ(DOCK_LEFT_OF_SELECTOR, DockSide());
    EXPECT_EQ(0, FakeDock().deck.left);

    RecordSelectorSide(Selector(), 3);  // docked: moved, and made topmost
    EXPECT_EQ(DOCK_RIGHT_OF_SELECTOR, DockSide());
    EXPECT_EQ(700, FakeDock().deck.left);
    EXPECT_EQ(400, FakeDock().deck.top);
    EXPECT_EQ(1, FakeDock().deckTopmost);

    FakeDock().selector = {100, 200, 500, 305};  // the selector moved and asks again
    RecordSelectorSide(Selector(), 3);
    EXPECT_EQ(500, FakeDock().deck.left);
    EXPECT_EQ(200, FakeDock().deck.top);

    RecordSelectorSide(Selector(), 0);
    EXPECT_FALSE(IsDocked());
    EXPECT_EQ(500, FakeDock().deck.left);
    EXPECT_TRUE(Sent().empty());  // the selector's own requests are not echoed
}

TEST_F(Docking, DraggingTheFacingHalfMovesThePairThePullAwayHalfUndocks) {
    PlaceDeck(0, 0);
    SetDock(DOCK_ABOVE_SELECTOR);  // deck at (300, 295)
    Sent();
    BeginFaceDrag(10, 80);  // bottom half, facing the selector
    EXPECT_EQ(0, DragMode());
    MoveFaceDrag(30, 90);  // the window follows: the cursor is back at the grab point
    MoveFaceDrag(20, 80);
    EXPECT_EQ(330, FakeDock().deck.left);
    EXPECT_EQ(305, FakeDock().deck.top);
    EndFaceDrag();
    EXPECT_EQ((V{"1024:4", "1024:4", "1024:4", "1028:0", "1027:0"}), Sent());
    EXPECT_EQ(2, DragMode());

    PlaceDeck(300, 295);
    BeginFaceDrag(10, 10);  // top half: pulled away, far enough to leave the magnet
    EXPECT_EQ(1, DragMode());
    MoveFaceDrag(10, -300);
    EndFaceDrag();
    EXPECT_FALSE(IsDocked());
    EXPECT_EQ((V{"1024:0", "1024:0", "1027:0"}), Sent());
}

TEST_F(Docking, SizeChangesInputChangesAndClosingAreReported) {
    Layout().mag = 2;
    AnnounceDeckWindow();
    EXPECT_EQ((V{"1025:2", "1026:0"}), Sent());
    AnswerSelectorMag();
    EXPECT_EQ(V{"1025:2"}, Sent());
    SetDock(4);
    Sent();
    DeckSizeChanged();
    EXPECT_EQ((V{"1024:0", "1025:2"}), Sent());
    NotifySelectorInputChanged();
    EXPECT_EQ(V{"1029:0"}, Sent());
    SetDock(2);
    Sent();
    AnnounceDeckGoes();
    EXPECT_EQ(V{"1024:0"}, Sent());
    EXPECT_FALSE(IsDocked());
}

TEST_F(Docking, TheSelectorButtonStartsTheSelectorOrPullsItOntoTheScreenAndDocks) {
    FakeDock().selectorExists = 0;
    LaunchOrRaiseSelector();
    EXPECT_EQ(1, FakeDock().started);
    EXPECT_STREQ("Pindaro.exe /DOCKING", FakeDock().lastCommandLine);
    EXPECT_TRUE(Sent().empty());

    FakeDock().selectorExists = 1;
    FakeDock().selectorMinimised = 1;
    FakeDock().selector = {1100, -20, 1500, 85};
    PlaceDeck(880, 85 + 10);
    LaunchOrRaiseSelector();
    EXPECT_EQ(1, FakeDock().started);
    EXPECT_EQ(0, FakeDock().selectorMinimised);
    EXPECT_EQ(880, FakeDock().selector.left);
    EXPECT_EQ(0, FakeDock().selector.top);
    EXPECT_EQ(DOCK_BELOW_SELECTOR, DockSide());
    EXPECT_EQ((V{"1024:2", "1027:0"}), Sent());
}

// SetDock reports the side and places the deck flush on it. The selector is smaller than the
// deck each way, so every placement must use the deck's own size.
TEST_F(Docking, SetDockReportsTheSideAndPlacesTheDeckFlushByItsOwnSize) {
    FakeDock().selector = {300, 400, 550, 460};  // 250 x 60 against the deck's 400 x 105
    struct Case {
        int side, left, top;
    };
    const Case cases[] = {
        {DOCK_RIGHT_OF_SELECTOR, 550,  400},
        {DOCK_BELOW_SELECTOR,    300,  460},
        {DOCK_LEFT_OF_SELECTOR,  -100, 400},
        {DOCK_ABOVE_SELECTOR,    300,  295},
    };
    for (const Case& c : cases) {
        PlaceDeck(10, 10);
        SetDock(c.side);
        EXPECT_EQ(V{"1024:" + std::to_string(c.side)}, Sent());
        EXPECT_EQ(c.left, FakeDock().deck.left) << c.side;
        EXPECT_EQ(c.top, FakeDock().deck.top) << c.side;
        EXPECT_EQ(W, FakeDock().deck.right - FakeDock().deck.left);
        EXPECT_TRUE(IsDocked());
    }
    Undock();
    EXPECT_EQ(V{"1024:0"}, Sent());
    EXPECT_FALSE(IsDocked());
    SetDock(DOCK_RIGHT_OF_SELECTOR);
    RecordSelectorSide(Selector(), 1);  // the selector asks for the deck on its left
    EXPECT_EQ(-100, FakeDock().deck.left);

    // 104 pixels above the selector: room for the selector's height, not for the deck's.
    FakeDock().selector = {300, 104, 550, 164};
    EXPECT_EQ(1, DockAtStart());
    EXPECT_EQ(DOCK_BELOW_SELECTOR, DockSide());
    EXPECT_EQ(164, FakeDock().deck.top);
}
}  // namespace
