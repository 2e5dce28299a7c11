// Auto recording on the fake wave-in device, with the real deck making and splitting the files:
// what counts as sound and as silence, when a file starts and how much came before it, when it
// ends, and what the dialog and the menu item change.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <set>

#include "capture_fixture.h"
#include "deck/record_naming.h"
#include "record/auto_record.h"

namespace {
enum { BUFFER_FRAMES = 4410, BUFFER_BYTES = 4 * BUFFER_FRAMES };  // 100 ms at 44100 Hz stereo
enum { LOUD = 1000 };

class AutoRecordTest : public CaptureTest {
protected:
    void SetUp() override {
        CaptureTest::SetUp();
        ResetAutoRecordForTest();  // threshold 16, start count 2, end count 1
        ResetRecordNamingForTest();
        Settings().recAutoRecording = AUTO_RECORD_START_AND_END;
        // The native record base has no drive, so record files go to the working folder.
        if (!oldCwd[0]) {
            ASSERT_NE(getcwd(oldCwd, sizeof oldCwd), nullptr);
        }
        ASSERT_EQ(chdir(folder.c_str()), 0);
    }
    void TearDown() override {
        if (chdir(oldCwd) != 0) ADD_FAILURE() << "working folder not restored";
        CaptureTest::TearDown();
    }
    // Record key, then Play: the recorder waits for sound.
    void Arm() {
        ASSERT_EQ(EnterRecStandby(), 1);
        StartPlay();
        ASSERT_EQ(GetCaptureMode(), CAPTURE_WAITING);
        ASSERT_EQ(Deck().deckState, RecStandby);
    }
    // The input plays (left, right) for ms, in real-time steps.
    void Feed(int16_t left, int16_t right, uint32_t ms) {
        SetFakeWaveInSignal(FAKE_WAVE_IN_CONSTANT, left, right);
        Run(ms);
    }
    // One buffer of (left, right) arrives and one capture step measures it: the counter then
    // moves once per buffer.
    void StepBuffer(int16_t left, int16_t right) {
        SetFakeWaveInSignal(FAKE_WAVE_IN_CONSTANT, left, right);
        FillFakeWaveInBuffers(1);
        CaptureStep();
    }
    static std::string RecordName(int n) {
        char name[16];
        std::snprintf(name, sizeof name, "S-%03d.WAV", n);
        return name;
    }
    // Frames of silence before the first non-zero frame, and the distinct left values heard.
    static size_t LeadingSilentFrames(const std::string& audio) {
        size_t frames = audio.size() / 4;
        for (size_t i = 0; i < frames; ++i)
            if (SampleAt(audio, 4 * i) != 0) return i;
        return frames;
    }
    static std::set<int> LeftValues(const std::string& audio) {
        std::set<int> values;
        for (size_t i = 0; i + 4 <= audio.size(); i += 4) values.insert(SampleAt(audio, i));
        return values;
    }
    char oldCwd[PATH_MAX] = "";
};

TEST_F(AutoRecordTest, OnlySoundOnBothChannelsAboveTheThresholdCountsTowardsTheStart) {
    Arm();
    for (int i = 0; i < 10; ++i) StepBuffer(0, 0);
    // Two loud steps, then one at exactly the threshold: the count starts again.
    StepBuffer(LOUD, LOUD);
    StepBuffer(LOUD, LOUD);
    StepBuffer(16, 16);
    StepBuffer(LOUD, LOUD);
    StepBuffer(LOUD, LOUD);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING);
    for (int i = 0; i < 5; ++i) StepBuffer(LOUD, 0);  // one channel only
    for (int i = 0; i < 5; ++i) StepBuffer(0, LOUD);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING);
    EXPECT_EQ(Deck().deckState, RecStandby);

    StepBuffer(17, 17);
    StepBuffer(17, 17);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING) << "start count 2 needs a third loud step";
    StepBuffer(17, 17);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WRITING);
    EXPECT_EQ(Deck().deckState, Recording);
}

TEST_F(AutoRecordTest, TheFileTakesTheTriggeringBuffersAndTwoBeforeThemButNothingOlderThanTheCapture) {
    struct Case {
        int silentBuffersFirst;
        size_t leadingSilentBuffers;
    } cases[] = {
        {10, 2}, // start count 2 + 3 buffers back: two silent ones before the three loud ones
        {1,  1}, // right after the start only one buffer holds audio before the sound
        {0,  0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.silentBuffersFirst);
        if (&c != cases) TearDown(), SetUp();
        Arm();
        for (int i = 0; i < c.silentBuffersFirst; ++i) StepBuffer(0, 0);
        for (int i = 0; i < 3; ++i) StepBuffer(LOUD, LOUD);
        ASSERT_EQ(GetCaptureMode(), CAPTURE_WRITING);
        for (int i = 0; i < 10; ++i) StepBuffer(LOUD, LOUD);  // a second of audio, so the file is kept
        StopKey();
        WaveView w = ViewWave(RecordName(1));
        ASSERT_TRUE(w.ok);
        EXPECT_EQ(LeadingSilentFrames(w.audio), c.leadingSilentBuffers * BUFFER_FRAMES);
        EXPECT_EQ(w.audio.size(), (c.leadingSilentBuffers + 13) * BUFFER_BYTES);
    }
}

TEST_F(AutoRecordTest, AFallbackCaptureDeviceListensAtThreshold256) {
    const char* const others[] = {"PulseAudio", "USB Audio"};
    SetFakeWaveDevices(0, others, 2);
    SetAutoLevels(16, 0, 1);
    ASSERT_EQ(Standby(), 1);
    ASSERT_EQ(GetCaptureDeviceKind(), CAPTURE_DEVICE_FALLBACK);
    StartPlay();
    ASSERT_EQ(GetCaptureMode(), CAPTURE_WAITING);
    for (int i = 0; i < 5; ++i) StepBuffer(256, 256);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING);
    StepBuffer(257, 257);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WRITING);
}

TEST_F(AutoRecordTest, SilenceOnBothChannelsEndsTheFileOnlyInStartAndEndMode) {
    struct Case {
        uint32_t mode;
        int16_t left, right;
        int ends;
    } cases[] = {
        {AUTO_RECORD_START_AND_END, 0,    0,    1},
        {AUTO_RECORD_START_AND_END, 0,    LOUD, 0},
        {AUTO_RECORD_START_AND_END, LOUD, 0,    0},
        {AUTO_RECORD_START_AND_END, 16,   16,   0}, // exactly the threshold is not silence
        {AUTO_RECORD_START_ONLY,    0,    0,    0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.left << "/" << c.right);
        if (&c != cases) TearDown(), SetUp();
        Settings().recAutoRecording = c.mode;
        Arm();
        Feed(LOUD, LOUD, 1500);
        ASSERT_EQ(Deck().deckState, Recording);
        Feed(c.left, c.right, 3000);
        EXPECT_EQ(Deck().deckState, c.ends ? RecStandby : Recording);
        EXPECT_EQ(GetCaptureMode(), c.ends ? CAPTURE_WAITING : CAPTURE_WRITING);
        EXPECT_EQ(GetEntryCount(), c.ends);
        StopKey();
    }
}

TEST_F(AutoRecordTest, ThreeTonesBetweenSilencesGiveThreeFilesEachLeadingIntoItsOwnTone) {
    Arm();
    const int16_t tones[3] = {1000, 2000, 3000};
    for (int16_t tone : tones) {
        Feed(0, 0, 2000);
        Feed(tone, tone, 1500);
    }
    Feed(0, 0, 2000);
    EXPECT_EQ(Deck().deckState, RecStandby) << "the fourth file waits for sound";
    EXPECT_EQ(GetEntryCount(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        WaveView w = ViewWave(RecordName(i + 1));
        ASSERT_TRUE(w.ok);
        // The buffer that set the count going, and four before it.
        EXPECT_EQ(LeadingSilentFrames(w.audio), 4u * BUFFER_FRAMES);
        EXPECT_EQ(LeftValues(w.audio), (std::set<int>{0, tones[i]}));
        EXPECT_EQ(w.audio.size(), (4u + 15u + 1u) * BUFFER_BYTES) << "the lead-in, the tone, one silent buffer";
    }
    EXPECT_FALSE(std::ifstream(RecordName(4)).good()) << "a standby that heard nothing leaves no file";
    EXPECT_EQ(GetLostBufferCount(), 0);
}

// Stop from every state the recorder can be in ends quietly and gives the device back. Waiting
// or paused for longer than the ring holds loses nothing, since nothing is being written.
TEST_F(AutoRecordTest, StopFromEveryRecorderStateEndsQuietlyAndReleasesTheDevice) {
    enum { WAITING, WRITING, STOPPED_REARMED, PAUSED };
    const char* const names[] = {"waiting", "writing", "stopped, re-armed", "paused"};
    for (int c = WAITING; c <= PAUSED; ++c) {
        SCOPED_TRACE(names[c]);
        if (c != WAITING) {
            TearDown();
            SetUp();
        }
        Arm();
        if (c == WAITING) Feed(0, 0, 6000);
        if (c != WAITING) Feed(LOUD, LOUD, 1500);
        if (c == STOPPED_REARMED) Feed(0, 0, 6000);
        if (c == PAUSED) {
            PauseKey();
            ASSERT_EQ(Deck().deckState, RecPause);
            Feed(LOUD, LOUD, 6000);
        }
        ASSERT_NE(GetCaptureMode(), CAPTURE_OFF);
        StopKey();
        EXPECT_EQ(MessagesWithText("Could not capture audio."), 0);
        EXPECT_EQ(GetCaptureMode(), CAPTURE_OFF);
        EXPECT_EQ(WaveInIsOpen(), 0);
        EXPECT_EQ(CaptureTimerRunning(), 0);
    }
}

// The dialog and its menu item.
TEST_F(AutoRecordTest, DialogOkStoresTheChoiceAndAdaptsARunningCaptureWhileCancelChangesNothing) {
    SetAutoLevels(500, 3, 0);
    EXPECT_EQ(AutoRecordDialogStart(AUTO_RECORD_START_ONLY).levelIndex, 0) << "a threshold no row offers";

    Settings().recAutoRecording = AUTO_RECORD_OFF;
    ASSERT_EQ(EnterRecStandby(), 1);
    ASSERT_EQ(GetCaptureMode(), CAPTURE_WAITING);
    SetAutoRecordingDialogAnswer(0, AutoRecordChoice{AUTO_RECORD_START_AND_END, 4, 0, 3});
    AutoRecordingCommand(nullptr);
    EXPECT_EQ(AutoRecordingDialogRuns(), 1);
    EXPECT_EQ(Settings().recAutoRecording, (uint32_t)AUTO_RECORD_OFF);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING);
    uint16_t threshold, start, end;
    GetAutoLevels(&threshold, &start, &end);
    EXPECT_EQ(threshold, 500);

    SetAutoRecordingDialogAnswer(1, AutoRecordChoice{AUTO_RECORD_START_AND_END, 4, 0, 3});
    AutoRecordingCommand(nullptr);
    EXPECT_EQ(Settings().recAutoRecording, (uint32_t)AUTO_RECORD_START_AND_END);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_ARMED) << "the recorder now waits for the Play key";
    GetAutoLevels(&threshold, &start, &end);
    EXPECT_EQ(threshold, 1024);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 3);

    SetAutoRecordingDialogAnswer(1, AutoRecordChoice{AUTO_RECORD_OFF, 0, 2, 1});
    AutoRecordingCommand(nullptr);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_WAITING);
    StopKey();
}
// Counts stored out of the four choices (a hand-edited registry) show and save as the nearest end.
TEST(AutoRecordCounts, CountsOutsideTheChoicesAreTakenAsTheNearestEnd) {
    ResetAutoRecordForTest();
    SetAutoLevels(16, AUTO_COUNT_CHOICES, 60000);
    AutoRecordChoice shown = AutoRecordDialogStart(AUTO_RECORD_START_AND_END);
    EXPECT_EQ(AUTO_COUNT_CHOICES - 1, shown.startIndex);
    EXPECT_EQ(AUTO_COUNT_CHOICES - 1, shown.endIndex);
    EXPECT_STREQ(AutoStartLabel(AUTO_COUNT_CHOICES - 1, 0), AutoStartLabel(AUTO_COUNT_CHOICES, 0));
    EXPECT_STREQ(AutoEndLabel(0, 1), AutoEndLabel(-1, 1));
}
}  // namespace
