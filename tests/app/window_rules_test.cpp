// Main-window decisions: position clamping, the system kind, the close and suspend refusals,
// and the tick wrapper's bookkeeping.
#include "app/app_state.h"
#include "app/tick_wrapper.h"
#include "app/window_rules.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "display/face_setters.h"
#include "record/capture.h"
#include "resources/resource.h"
#include <gtest/gtest.h>

namespace {
TEST(WindowRules, SavedPositionsArePulledOntoTheScreen) {
    struct Case {
        int left, top, wantLeft, wantTop;
    };
    const Case cases[] = {
  // left top -> left top, on a 1024 x 768 screen with a 400 x 105 window
        {100,  200,  100, 200},
        {0,    0,    0,   0  },
        {1,    1,    1,   1  },
        {-50,  -3,   0,   0  },
        {624,  663,  624, 663}, // exactly at the edge: stays
        {623,  662,  623, 662},
        {625,  664,  624, 663},
        {5000, 5000, 624, 663},
    };
    for (const Case& c : cases) {
        int left = c.left, top = c.top;
        ClampWindowPosition(1024, 768, 400, 105, &left, &top);
        EXPECT_EQ(c.wantLeft, left) << c.left;
        EXPECT_EQ(c.wantTop, top) << c.top;
    }
}

TEST(WindowRules, RecordingStatesRefuseCloseEndOfSessionAndSuspend) {
    const int recording[] = {Recording, RecPause, RecStandby, RecAutoActive};
    for (int s : recording) {
        EXPECT_EQ(STR_CLOSE_AFTER_RECORDING, CloseRefusalString(s, 0));
        EXPECT_EQ(STR_NO_SHUTDOWN_WHILE_RECORDING, CloseRefusalString(s, 1));
        int stop = 1;
        EXPECT_EQ(POWER_DENY, PowerEventAnswer(POWER_QUERY_SUSPEND, s, &stop));
        EXPECT_EQ(0, stop);
        EXPECT_EQ(POWER_DENY, PowerEventAnswer(POWER_QUERY_STANDBY, s, &stop));
    }
    const int idle[] = {NoTrack, Stopped, Playing, Paused, Searching, TrackSpace, Editing};
    for (int s : idle) {
        EXPECT_EQ(0, CloseRefusalString(s, 0));
        EXPECT_EQ(0, CloseRefusalString(s, 1));
        int stop = 0;
        EXPECT_EQ(0, PowerEventAnswer(POWER_QUERY_SUSPEND, s, &stop));
        EXPECT_EQ(1, stop) << "a suspend query stops the transport";
    }
    int stop = 1;
    EXPECT_EQ(0, PowerEventAnswer(7 /* resume */, Recording, &stop));
    EXPECT_EQ(0, stop);
    EXPECT_EQ(0x424D5144, POWER_DENY);
}

class TickWrapper : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppValues();
        ResetDeckState();
        ResetFaceForTest();
        ResetTickWrapperForTest();
    }
};

TEST_F(TickWrapper, ReportsStateChangesOnceAndWaitsWhileTheListIsRebuilt) {
    Deck().deckState = Stopped;
    TickOutcome t = RunTickWrapper(1);
    EXPECT_FALSE(t.ran);
    EXPECT_EQ(NoTrack, App().shownState);

    t = RunTickWrapper(0);
    EXPECT_TRUE(t.ran);
    EXPECT_TRUE(t.stateChanged);
    EXPECT_EQ(Stopped, App().shownState);
    EXPECT_FALSE(RunTickWrapper(0).stateChanged);
}

// A script closes the deck right after Stop, before the next tick: the face still shows the
// recording, but the deck no longer records, so the close goes ahead; and the other way round.
TEST_F(TickWrapper, CloseFollowsTheDeckAtTheMomentNotTheLastTick) {
    Deck().deckState = Recording;
    RunTickWrapper(0);
    Deck().deckState = Stopped;
    ASSERT_EQ(Recording, App().shownState);
    EXPECT_EQ(0, CloseRefusalNow(0));
    EXPECT_EQ(0, CloseRefusalNow(1));
    RunTickWrapper(0);
    Deck().deckState = RecStandby;
    EXPECT_EQ(STR_CLOSE_AFTER_RECORDING, CloseRefusalNow(0));
    EXPECT_EQ(STR_NO_SHUTDOWN_WHILE_RECORDING, CloseRefusalNow(1));
}

TEST_F(TickWrapper, StatusTextBlinksEveryOtherTickWhilePlayingOrRecording) {
    for (int state : {Playing, Recording}) {
        Deck().deckState = state;
        App().blinkCount = 0;
        int redraws = 0;
        for (int i = 0; i < 10; ++i) redraws += RunTickWrapper(0).redrawStatus;
        EXPECT_EQ(5, redraws) << state;
    }
    Deck().deckState = Paused;
    int redraws = 0;
    for (int i = 0; i < 10; ++i) redraws += RunTickWrapper(0).redrawStatus;
    EXPECT_EQ(0, redraws);
}

// The timer slows only when nothing on the face can move by itself: a stopped deck whose meters
// are still falling, a playing, searching or armed deck keeps the 100 ms tick.
TEST_F(TickWrapper, TheTimerSlowsOnlyAtRest) {
    Deck().deckState = Stopped;
    ShowLevels(-6, 0, -6, 0);
    int ticks = 0;
    while (DeckTimerPeriodMs() == DECK_TICK_MS && ticks < 200) {
        RunTickWrapper(0);
        ++ticks;
    }
    EXPECT_EQ(DECK_REST_TICK_MS, DeckTimerPeriodMs());
    EXPECT_GE(ticks, 40) << "the meters fall 2 dB a tick to silence before the deck rests";
    EXPECT_EQ(-100, Face().levels[0]);
    EXPECT_EQ(-100, Face().levels[1]) << "the peak has come down too";
    Deck().deckState = NoTrack;
    EXPECT_EQ(DECK_REST_TICK_MS, DeckTimerPeriodMs());
    const int busy[] = {Playing, Paused, RecStandby, Recording, TrackSpace};
    for (int state : busy) {
        Deck().deckState = state;
        EXPECT_EQ(DECK_TICK_MS, DeckTimerPeriodMs()) << state;
    }
    Deck().deckState = Stopped;
    Deck().searchDir = SEARCH_FORWARD;
    EXPECT_EQ(DECK_TICK_MS, DeckTimerPeriodMs()) << "searching";
    Deck().searchDir = SEARCH_NONE;
    SetCaptureMode(CAPTURE_ARMED);
    EXPECT_EQ(DECK_TICK_MS, DeckTimerPeriodMs()) << "the recorder is armed";
    SetCaptureMode(CAPTURE_OFF);
    RequestDeviceRead();
    EXPECT_EQ(DECK_TICK_MS, DeckTimerPeriodMs()) << "a device read is asked for";
}

// At rest every wake runs the 100 ms ticks that have passed, so the counts of ticks keep their
// time; at 100 ms each timer message is one tick, as it always was.
TEST_F(TickWrapper, EachWakeRunsTheTicksDue) {
    uint32_t now = 5000;
    EXPECT_EQ(1, DeckTicksDue(now, DECK_TICK_MS));
    EXPECT_EQ(1, DeckTicksDue(now += 250, DECK_TICK_MS)) << "a late 100 ms message is still one tick";
    int ticks = 0;
    for (int wake = 0; wake < 10; ++wake) ticks += DeckTicksDue(now += wake % 2 ? 480 : 530, DECK_REST_TICK_MS);
    EXPECT_EQ(50, ticks) << "five seconds at rest are fifty ticks, late and early wakes evened out";
    EXPECT_EQ(1, DeckTicksDue(now += 60, DECK_REST_TICK_MS)) << "a wake come early ticks once";
    EXPECT_EQ(DECK_MAX_TICKS_PER_WAKE, DeckTicksDue(now += 60000, DECK_REST_TICK_MS)) << "a stall is not made up";
    EXPECT_EQ(5, DeckTicksDue(now += 500, DECK_REST_TICK_MS));
}
}  // namespace
