// The capture ring and step against the fake wave-in device on the fake clock, with the real deck
// and writers behind them: what reaches the file, what is lost and reported, the levels, the
// disk checks, the device's input status, and every way a recording is cut short.
#include "capture_fixture.h"
#include "deck/deck_tick.h"

TEST_F(CaptureTest, StopKeepsTheRecordingInTheListWithTheInputStatus) {
    EXPECT_EQ(CaptureTimerRunning(), 0) << "an idle deck has no capture timer";
    StartRecording();
    EXPECT_EQ(GetCaptureDeviceKind(), CAPTURE_DEVICE_NAMED);
    EXPECT_EQ(CaptureTimerRunning(), 1);
    Run(1900);
    EXPECT_EQ(GetRecordedMs(), 1000u) << "1.9 s recorded shows whole seconds";
    Run(1200);
    EXPECT_EQ(GetRecordedInputRate(), 44100u);
    ASSERT_EQ(StopKey(), 1);
    EXPECT_EQ(CaptureTimerRunning(), 0);
    EXPECT_EQ(GetCaptureMode(), CAPTURE_OFF);
    EXPECT_EQ(WaveInIsOpen(), 0);
    EXPECT_EQ(RecordedMessageCount(), 0);

    ASSERT_EQ(GetEntryCount(), 1);
    char entry[PLAYLIST_PATH_BYTES];
    GetEntryPath(1, entry);
    EXPECT_EQ(entry, path);
    EXPECT_EQ(Deck().currentTrack, 1);
    EXPECT_EQ(Deck().deckState, Stopped) << "the recording is cued";
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.dataSize, 31u * 17640u);
    EXPECT_EQ(CounterFramesInOrder(v.audio), v.dataSize / 4u) << "every buffer once, in order";
    std::string b = ReadAll(path);
    size_t item = b.find("CHST", 46 + v.dataSize);
    ASSERT_NE(item, std::string::npos) << "the input's channel status follows the audio";
    EXPECT_EQ(b.substr(item + 8, 4), std::string("\x01\x02\x03\x04", 4));
}

TEST_F(CaptureTest, InputStatusIsReadOnceAfterTheFirstDataAndFallsBackWhenUnlocked) {
    struct Case {
        const char* name;
        std::string device;
        uint32_t rate;
        uint8_t status[4];
    } cases[] = {
        {"locked 48000",    "reg 6 1\nreg 7 5\ninput 9 8 7 6\n",      48000, {9, 8, 7, 6}},
        {"unlocked",        "reg 6 1\nreg 7 0\ninput 9 8 7 6\n",      2,     {4, 6, 0, 0}},
        {"lock unreadable", "reg 6 1\nreg 7 5\nfault reg7 reply 3\n", 3,     {4, 6, 0, 0}},
        {"no device",       "",                                       0,     {4, 6, 0, 0}},
    };
    for (const Case& c : cases) {
        SetUp();
        UseDevice(c.device);
        StartRecording(RECORD_KIND_PCM, 48000);
        Run(90);
        size_t before = UsbSimCalls().size();
        Run(20);  // the first buffer is written
        size_t afterFirst = UsbSimCalls().size();
        Run(1000);
        EXPECT_EQ(UsbSimCalls().size(), afterFirst) << c.name << ": read once per recording";
        if (!c.device.empty()) {
            EXPECT_GT(afterFirst, before) << c.name;
        }
        EXPECT_EQ(GetRecordedInputRate(), c.rate) << c.name;
        uint8_t status[4];
        GetInputChannelStatus(status);
        EXPECT_EQ(std::memcmp(status, c.status, 4), 0) << c.name;
        EXPECT_EQ(UsbSimOpenHandles(), 0) << c.name;
        StopKey();
        TearDown();
    }
}

TEST_F(CaptureTest, PeaksComeFromOneBufferPerStep) {
    SetFakeWaveInSignal(FAKE_WAVE_IN_CONSTANT, -32768, 1000);
    StartRecording();
    FillFakeWaveInBuffers(3);
    CaptureStep();
    int left = 0, right = 0;
    GetPeaks(&left, &right);
    EXPECT_EQ(left, 32767) << "the most negative sample measures as the largest";
    EXPECT_EQ(right, 1000);
    EXPECT_EQ(GetStepsSinceLevel(), 0);
    SetFakeWaveInSignal(FAKE_WAVE_IN_CONSTANT, 5, -6);
    FillFakeWaveInBuffers(1);
    CaptureStep();
    CaptureStep();  // the two loud buffers first, one per step
    GetPeaks(&left, &right);
    EXPECT_EQ(left, 32767);
    CaptureStep();
    GetPeaks(&left, &right);
    EXPECT_EQ(left, 5);
    EXPECT_EQ(right, 5) << "-6 measures as 5";
    CaptureStep();
    CaptureStep();
    EXPECT_EQ(GetStepsSinceLevel(), 2) << "nothing new to measure";
}

TEST_F(CaptureTest, ATimerWakingLessOftenRunsTheTenMillisecondStepsDue) {
    StartRecording();
    CaptureStepsDue();  // the first wake runs one step and starts the step clock
    for (int i = 0; i < 20; ++i) {
        AdvanceFakeWaveIn(100);
        CaptureStepsDue();
    }
    EXPECT_LT(GetStepsSinceLevel(), 10) << "every buffer measured as it came";
    // From here the clock alone moves: no buffer arrives, so each step run counts once.
    int steps = GetStepsSinceLevel();
    AdvanceFakeTickCount(25);
    CaptureStepsDue();
    EXPECT_EQ(GetStepsSinceLevel(), steps + 2);
    AdvanceFakeTickCount(5);
    CaptureStepsDue();
    EXPECT_EQ(GetStepsSinceLevel(), steps + 3) << "the 5 ms left over count towards the next step";
    AdvanceFakeTickCount(5000);
    CaptureStepsDue();
    EXPECT_EQ(GetStepsSinceLevel(), steps + 3 + CAPTURE_CATCH_UP_STEPS) << "a stall is not made up step by step";
    AdvanceFakeTickCount(10);
    CaptureStepsDue();
    EXPECT_EQ(GetStepsSinceLevel(), steps + 4 + CAPTURE_CATCH_UP_STEPS);
    AdvanceFakeTickCount(130);
    CaptureStepsDue();
    EXPECT_EQ(GetStepsSinceLevel(), steps + 17 + CAPTURE_CATCH_UP_STEPS) << "a 100 ms wake come late runs every step due";

    ASSERT_EQ(StopKey(), 1);
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.dataSize, 20u * 17640u) << "2 s of 100 ms buffers, as stepping every 10 ms writes";
    EXPECT_EQ(CounterFramesInOrder(v.audio), v.dataSize / 4u);
}

TEST_F(CaptureTest, AStalledWriterLosesTheOldestBuffersAndSaysSo) {
    StartRecording();
    Run(300);  // three buffers written, the input status read
    // The timer stalls for five seconds: the device fills 50 buffers meanwhile.
    FillFakeWaveInBuffers(50);
    EXPECT_EQ(FakeWaveInQueued(), 7);
    CaptureStep();
    EXPECT_EQ(GetLostBufferCount(), 10u) << "at most 40 buffers are held back from the device";
    EXPECT_EQ(FakeWaveInQueued(), 20);
    Run(500);
    StopKey();
    EXPECT_EQ(MessagesWithText("Could not capture audio."), 1);
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok);
    const uint32_t frames = 17640 / 4;
    EXPECT_EQ(CounterFramesInOrder(v.audio), 3u * frames) << "whole buffers before the gap";
    std::string after = v.audio.substr(3u * 17640u);
    EXPECT_GT(CounterFramesInOrder(after, 13u * frames), 30u * frames) << "the audio goes on after the lost buffers";
}

// The lost-audio box is shown from inside the stop, while the deck is still recording; its message
// loop runs ticks and clicks. A second stop from there must not close, list or delete the file again.
TEST_F(CaptureTest, AStopFromInsideTheLostAudioBoxIsIgnored) {
    StartRecording();
    Run(300);
    FillFakeWaveInBuffers(50);
    CaptureStep();
    ASSERT_GT(GetLostBufferCount(), 0u);
    Run(500);
    static int nestedStops;
    nestedStops = 0;
    SetMessageLoopHook([] {
        ++nestedStops;
        StopKey();  // the user clicks Stop again
        int32_t shown = 0;
        DeckTick(&shown);
        StopKey();
    });
    StopKey();
    SetMessageLoopHook(nullptr);
    EXPECT_EQ(nestedStops, 1);
    EXPECT_EQ(MessagesWithText("Could not capture audio."), 1);
    ASSERT_EQ(GetEntryCount(), 1) << "the recording is listed once";
    EXPECT_EQ(Deck().deckState, Stopped) << "and cued";
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok) << "the file is kept whole";
    EXPECT_EQ(v.dataSize, 48u * 17640u) << "every buffer up to the first Stop";
}

TEST_F(CaptureTest, OnlyWhatIsCapturedAfterPlayIsWritten) {
    ASSERT_EQ(Standby(), 1);
    Run(1000);  // standby: measured, not written
    EXPECT_EQ(ReadAll(path), "") << "standby alone creates no file";
    StartPlay();
    Run(1000);
    StopKey();
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(CounterFramesInOrder(v.audio, 10u * 17640u / 4u), v.dataSize / 4u) << "starts with the first new buffer";
    EXPECT_EQ(v.dataSize, 10u * 17640u) << "one second: ten buffers";
}

TEST_F(CaptureTest, DiskSpaceRulesStopTheRecording) {
    struct Case {
        const char* name;
        uint32_t limit;
        uint64_t freeBytes, totalBytes;
        int stops;
    } cases[] = {
        {"no limit, under 10 MiB",       0, 0xA00000 - 1, 1ull << 40, 1},
        {"no limit, 10 MiB left",        0, 0xA00000,     1ull << 40, 0},
        {"limit set, a tenth free",      1, 100,          1000,       1},
        {"limit set, more than a tenth", 1, 101,          1000,       0},
    };
    for (const Case& c : cases) {
        SetUp();
        Settings().recLimit = c.limit;
        StartRecording();
        Run(1500);
        SetFakeDiskSpace(c.freeBytes, c.totalBytes);
        Run(1000);  // the check runs every 100 steps
        EXPECT_EQ(Deck().deckState == Recording, c.stops == 0) << c.name;
        EXPECT_EQ(MessagesWithId(56), c.stops) << c.name;
        if (c.stops) {
            WaveView v = ViewWave(path);
            EXPECT_TRUE(v.ok) << c.name;
            EXPECT_EQ(GetEntryCount(), 1) << c.name << ": what was recorded is kept";
        }
        StopKey();
        TearDown();
    }
}

TEST_F(CaptureTest, FailuresStopCleanlyAndKeepTheFile) {
    // A write failing in the middle of a recording.
    StartRecording();
    Run(1500);
    SetWaveFailureForTest(1);
    Run(200);
    SetWaveFailureForTest(0);
    EXPECT_NE(Deck().deckState, Recording);
    EXPECT_EQ(MessagesWithId(77), 1);
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok);
    EXPECT_EQ(v.riffSize + 8, v.fileSize);
    EXPECT_EQ(GetEntryCount(), 1);
    EXPECT_EQ(v.dataSize, 15u * 17640u + 17640u / 2) << "the buffers written, and the half the failing write left";

    // The device going away.
    TearDown();
    SetUp();
    StartRecording();
    Run(1500);
    SetFakeWaveInFailures(-1, 0, 1);
    Run(20);
    EXPECT_NE(Deck().deckState, Recording);
    EXPECT_EQ(MessagesWithText("Could not capture audio."), 1);
    EXPECT_TRUE(ViewWave(path).ok);
    EXPECT_EQ(CaptureTimerRunning(), 0);

    // The size limit.
    TearDown();
    SetUp();
    StartRecording();
    Run(500);
    SetByteCountersForTest(RECORD_SIZE_LIMIT - 17640, 0);
    Run(200);
    EXPECT_NE(Deck().deckState, Recording);
    EXPECT_EQ(RecordedMessageCount(), 0) << "reaching the limit is no failure";
    EXPECT_TRUE(ViewWave(path).ok);
}

TEST_F(CaptureTest, OpeningPrefersTheNamedDeviceAndFallsBackOnlyWithoutIt) {
    const char* const others[] = {"PulseAudio", "Other"};
    SetFakeWaveDevices(0, others, 2);
    StartRecording();
    EXPECT_EQ(GetCaptureDeviceKind(), CAPTURE_DEVICE_FALLBACK);
    StopKey();

    TearDown();
    SetUp();
    SetFakeWaveInFailures(1, 0, 0);  // the named device will not open
    EXPECT_EQ(Standby(), 0) << "no other device is tried when the named one fails";
    EXPECT_EQ(WaveInIsOpen(), 0);
    EXPECT_EQ(CaptureTimerRunning(), 0);

    TearDown();
    SetUp();
    SetFakeWaveInFailures(-1, 30, 0);  // the device stops taking buffers half-way
    EXPECT_EQ(Standby(), 0);
    EXPECT_EQ(WaveInIsOpen(), 0);
}

TEST_F(CaptureTest, Mp3RecordingCountsBothSides) {
    path = folder + "/S-001.MP3";
    StartRecording(3, 48000, 128);
    Run(3000);
    EXPECT_EQ(PcmBytesWritten(), 30u * 19200u);
    EXPECT_EQ(MpegBytesWritten(), 122u * 384u) << "whole 384-byte frames: 3 s less the encoder's look-ahead";
    EXPECT_EQ(GetRecordedMs(), 3000u);
    StopKey();
    EXPECT_EQ(GetEntryCount(), 1);
}

// A mono input shows its one channel on both meters.
TEST_F(CaptureTest, AMonoInputShowsOnBothMeters) {
    SetFakeWaveInSignal(FAKE_WAVE_IN_CONSTANT, -1200, 0);
    StartRecording(RECORD_KIND_PCM, 44100, 0, 1);
    FillFakeWaveInBuffers(1);
    CaptureStep();
    int left = 0, right = 0;
    GetPeaks(&left, &right);
    EXPECT_EQ(1199, left);
    EXPECT_EQ(1199, right);
}
