// The player library's calls in the native build: the information records the program reads,
// and the player's status, position, seeking, resuming and levels against the clocked output.
#include <gtest/gtest.h>
#include "tool_skip.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "codec/codec_test_util.h"
#include "tavply_api.h"

using namespace codectest;

namespace {

uint32_t Get32(const uint8_t* rec, uint32_t off) {
    return uint32_t(rec[off]) | uint32_t(rec[off + 1]) << 8 | uint32_t(rec[off + 2]) << 16 |
           uint32_t(rec[off + 3]) << 24;
}

class TavplyFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!HaveTool("sox") || !HaveTool("lame") || !HaveTool("twolame")) return;
        dir = new ScratchDir("tavply");
        Shell("sox -n -b 16 -r 44100 -c 2 " + (*dir / "a.wav") + " synth 1.5 sine 440 vol 0.5");
        Shell("sox -n -b 16 -r 48000 -c 1 " + (*dir / "m.wav") + " synth 2 sine 1000 vol 0.5");
        Shell("lame --quiet -b 128 -c " + (*dir / "a.wav") + " " + (*dir / "a.mp3"));
        Shell("twolame --quiet -b 96 -o " + (*dir / "m.wav") + " " + (*dir / "m.mp2"));
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override {
        if (!dir) SKIP_UNLESS_CI("sox, lame or twolame missing");
    }
    static ScratchDir* dir;
    uint8_t info[TAVPLY_INFO_BYTES];
    uint8_t ext[TAVPLY_EXT_BYTES];
};
ScratchDir* TavplyFiles::dir = nullptr;

TEST_F(TavplyFiles, CheckInfoDescribesLayer3AndLayer2Streams) {
    ASSERT_EQ(0, MpegAudioPlayCheckInfo((*dir / "a.mp3").c_str(), info, ext));
    EXPECT_EQ(uint32_t(TAVPLY_STREAM_MPEG_AUDIO), Get32(info, TAVPLY_INFO_STREAM));
    EXPECT_EQ(1u, Get32(info, TAVPLY_INFO_VERSION_BIT));
    EXPECT_EQ(1u, Get32(info, TAVPLY_INFO_LAYER_CODE));
    EXPECT_EQ(3u, Get32(info, TAVPLY_INFO_LAYER));
    EXPECT_EQ(44100u, Get32(info, TAVPLY_INFO_SAMPLE_RATE));
    EXPECT_EQ(128u, Get32(info, TAVPLY_INFO_BITRATE));
    EXPECT_EQ(1500u, Get32(info, TAVPLY_INFO_LENGTH_MS));
    EXPECT_EQ(1, info[TAVPLY_INFO_COPYRIGHT]);
    size_t fileBytes = ReadBytes(*dir / "a.mp3").size();
    EXPECT_EQ(fileBytes, Get32(info, TAVPLY_INFO_STREAM_BYTES));  // no tags: the whole file
    EXPECT_EQ(0u, Get32(ext, TAVPLY_EXT_CHANNEL_STATUS));

    ASSERT_EQ(0, MpegAudioPlayCheckInfo((*dir / "m.mp2").c_str(), info, ext));
    EXPECT_EQ(2u, Get32(info, TAVPLY_INFO_LAYER));
    EXPECT_EQ(2u, Get32(info, TAVPLY_INFO_LAYER_CODE));
    EXPECT_EQ(48000u, Get32(info, TAVPLY_INFO_SAMPLE_RATE));
    EXPECT_EQ(96u, Get32(info, TAVPLY_INFO_BITRATE));
    EXPECT_EQ(0, info[TAVPLY_INFO_ORIGINAL]);
    EXPECT_EQ(1u, Get32(info, TAVPLY_INFO_CHANNELS));
    EXPECT_NEAR(2000.0, double(Get32(info, TAVPLY_INFO_LENGTH_MS)), 30.0);  // whole frames
}

TEST_F(TavplyFiles, CheckInfoReportsTrailerChannelStatusAndRefusesOtherFiles) {
    std::vector<uint8_t> bytes = ReadBytes(*dir / "a.mp3");
    const uint8_t trailer[32] = {'L', 'I', 'S', 'T', 16,   0,    0,    0,    'I', 'N', 'F', 'O', 'C', 'H', 'S', 'T',
                                 4,   0,   0,   0,   0x04, 0x82, 0x00, 0x02, 24,  0,   0,   0,   'M', 'E', 'X', 'T'};
    bytes.insert(bytes.end(), trailer, trailer + 32);
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    WriteBytes(*dir / "t.mp3", bytes);
    ASSERT_EQ(0, MpegAudioPlayCheckInfo((*dir / "t.mp3").c_str(), info, ext));
    EXPECT_EQ(0, std::memcmp(ext + TAVPLY_EXT_CHANNEL_STATUS, trailer + 20, 4));
    EXPECT_EQ(bytes.size() - 160, Get32(info, TAVPLY_INFO_STREAM_BYTES));
    EXPECT_EQ(1500u, Get32(info, TAVPLY_INFO_LENGTH_MS));
    EXPECT_NE(0u, Get32(info, TAVPLY_INFO_FLAGS) & TAVPLY_FLAG_TRAILER);

    EXPECT_NE(0, MpegAudioPlayCheckInfo((*dir / "a.wav").c_str(), info, ext));
    EXPECT_NE(0, MpegAudioPlayCheckInfo((*dir / "missing.mp3").c_str(), info, ext));
    EXPECT_NE(0, MpegAudioPlayCheckInfo("", info, ext));
}

// The player runs in real time against the clocked output stand-in.
class TavplyPlayer : public TavplyFiles {
protected:
    void SetUp() override {
        TavplyFiles::SetUp();
        if (IsSkipped()) return;
        ASSERT_EQ(0, MpegAudioPlayInit());
    }
    void TearDown() override { MpegAudioPlayTerm(); }
    static int32_t Status() {
        int32_t s = -1;
        MpegAudioPlayGetStatus(&s);
        return s;
    }
    static uint32_t Position() {
        uint32_t ms = 0;
        MpegAudioPlayGetPosition(&ms);
        return ms;
    }
    static void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    // The position follows the clock: it is at least the time slept and at most the time that
    // really passed since `since` (a loaded machine oversleeps), each give or take the slack.
    static void ExpectPositionWithin(uint32_t from, int slept, std::chrono::steady_clock::time_point since,
                                     int slack) {
        uint32_t p = Position();
        double passed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
        EXPECT_GE(double(p), double(from) + slept - slack);
        EXPECT_LE(double(p), double(from) + passed + slack);
    }
};

TEST_F(TavplyPlayer, PlaysToTheEndWithPositionFollowingTheClock) {
    EXPECT_EQ(TAVPLY_STATUS_NOT_READY, Status());
    ASSERT_EQ(0, MpegAudioPlayOpen((*dir / "a.mp3").c_str(), "Kelvara Vornex USB"));
    EXPECT_NE(0, MpegAudioPlayOpen((*dir / "a.mp3").c_str(), ""));  // one track at a time
    EXPECT_EQ(TAVPLY_STATUS_STOPPED, Status());
    EXPECT_EQ(0u, Position());
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(0, MpegAudioPlayStart());
    EXPECT_EQ(TAVPLY_STATUS_PLAYING, Status());
    Sleep(400);
    ExpectPositionWithin(0, 400, started, 60);
    uint16_t levels[2] = {0, 0};
    MpegAudioPlayGetLevel(levels);
    EXPECT_GT(levels[0], 12000);  // a 0.5 full-scale sine
    EXPECT_GT(levels[1], 12000);
    for (int i = 0; i < 300 && Status() == TAVPLY_STATUS_PLAYING; ++i) Sleep(10);
    EXPECT_EQ(TAVPLY_STATUS_STOPPED, Status());
    EXPECT_EQ(1500u, Position());
    EXPECT_EQ(0, MpegAudioPlayClose());
    EXPECT_EQ(TAVPLY_STATUS_NOT_READY, Status());
}

TEST_F(TavplyPlayer, StopResumesSetPositionMovesAndTheEndIsReachable) {
    ASSERT_EQ(0, MpegAudioPlayOpen((*dir / "m.mp2").c_str(), ""));
    ASSERT_EQ(0, MpegAudioPlaySetPosition(1000));
    EXPECT_EQ(1000u, Position());
    auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(0, MpegAudioPlayStart());
    Sleep(200);
    ASSERT_EQ(0, MpegAudioPlayStop());
    ExpectPositionWithin(1000, 200, started, 60);
    uint32_t stopped = Position();
    Sleep(200);
    EXPECT_EQ(stopped, Position());  // frozen while stopped
    EXPECT_EQ(TAVPLY_STATUS_STOPPED, Status());
    started = std::chrono::steady_clock::now();
    ASSERT_EQ(0, MpegAudioPlayStart());
    Sleep(200);
    ExpectPositionWithin(stopped, 200, started, 60);  // resumed, not restarted
    started = std::chrono::steady_clock::now();
    ASSERT_EQ(0, MpegAudioPlaySetPosition(300));
    ExpectPositionWithin(300, 0, started, 30);
    EXPECT_EQ(TAVPLY_STATUS_PLAYING, Status());
    ASSERT_EQ(0, MpegAudioPlaySetPosition(TAVPLY_POSITION_END));
    for (int i = 0; i < 100 && Status() == TAVPLY_STATUS_PLAYING; ++i) Sleep(10);
    EXPECT_EQ(TAVPLY_STATUS_STOPPED, Status());
    uint8_t info[TAVPLY_INFO_BYTES], ext[TAVPLY_EXT_BYTES];
    ASSERT_EQ(0, MpegAudioPlayGetInfo(info, ext));
    EXPECT_EQ(Get32(info, TAVPLY_INFO_LENGTH_MS), Position());
    EXPECT_EQ(0, MpegAudioPlayClose());
    EXPECT_NE(0, MpegAudioPlayStart());  // nothing open
}

}  // namespace
