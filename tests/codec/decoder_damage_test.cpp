// Damaged streams: a frame whose CRC fails is concealed instead of played, and a frame that
// decodes validly plays however loud it is, even far louder than the music around it.
#include <gtest/gtest.h>
#include "tool_skip.h"

#include <cmath>
#include <random>

#include "codec/codec_test_util.h"
#include "mpa_decoder.h"
#include "mpa_stream.h"

using namespace codectest;

namespace {

// Offsets of the audio frames of a stream (a leading Info frame included).
std::vector<size_t> FrameOffsets(const std::vector<uint8_t>& bytes) {
    std::vector<size_t> at;
    MpaReader r = MpaMemoryReader(bytes.data(), bytes.size());
    MpaStreamInfo info;
    if (!MpaScanStream(&r, &info, 0)) return at;
    MpaHeader h;
    for (size_t pos = info.audioStart; pos + 4 <= info.audioEnd; pos += size_t(h.frameBytes)) {
        if (!MpaParseHeader(MpaHeaderWord(&bytes[pos]), &h)) break;
        at.push_back(pos);
    }
    return at;
}

struct FrameRun {
    std::vector<int> errors;  // lastError per frame
    float peak = 0.0f;
};

// Decodes frame by frame from the offsets, as the player does.
FrameRun DecodeFrames(const std::vector<uint8_t>& bytes, const std::vector<size_t>& at) {
    FrameRun run;
    std::unique_ptr<MpaDecoder> dec(new MpaDecoder());
    MpaDecoderInit(dec.get());
    std::vector<float> pcm(MPA_MAX_SAMPLES * 2);
    for (size_t pos : at) {
        MpaHeader h;
        int n = MpaDecodeFrame(dec.get(), &bytes[pos], bytes.size() - pos, pcm.data(), &h);
        run.errors.push_back(dec->lastError);
        for (int i = 0; i < n * h.channels; ++i) run.peak = std::fmax(run.peak, std::fabs(pcm[size_t(i)]));
    }
    return run;
}

float PeakOf(const std::vector<float>& pcm) {
    float p = 0.0f;
    for (float v : pcm) p = std::fmax(p, std::fabs(v));
    return p;
}

// Adds delta to an unsigned bit field of the frame (MSB-first bit offset from byte `from`).
void AddToField(uint8_t* from, int bitOffset, int width, int delta) {
    uint32_t v = 0;
    for (int i = 0; i < width; ++i) v = (v << 1) | ((from[(bitOffset + i) >> 3] >> (7 - ((bitOffset + i) & 7))) & 1u);
    v = uint32_t(std::min(int(v) + delta, (1 << width) - 1));
    for (int i = width - 1; i >= 0; --i, v >>= 1) {
        uint8_t& b = from[(bitOffset + i) >> 3];
        const uint8_t mask = uint8_t(0x80 >> ((bitOffset + i) & 7));
        b = (v & 1u) ? uint8_t(b | mask) : uint8_t(b & ~mask);
    }
}

class DamageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTool("sox") || !HaveTool("lame")) {
            if (std::getenv("CI")) FAIL() << "sox and lame are installed by setup.sh";
            SKIP_UNLESS_CI("sox or lame missing");
        }
    }
    std::vector<uint8_t> Encode(const std::string& synth, const std::string& lameArgs) {
        Shell("sox -n -b 16 -r 44100 -c 2 " + (dir / "in.wav") + " " + synth);
        Shell("lame --quiet " + lameArgs + " " + (dir / "in.wav") + " " + (dir / "out.mp3"));
        return ReadBytes(dir / "out.mp3");
    }
    ScratchDir dir{"damage"};
};

TEST_F(DamageFixture, DamagedSideInformationFailsTheCrcAndIsConcealed) {
    const std::vector<uint8_t> clean = Encode("synth 4 pluck A2 synth 4 pinknoise mix vol 0.4", "-p -b 128");
    const std::vector<size_t> at = FrameOffsets(clean);
    ASSERT_GT(at.size(), 100u);
    const FrameRun ref = DecodeFrames(clean, at);
    for (int e : ref.errors) ASSERT_EQ(e, MPA_OK);  // a correct CRC is never taken for damage

    // Random bits of the side information (after header and CRC) of every fifth frame.
    std::vector<uint8_t> bad = clean;
    std::mt19937 rng(19);
    for (size_t f = 10; f < at.size(); f += 5) bad[at[f] + 6 + rng() % 32] ^= uint8_t(1u << (rng() % 8));
    const FrameRun run = DecodeFrames(bad, at);
    for (size_t f = 10; f < at.size(); f += 5) EXPECT_EQ(run.errors[f], MPA_ERR_CRC) << "frame " << f;
    // Frames after a failed one still find their main data: only the damaged ones are lost.
    int lost = 0;
    for (int e : run.errors) lost += e != MPA_OK;
    EXPECT_LE(lost, int((at.size() - 10) / 5) + 1);
    EXPECT_LE(run.peak, ref.peak * 1.12f);  // never above the clean stream's peak + 1 dB
}

TEST_F(DamageFixture, ValidFramesPlayHoweverLoud) {
    // Clipped from the first sample, and again after a second of digital silence.
    for (const char* synth : {"synth 3 square 110 square 331 gain 6", "synth 3 square 110 square 331 gain 6 pad 1 0"}) {
        int concealed = -1;
        std::vector<float> pcm = DecodeBytes(Encode(synth, "-b 128"), nullptr, &concealed);
        EXPECT_GT(PeakOf(pcm), 1.0f) << synth;
        EXPECT_EQ(concealed, 0) << synth;
    }
    // One frame's global gain raised by 15 dB: without a CRC nothing tells it from music that
    // really jumps, so it plays, louder than the rest.
    const std::vector<uint8_t> clean = Encode("synth 4 pluck A2 synth 4 pinknoise mix vol 0.3", "-b 128");
    const std::vector<size_t> at = FrameOffsets(clean);
    ASSERT_GT(at.size(), 100u);
    std::vector<uint8_t> loud = clean;
    const int GAIN_BITS[4] = {41, 100, 159, 218};  // MPEG-1 stereo side information
    for (int bit : GAIN_BITS) AddToField(&loud[at[80] + 4], bit, 8, 20);
    const FrameRun ref = DecodeFrames(clean, at);
    const FrameRun run = DecodeFrames(loud, at);
    for (size_t f = 0; f < at.size(); ++f) ASSERT_EQ(run.errors[f], int(MPA_OK)) << "frame " << f;
    EXPECT_GT(run.peak, ref.peak * 2.0f);
}

}  // namespace
