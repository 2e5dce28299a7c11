// Stream handling around the decoder: tags, junk and the title trailer never reach the audio,
// VBR and gapless headers give the length, damage is concealed without crashes, seeking is
// frame-accurate, and frame headers decode to the right sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "codec/codec_test_util.h"
#include "mpa_header.h"
#include "mpa_stream.h"

using namespace codectest;

namespace {

// One lame-encoded stream shared by the tests of this file (made once).
class StreamFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!HaveTool("sox") || !HaveTool("lame")) return;
        dir = new ScratchDir("stream");
        Shell("sox -n -b 16 -r 44100 -c 2 " + (*dir / "in.wav") + " synth 3 sine 100-6000 vol 0.5");
        Shell("lame --quiet -V 3 " + (*dir / "in.wav") + " " + (*dir / "vbr.mp3"));
        plain = new std::vector<uint8_t>(ReadBytes(*dir / "vbr.mp3"));
    }
    static void TearDownTestSuite()
    {
        delete plain;
        delete dir;
        plain = nullptr;
        dir = nullptr;
    }
    void SetUp() override
    {
        if (!plain || plain->empty()) GTEST_SKIP() << "sox or lame missing";
    }
    static ScratchDir* dir;
    static std::vector<uint8_t>* plain;
};
ScratchDir* StreamFixture::dir = nullptr;
std::vector<uint8_t>* StreamFixture::plain = nullptr;

std::vector<uint8_t> Trailer(const uint8_t status[4])
{
    std::vector<uint8_t> t;
    auto put = [&t](const char* s, size_t n) { t.insert(t.end(), s, s + n); };
    auto le = [&t](uint32_t v) {
        for (int i = 0; i < 4; ++i) t.push_back(uint8_t(v >> (8 * i)));
    };
    put("DISP", 4);
    le(10);
    le(1);
    put("Title", 6);
    put("LIST", 4);
    le(16);
    put("INFO", 4);
    put("CHST", 4);
    le(4);
    t.insert(t.end(), status, status + 4);
    uint32_t area = uint32_t(t.size());
    le(area);
    put("MEXT", 4);
    return t;
}

TEST_F(StreamFixture, TagsJunkAndTrailerAroundTheAudioDecodeLikeThePlainStream)
{
    const uint8_t status[4] = {0x04, 0x82, 0x00, 0x02};
    std::vector<uint8_t> id3v2 = {'I', 'D', '3', 3, 0, 0, 0, 0, 1, 0};  // 128-byte body
    id3v2.resize(10 + 128, 0);
    std::vector<uint8_t> junk(512);
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = uint8_t((i * 37) & 0x7F);
    std::vector<uint8_t> id3v1(128, ' ');
    std::memcpy(id3v1.data(), "TAG", 3);
    std::vector<uint8_t> trailer = Trailer(status);

    std::vector<float> expected = DecodeBytes(*plain);
    struct Layout {
        const char* name;
        std::vector<uint8_t> bytes;
        bool hasStatus;
    } layouts[] = {
        {"id3v2+trailer+id3v1", {}, true},
        {"junk+id3v1", {}, false},
        {"trailer at end", {}, true},
    };
    auto cat = [](std::initializer_list<const std::vector<uint8_t>*> parts) {
        std::vector<uint8_t> out;
        for (auto* p : parts) out.insert(out.end(), p->begin(), p->end());
        return out;
    };
    layouts[0].bytes = cat({&id3v2, plain, &trailer, &id3v1});
    layouts[1].bytes = cat({&junk, plain, &id3v1});
    layouts[2].bytes = cat({plain, &trailer});
    for (auto& l : layouts) {
        MpaStreamInfo info;
        ASSERT_TRUE(MpaScanStream(l.bytes.data(), l.bytes.size(), &info, nullptr)) << l.name;
        EXPECT_EQ(info.hasChannelStatus, l.hasStatus ? 1 : 0) << l.name;
        if (l.hasStatus) EXPECT_EQ(0, std::memcmp(info.channelStatus, status, 4)) << l.name;
        std::vector<float> got = DecodeBytes(l.bytes);
        ASSERT_EQ(got.size(), expected.size()) << l.name;
        EXPECT_EQ(0.0, RmsError(got, expected)) << l.name;
    }
}

TEST_F(StreamFixture, VbrHeaderGivesLengthAndGaplessTrimMatchesTheSource)
{
    MpaStreamInfo info;
    ASSERT_TRUE(MpaScanStream(plain->data(), plain->size(), &info, nullptr));
    EXPECT_TRUE(info.hasVbrHeader);
    EXPECT_TRUE(info.vbr);
    EXPECT_TRUE(info.hasGapless);
    EXPECT_EQ(info.samples, 3u * 44100u);  // the source's exact length
    EXPECT_EQ(info.lengthMs, 3000u);
    EXPECT_GT(info.averageKbps, 32u);
    EXPECT_LT(info.averageKbps, 320u);
}

TEST_F(StreamFixture, DamageIsConcealedAndNeverCrashes)
{
    std::mt19937 rng(7);
    // corrupt bytes in the middle: frames concealed, output stays bounded
    std::vector<uint8_t> bad = *plain;
    for (int i = 0; i < 300; ++i) bad[1000 + rng() % (bad.size() - 1000)] = uint8_t(rng());
    int concealed = 0;
    std::vector<float> out = DecodeBytes(bad, nullptr, &concealed);
    ASSERT_FALSE(out.empty());
    for (float v : out) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 4.0f);
    // truncation at every few hundred bytes: shorter output, no crash
    for (size_t cut = 100; cut < plain->size(); cut += 997) {
        std::vector<uint8_t> part(plain->begin(), plain->begin() + long(cut));
        std::vector<float> o = DecodeBytes(part);
        EXPECT_LE(o.size(), DecodeBytes(*plain).size());
    }
    // noise and non-MPEG files are refused
    std::vector<uint8_t> noise(20000);
    for (auto& b : noise) b = uint8_t(rng());
    MpaStreamInfo info;
    EXPECT_FALSE(MpaScanStream(noise.data(), noise.size(), &info, nullptr));
    std::vector<uint8_t> riff = *plain;
    std::memcpy(riff.data(), "RIFF", 4);
    EXPECT_FALSE(MpaScanStream(riff.data(), riff.size(), &info, nullptr));
}

TEST_F(StreamFixture, SeekingLandsOnTheSameSamplesAsPlaying)
{
    std::vector<float> all = DecodeBytes(*plain);
    std::unique_ptr<MpaSource> src(new MpaSource());
    ASSERT_TRUE(MpaSourceOpen(src.get(), plain->data(), plain->size()));
    for (uint64_t target : {uint64_t(0), uint64_t(44100), uint64_t(100000), uint64_t(3 * 44100 - 500)}) {
        ASSERT_TRUE(MpaSourceSeek(src.get(), target));
        std::vector<float> got(1000 * 2);
        size_t n = MpaSourceRead(src.get(), got.data(), 1000);
        size_t want = std::min<size_t>(1000, size_t(3 * 44100 - target));
        ASSERT_EQ(n, want) << target;
        got.resize(n * 2);
        std::vector<float> ref(all.begin() + long(target * 2), all.begin() + long((target + n) * 2));
        EXPECT_LT(RmsError(got, ref), FullAccuracyLimit()) << "seek to " << target;
    }
    ASSERT_TRUE(MpaSourceSeek(src.get(), uint64_t(1) << 40));  // past the end: at the end
    float tail[8];
    EXPECT_EQ(0u, MpaSourceRead(src.get(), tail, 4));
}

TEST(FrameHeader, SizesAndFieldsOfRepresentativeHeaders)
{
    struct Case {
        uint32_t word;
        int layer, versionIndex, kbps, rate, bytes, samples, channels;
    } cases[] = {
        {0xFFFB9064, 3, 0, 128, 44100, 417, 1152, 2},   // MPEG-1 layer III 128k, joint
        {0xFFFB9264, 3, 0, 128, 44100, 418, 1152, 2},   // padded
        {0xFFFDA4C4, 2, 0, 192, 48000, 576, 1152, 1},   // layer II mono, CRC off
        {0xFFFFE000, 1, 0, 448, 44100, 484, 384, 2},    // layer I 448k
        {0xFFF39064, 3, 1, 80, 22050, 261, 576, 2},     // MPEG-2 layer III
        {0xFFE31844, 3, 2, 8, 8000, 72, 576, 2},       // MPEG-2.5 8 kHz
    };
    for (const Case& c : cases) {
        MpaHeader h;
        ASSERT_TRUE(MpaParseHeader(c.word, &h)) << std::hex << c.word;
        EXPECT_EQ(h.layer, c.layer);
        EXPECT_EQ(h.versionIndex, c.versionIndex);
        EXPECT_EQ(h.bitrateKbps, c.kbps);
        EXPECT_EQ(int(h.sampleRate), c.rate);
        EXPECT_EQ(h.frameBytes, c.bytes) << std::hex << c.word;
        EXPECT_EQ(h.samples, c.samples);
        EXPECT_EQ(h.channels, c.channels);
    }
    MpaHeader h;
    EXPECT_FALSE(MpaParseHeader(0xFFFB0064, &h));  // free format
    EXPECT_FALSE(MpaParseHeader(0xFFFBF064, &h));  // bit-rate index 15
    EXPECT_FALSE(MpaParseHeader(0xFFFB9C64, &h));  // sample-rate index 3
    EXPECT_FALSE(MpaParseHeader(0xFFF99064, &h));  // reserved layer
    EXPECT_FALSE(MpaParseHeader(0xFFEB9064, &h));  // reserved version
}

}  // namespace
