// The 100 ms deck tick against the deck's fakes: what a user sees and hears change as time runs
// (the next track, the list's end, the time left, meters, the recording limit, the digital-input
// lock, timers and a missing device).
#include <gtest/gtest.h>

#include "base/message_box.h"
#include "deck/deck_ui_native.h"
#include "deck/record_naming.h"
#include "deck_fakes.h"
#include "hardware/device.h"
#include "hardware/mixer.h"
#include "playlist/playlist_model.h"
#include "record/capture.h"
#include "record/timer_slots.h"

namespace {
class DeckTickTest : public DeckFixture {
protected:
    static void StartRecording() {
        ASSERT_EQ(EnterRecStandby(), 1);
        StartPlay();
        ASSERT_EQ(Deck().deckState, Recording);
    }
    // A timer due with this action, and the 11 ticks to the check that carries it out.
    static void TimerDue(uint32_t action) {
        World().timerDue = 1;
        World().timerAction = action;
        Ticks(11);
    }
};

TEST(LevelToDb, TwentyLog10LessHalfADecibelTruncated) {
    const struct {
        int32_t level, db;
    } cases[] = {
        {32767, 0   },
        {3277,  -20 },
        {16384, -6  },
        {1,     -90 },
        {0,     -100},
        {65535, 5   },
    };
    for (const auto& c : cases) EXPECT_EQ(LevelToDb(c.level), c.db) << c.level;
}

// --- the list plays through ------------------------------------------------------------------

TEST_F(DeckTickTest, EndOfTrackPlaysTheNextAndTheListEndStopsAtTheTop) {
    MakePlaylist(3, 1000);
    PlayFrom(1);
    Ticks(11);
    EXPECT_EQ(Track(), 2);
    EXPECT_EQ(State(), Playing);
    EXPECT_EQ(World().openPath, "C:\\m\\t2.wav");
    Ticks(15);
    EXPECT_EQ(Track(), 3);
    World().statusWrites.clear();
    Ticks(11);  // the last track ends with repeat off
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(Track(), 1);
    EXPECT_EQ(World().openPath, "C:\\m\\t1.wav");
    ASSERT_FALSE(World().statusWrites.empty());
    EXPECT_EQ(World().statusWrites.back(), (std::vector<uint8_t>{0, 150, 0, 0}));
    int plays = World().playCalls;
    Ticks(30);
    EXPECT_EQ(World().playCalls, plays);  // and stays stopped
    // Every tick hands the playlist's background probing the state it paces by.
    ASSERT_EQ(World().probeTicks.size(), 67u);  // one per tick
    EXPECT_EQ(World().probeTicks.front(), Playing);
    EXPECT_EQ(World().probeTicks.back(), Stopped);
}

TEST_F(DeckTickTest, StoppedDeckFollowsTheListWithin16Ticks) {
    MakePlaylist(2, 60000);
    Ticks(16);  // NoTrack with a list: the tick cues the first entry
    EXPECT_EQ(State(), Stopped);
    EXPECT_EQ(World().openPath, "C:\\m\\t1.wav");

    // The cued entry is replaced in the list: the entry now at its place is cued.
    World().playlist[0] = AddFakeFile("C:\\m\\new.wav", 9000).path;
    Ticks(15);
    EXPECT_EQ(World().openPath, "C:\\m\\t1.wav");
    Tick();
    EXPECT_EQ(World().openPath, "C:\\m\\new.wav");
    EXPECT_EQ(Deck().trackLength, 9000u);

    World().playlist.clear();  // the list was cleared
    Ticks(16);
    EXPECT_EQ(State(), NoTrack);
}

// --- what the face shows ---------------------------------------------------------------------

TEST_F(DeckTickTest, TimeShowsElapsedOrTimeLeftWithBit31) {
    MakePlaylist(1, 240000);
    Cue(1);
    SeekTrack(60000);
    Tick();
    EXPECT_EQ(Face().timeMs, 60000u);
    EXPECT_EQ(Face().positionBar, 250u);
    Settings().timerMode = 1;
    SeekTrack(60600);
    Tick();
    EXPECT_EQ(Face().timeMs, 0x80000000u | 179400u);
}

TEST_F(DeckTickTest, ShownStateDuringSearchesAndAutoStandby) {
    MakePlaylist(2, 60000);
    PlayFrom(1);
    FastForwardDown();
    EXPECT_EQ(State(), Searching);
    EXPECT_EQ(Tick(), Playing);  // the face keeps showing play while searching
    FastForwardUp();
    StopKey();

    Settings().recAutoRecording = 1;
    ASSERT_EQ(EnterRecStandby(), 1);
    EXPECT_EQ(Tick(), RecStandby);
    StartPlay();  // the auto recorder now waits for sound
    EXPECT_EQ(State(), RecStandby);
    EXPECT_EQ(Tick(), RecAutoActive);
}

TEST_F(DeckTickTest, MetersFollowThePlayerOrTheMixer) {
    MakePlaylist(1, 60000);
    PlayFrom(1);
    // A WAVE file in the media window reads the mixer's meter, folding a negative swing.
    MixerAvail().meterAvail = 1;
    World().meter[0] = ~3277;
    World().meter[1] = 16384;
    Tick();
    EXPECT_EQ(Face().levels[0], -20);
    EXPECT_EQ(Face().levels[2], -6);

    World().engine = ENGINE_PLAYER;
    World().playerLevels[0] = 32767;
    World().playerLevels[1] = 32767;
    Tick();
    EXPECT_EQ(Face().levels[0], 0);
    EXPECT_EQ(Face().levels[2], 0);

    World().engine = ENGINE_MCI;
    MixerAvail().meterAvail = 0;  // no meter: silence, falling 2 dB a tick
    Tick();
    EXPECT_EQ(Face().levels[2], -2);
}

// The lamp and the slider read the line the volume slider and the mute button set, so a value
// the user just set is not replaced by the master line's.
TEST_F(DeckTickTest, MuteLampAndVolumeSliderFollowTheWaveOutLine) {
    MixerAvail() = MixerAvailability{1, 1, 0};
    World().mute = 1;
    World().volume[0] = 32768;
    Ticks(5);
    EXPECT_EQ(1u, Face().muteState);
    EXPECT_EQ(127u, Face().volumeBar);
    ASSERT_FALSE(World().mixerCalls.empty());
    for (const std::string& call : World().mixerCalls) EXPECT_EQ("waveout", call);
    World().mixerOpens = 0;  // the line cannot be opened: mute off, full volume
    Ticks(5);
    EXPECT_EQ(0u, Face().muteState);
    EXPECT_EQ(255u, Face().volumeBar);
}

// --- recording -------------------------------------------------------------------------------

TEST_F(DeckTickTest, RecordingLimitStopsAndTheBarScaleGrows) {
    StartRecording();
    World().recordedMs = 299900;
    Tick();
    EXPECT_EQ(Face().positionBar, 999u);
    World().recordedMs = 300100;
    Tick();
    EXPECT_EQ(Deck().trackLength, 1200000u);  // past five minutes without a limit
    World().recordedMs = 1200100;
    Tick();
    EXPECT_EQ(Deck().trackLength, 4440000u);
    EXPECT_EQ(State(), Recording);
    StopKey();

    // Each limit: a millisecond short of it records on, the limit itself stops.
    const struct {
        uint32_t limit, ms;
    } limits[] = {
        {REC_LIMIT_5_MIN,  300000 },
        {REC_LIMIT_20_MIN, 1200000},
        {REC_LIMIT_74_MIN, 4440000},
    };
    for (const auto& l : limits) {
        World().recordedMs = 0;
        Settings().recLimit = l.limit;
        StartRecording();
        World().recordedMs = l.ms - 1;
        Tick();
        EXPECT_EQ(State(), Recording) << l.limit;
        World().recordedMs = l.ms;
        Tick();
        EXPECT_NE(State(), Recording) << l.limit;
        EXPECT_EQ(World().captureMode, CAPTURE_OFF) << l.limit;
    }
}

TEST_F(DeckTickTest, DigitalInputLockShowsInTheStatusLine) {
    StartRecording();
    World().stepsSinceLevel = 0;
    Tick();
    World().stepsSinceLevel = 31;  // the cable was pulled
    Tick();
    EXPECT_EQ(Status(), "Din Unlocked");
    EXPECT_EQ(Deck().dinLock, 0);
    World().stepsSinceLevel = 30;
    Tick();
    EXPECT_EQ(Status(), "Recording S-001.WAV");
    PauseKey();
    World().stepsSinceLevel = 40;
    Tick();
    World().stepsSinceLevel = 2;
    Tick();
    EXPECT_EQ(Status(), "Rec Pause S-001.WAV");
}

TEST_F(DeckTickTest, RateChangeInStandbyPreparesTheFileAgain) {
    ASSERT_EQ(EnterRecStandby(), 1);
    World().stepsSinceLevel = 40;
    Ticks(5);
    ASSERT_EQ(Deck().dinLock, 0);
    World().reg7 = 5;  // the input comes back at 48000 Hz: the next rate read sees it
    Ticks(5);
    World().stepsSinceLevel = 0;  // and the buffers flow again
    Tick();
    EXPECT_EQ(GetRecordRate(), 48000u);
    EXPECT_EQ(State(), RecStandby);
    int prepares = 0;
    for (const std::string& c : World().recorderCalls) prepares += c.rfind("PrepareCapture", 0) == 0;
    EXPECT_EQ(prepares, 2);
    EXPECT_EQ(Face().rateHz, 48000u);
}

// --- timers and the device -------------------------------------------------------------------

TEST_F(DeckTickTest, TimersAreAskedEvery11TicksAndCarriedOut) {
    MakePlaylist(1, 60000);
    Cue(1);
    Ticks(10);
    EXPECT_EQ(World().timerChecks, 0);
    Tick();
    EXPECT_EQ(World().timerChecks, 1);
    Ticks(11);
    EXPECT_EQ(World().timerChecks, 2);

    TimerDue(TIMER_START_PLAYBACK);
    EXPECT_EQ(State(), Playing);
    TimerDue(TIMER_END_PLAYBACK);
    EXPECT_EQ(State(), Stopped);
    Settings().recNoticePending = 1;
    TimerDue(TIMER_START_CAPTURE);  // standby, then writing
    EXPECT_EQ(State(), Recording);
    EXPECT_EQ(Settings().recNoticePending, 0);
}

// A timer that ends a recording before anything reached it, on an empty list: the file goes
// (although the probe takes its bare header) and the deck is an idle player again, not a
// recorder with nothing prepared (whose format key would light the record format and whose time
// would stay on the recorder's clock).
TEST_F(DeckTickTest, ATimerEndingAnEmptyRecordingLeavesAnIdlePlayer) {
    Settings().timerMode = TIMER_MODE_LEFT;
    TimerDue(TIMER_START_CAPTURE);
    ASSERT_EQ(State(), Recording);
    const std::string rec = AddFakeFile("C:\\rec\\S-001.WAV").path;
    TimerDue(TIMER_END_CAPTURE);
    EXPECT_EQ(World().captureMode, CAPTURE_OFF);
    EXPECT_EQ(State(), NoTrack);
    EXPECT_EQ(Deck().deckSide, DECK_SIDE_PLAYER);
    EXPECT_EQ(World().deleted, std::vector<std::string>{rec});
    EXPECT_EQ(GetEntryCount(), 0);
    EXPECT_EQ(Status(), "Quaverly Deck");
    EXPECT_EQ(Face().tickerMode, (uint32_t)TICKER_CENTRED);
    EXPECT_EQ(Face().timeMs, FACE_TIME_LEFT_BIT) << "nothing cued: no time left";
    SelectFormat(RECORD_FORMAT_PCM);
    EXPECT_EQ(Face().formatIsRecord, 0u) << "a format key on an idle deck leaves the lamp to the player";
}

// A timer on a first run, with no record path yet and nobody to answer the name dialog: the
// recording goes into the default folder, whose whole path the status line shows. The user's own
// Record still asks for the name.
TEST_F(DeckTickTest, ATimerWithoutARecordPathRecordsIntoTheDefaultFolderWithoutAsking) {
    Settings().recFileName[0] = 0;
    TimerDue(TIMER_START_CAPTURE);
    EXPECT_EQ(State(), Recording);
    EXPECT_EQ(World().nameDialogs, 0);
    EXPECT_STREQ(RecordDisplayName(), "C:\\prog\\S-001.WAV");
    EXPECT_EQ(std::string(Face().tickerText), "Recording C:\\prog\\S-001.WAV");
    World().timerDue = 0;
    StopKey();

    Settings().recFileName[0] = 0;
    EnterRecStandby();
    EXPECT_EQ(World().nameDialogs, 1);
    EXPECT_EQ(std::string(RecordDisplayName()).find('\\'), std::string::npos) << "the name alone";
}

TEST_F(DeckTickTest, DeviceIsReadOnceAndAgainOnlyWhenAsked) {
    World().reg6 = 2;
    World().reg8 = 0x13;  // power automatic, aux off
    Tick();
    EXPECT_EQ(Face().inputSelect, (uint32_t)INPUT_IN2);
    EXPECT_EQ(Face().closeLit, (uint32_t)POWER_MODE_AUTO);
    EXPECT_EQ(Face().deviceAux, (uint32_t)POWER_MODE_OFF);
    int opens = World().deviceOpens;
    Ticks(20);
    EXPECT_EQ(World().deviceOpens, opens);  // an idle deck leaves the device alone

    World().deviceAttached = 0;  // pulled: the forced read finds nothing and the tick ends there
    Deck().dinLock = 1;
    RequestDeviceRead();
    Tick();
    EXPECT_EQ(Face().closeLit, 0u);
    EXPECT_EQ(Face().deviceAux, 0u);
    EXPECT_EQ(Deck().dinLock, 0);
    EXPECT_EQ(DeckTickState().tickBusy, 0);
    Deck().deviceReadRequest = 1;  // what message 1029 and the input keys set
    World().deviceAttached = 1;
    World().reg8 = 0x21;
    Tick();
    EXPECT_EQ(Face().closeLit, (uint32_t)POWER_MODE_OFF);
    EXPECT_EQ(Face().deviceAux, (uint32_t)POWER_MODE_ON);
}
}  // namespace
