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

void Put32(uint8_t* rec, uint32_t off, uint32_t v) {
    for (int i = 0; i < 4; ++i) rec[off + i] = uint8_t(v >> (8 * i));
}

// What the tail of an MPEG file holds (a title trailer, an ID3v1 tag, both in the order the deck
// writes them, or neither) must not change the stream's description; the extended record holds
// the raw tag, the trailer's chunk area and its channel status exactly as they are in the file.
TEST_F(TavplyFiles, CheckInfoSeparatesTheTailsFromTheStream) {
    std::vector<uint8_t> audio = ReadBytes(*dir / "a.mp3");
    uint8_t plain[TAVPLY_INFO_BYTES], plainExt[TAVPLY_EXT_BYTES];
    ASSERT_EQ(0, MpegAudioPlayCheckInfo((*dir / "a.mp3").c_str(), plain, plainExt));
    const uint32_t plainFlags = Get32(plain, TAVPLY_INFO_FLAGS);

    // The chunk area: a "CHST" list of four status bytes; then the footer (area size, "MEXT").
    const uint8_t trailer[32] = {'L', 'I', 'S', 'T', 16,   0,    0,    0,    'I', 'N', 'F', 'O', 'C', 'H', 'S', 'T',
                                 4,   0,   0,   0,   0x04, 0x82, 0x00, 0x02, 24,  0,   0,   0,   'M', 'E', 'X', 'T'};
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAGLow Tide", 11);
    std::memcpy(tag.data() + 93, "1998", 4);
    tag[127] = 17;
    for (int withTrailer = 0; withTrailer < 2; ++withTrailer)
        for (int withTag = 0; withTag < 2; ++withTag) {
            SCOPED_TRACE(testing::Message() << "trailer " << withTrailer << ", tag " << withTag);
            std::vector<uint8_t> bytes = audio;
            if (withTrailer) bytes.insert(bytes.end(), trailer, trailer + 32);
            if (withTag) bytes.insert(bytes.end(), tag.begin(), tag.end());
            std::string path = *dir / "t.mp3";
            WriteBytes(path, bytes);
            ASSERT_EQ(0, MpegAudioPlayCheckInfo(path.c_str(), info, ext));

            uint8_t want[TAVPLY_INFO_BYTES];
            std::memcpy(want, plain, sizeof want);
            std::memset(want + TAVPLY_INFO_PATH, 0, 260);
            std::memcpy(want + TAVPLY_INFO_PATH, path.c_str(), path.size());
            Put32(want, TAVPLY_INFO_STREAM_BYTES, uint32_t(audio.size()));
            Put32(want, TAVPLY_INFO_FLAGS,
                  plainFlags | (withTag ? TAVPLY_FLAG_ID3V1 : 0u) |
                      (withTrailer ? TAVPLY_FLAG_TRAILER | TAVPLY_FLAG_CHANNEL_STATUS : 0u));
            for (uint32_t at = 0; at < TAVPLY_INFO_BYTES; at += 4)
                EXPECT_EQ(Get32(want, at), Get32(info, at)) << "info record at +" << at;

            uint8_t wantExt[TAVPLY_EXT_BYTES] = {};
            if (withTag) std::memcpy(wantExt + TAVPLY_EXT_ID3V1, tag.data(), 128);
            if (withTrailer) {
                Put32(wantExt, TAVPLY_EXT_TRAILER_BYTES, 24);
                std::memcpy(wantExt + TAVPLY_EXT_TRAILER, trailer, 24);
                std::memcpy(wantExt + TAVPLY_EXT_CHANNEL_STATUS, trailer + 20, 4);
            }
            for (uint32_t at = 0; at < TAVPLY_EXT_BYTES; at += 4)
                EXPECT_EQ(Get32(wantExt, at), Get32(ext, at)) << "extended record at +" << at;
        }
}

TEST_F(TavplyFiles, CheckInfoRefusesOtherFiles) {
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
