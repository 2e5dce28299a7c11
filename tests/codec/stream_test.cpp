// Stream handling around the decoder: tags, junk and the title trailer never reach the audio,
// VBR and gapless headers give the length, damage is concealed without crashes, seeking is
// frame-accurate, and frame headers decode to the right sizes.
#include <gtest/gtest.h>
#include "tool_skip.h"

#include <algorithm>
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
    static void SetUpTestSuite() {
        if (!HaveTool("sox") || !HaveTool("lame")) return;
        dir = new ScratchDir("stream");
        Shell("sox -n -b 16 -r 44100 -c 2 " + (*dir / "in.wav") + " synth 3 sine 100-6000 vol 0.5");
        Shell("lame --quiet -V 3 " + (*dir / "in.wav") + " " + (*dir / "vbr.mp3"));
        plain = new std::vector<uint8_t>(ReadBytes(*dir / "vbr.mp3"));
    }
    static void TearDownTestSuite() {
        delete plain;
        delete dir;
        plain = nullptr;
        dir = nullptr;
    }
    void SetUp() override {
        if (!plain || plain->empty()) SKIP_UNLESS_CI("sox or lame missing");
    }
    static ScratchDir* dir;
    static std::vector<uint8_t>* plain;
};
ScratchDir* StreamFixture::dir = nullptr;
std::vector<uint8_t>* StreamFixture::plain = nullptr;

int ScanBytes(const std::vector<uint8_t>& bytes, MpaStreamInfo* info, int walk = 1) {
    MpaReader r = MpaMemoryReader(bytes.data(), bytes.size());
    return MpaScanStream(&r, info, walk);
}

std::vector<uint8_t> Trailer(const uint8_t status[4]) {
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

TEST_F(StreamFixture, TagsJunkAndTrailerAroundTheAudioDecodeLikeThePlainStream) {
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
        {"id3v2+trailer+id3v1", {}, true },
        {"junk+id3v1",          {}, false},
        {"trailer at end",      {}, true },
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
        ASSERT_TRUE(ScanBytes(l.bytes, &info)) << l.name;
        EXPECT_EQ(info.hasChannelStatus, l.hasStatus ? 1 : 0) << l.name;
        if (l.hasStatus) {
            EXPECT_EQ(0, std::memcmp(info.channelStatus, status, 4)) << l.name;
        }
        std::vector<float> got = DecodeBytes(l.bytes);
        ASSERT_EQ(got.size(), expected.size()) << l.name;
        EXPECT_EQ(0.0, RmsError(got, expected)) << l.name;
    }
}

TEST_F(StreamFixture, VbrHeaderGivesLengthAndGaplessTrimMatchesTheSource) {
    MpaStreamInfo info;
    ASSERT_TRUE(ScanBytes(*plain, &info));
    EXPECT_TRUE(info.hasVbrHeader);
    EXPECT_TRUE(info.vbr);
    EXPECT_TRUE(info.hasGapless);
    EXPECT_EQ(info.samples, 3u * 44100u);  // the source's exact length
    EXPECT_EQ(info.lengthMs, 3000u);
    EXPECT_GT(info.averageKbps, 32u);
    EXPECT_LT(info.averageKbps, 320u);
}

TEST_F(StreamFixture, DamageIsConcealedAndNeverCrashes) {
    std::mt19937 rng(7);
    // corrupt bytes in the middle: frames that no longer hold together are concealed; one that
    // still decodes validly plays as it says (the output stage clips it), but never as NaN or inf
    std::vector<uint8_t> bad = *plain;
    for (int i = 0; i < 300; ++i) bad[1000 + rng() % (bad.size() - 1000)] = uint8_t(rng());
    int concealed = 0;
    std::vector<float> out = DecodeBytes(bad, nullptr, &concealed);
    ASSERT_FALSE(out.empty());
    EXPECT_GT(concealed, 0);
    for (float v : out) ASSERT_TRUE(std::isfinite(v)) << v;
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
    EXPECT_FALSE(ScanBytes(noise, &info));
    std::vector<uint8_t> riff = *plain;
    std::memcpy(riff.data(), "RIFF", 4);
    EXPECT_FALSE(ScanBytes(riff, &info));
}

TEST_F(StreamFixture, SeekingLandsOnTheSameSamplesAsPlaying) {
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

TEST_F(StreamFixture, HeadAndTailGiveTheSameLayoutAsTheFrameWalk) {
    MpaStreamInfo walked, quick;
    ASSERT_TRUE(ScanBytes(*plain, &walked, 1));
    ASSERT_TRUE(ScanBytes(*plain, &quick, 0));
    EXPECT_EQ(quick.frames, walked.frames);
    EXPECT_EQ(quick.samples, walked.samples);
    EXPECT_EQ(quick.audioStart, walked.audioStart);
    EXPECT_EQ(quick.audioEnd, walked.audioEnd);
    EXPECT_NEAR(double(quick.averageKbps), double(walked.averageKbps), 2.0);
}

// A large file that exists only as a pattern: an ID3v2 tag with a big body, then silent
// layer II frames (mono, 192 kbit/s, 48 kHz: 576 bytes each, never padded), then an ID3v1
// tag. The reader counts what is asked of it.
struct PatternFile {
    uint64_t tagBytes = 10 + 4000000;
    uint64_t frameCount = 0;
    uint64_t reads = 0, bytes = 0, largest = 0;
    uint8_t frame[576] = {0xFF, 0xFD, 0xA4, 0xC4};
    uint64_t Size() const { return tagBytes + frameCount * 576 + 128; }

    static size_t Read(void* context, uint64_t offset, uint8_t* out, size_t len) {
        PatternFile* f = static_cast<PatternFile*>(context);
        ++f->reads;
        f->bytes += len;
        if (len > f->largest) f->largest = len;
        uint64_t audioEnd = f->tagBytes + f->frameCount * 576;
        for (size_t i = 0; i < len; ++i) {
            uint64_t at = offset + i;
            uint8_t b = 0;
            if (at < 10) {
                const uint8_t id3[10] = {'I', 'D', '3', 3, 0, 0, 0x01, 0x74, 0x12, 0x00};  // 4000000
                b = id3[at];
            } else if (at >= f->tagBytes && at < audioEnd) {
                b = f->frame[(at - f->tagBytes) % 576];
            } else if (at >= audioEnd) {
                b = at - audioEnd < 3 ? uint8_t("TAG"[at - audioEnd]) : ' ';
            }
            out[i] = b;
        }
        return len;
    }
    MpaReader Reader() { return MpaReader{this, Size(), Read}; }
};

TEST(BoundedReads, LayoutReadsHeadAndTailAndTheSourceOnlyAWindow) {
    PatternFile file;
    file.frameCount = 100000;  // about 58 MB, 40 minutes
    MpaReader r = file.Reader();
    MpaStreamInfo info;
    ASSERT_TRUE(MpaScanStream(&r, &info, 0));
    EXPECT_EQ(info.audioStart, file.tagBytes);
    EXPECT_TRUE(info.hasId3v1);
    EXPECT_EQ(info.frames, file.frameCount);  // nominal length of a constant bit rate
    EXPECT_EQ(info.lengthMs, 2400000u);
    EXPECT_LT(file.bytes, 20000u) << "the layout alone must not read the stream";

    std::unique_ptr<MpaSource> src(new MpaSource());
    file.bytes = file.largest = 0;
    ASSERT_TRUE(MpaSourceOpenReader(src.get(), r));
    EXPECT_EQ(src->info.frames, file.frameCount);
    EXPECT_LE(file.largest, uint64_t(MPA_WINDOW_BYTES));
    std::vector<float> pcm(4096);
    uint64_t total = src->info.samples;
    for (uint64_t target : {total / 3, total - 3000, uint64_t(5000)}) {
        file.bytes = 0;
        ASSERT_TRUE(MpaSourceSeek(src.get(), target));
        // The frame holding the target was decoded, and the cursor is on the byte after it.
        uint64_t frame = (target + src->info.skipSamples) / 1152;
        EXPECT_EQ(src->nextFrame, frame + 1) << target;
        EXPECT_EQ(src->nextOffset, file.tagBytes + (frame + 1) * 576) << target;
        size_t got = 0, n;
        while (got < 4000 && (n = MpaSourceRead(src.get(), pcm.data(), 4096)) > 0) got += n;
        if (target + 4000 > total)
            EXPECT_EQ(got, total - target);
        else
            EXPECT_GE(got, 4000u);
        EXPECT_EQ(src->position, target + got);
        // a seek walks at most one index stride of headers and decodes a few frames
        uint64_t stride = uint64_t(src->index.stride) * 576;
        EXPECT_LT(file.bytes, stride + 4 * uint64_t(MPA_WINDOW_BYTES)) << target;
    }
    EXPECT_LE(file.largest, uint64_t(MPA_WINDOW_BYTES));
    EXPECT_EQ(0, src->concealed);
}

TEST(FrameHeader, SizesAndFieldsOfRepresentativeHeaders) {
    struct Case {
        uint32_t word;
        int layer, versionIndex, kbps, rate, bytes, samples, channels;
    } cases[] = {
        {0xFFFB9064, 3, 0, 128, 44100, 417, 1152, 2}, // MPEG-1 layer III 128k, joint
        {0xFFFB9264, 3, 0, 128, 44100, 418, 1152, 2}, // padded
        {0xFFFDA4C4, 2, 0, 192, 48000, 576, 1152, 1}, // layer II mono, CRC off
        {0xFFFFE000, 1, 0, 448, 44100, 484, 384,  2}, // layer I 448k
        {0xFFF39064, 3, 1, 80,  22050, 261, 576,  2}, // MPEG-2 layer III
        {0xFFE31844, 3, 2, 8,   8000,  72,  576,  2}, // MPEG-2.5 8 kHz
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
    // A free-format size is taken from its smallest to its largest, not one byte past either.
    EXPECT_FALSE(MpaParseHeader(0xFFFB0064, &h, MPA_MIN_FREE_BYTES - 1));
    ASSERT_TRUE(MpaParseHeader(0xFFFB0064, &h, MPA_MIN_FREE_BYTES));
    EXPECT_EQ(h.frameBytes, MPA_MIN_FREE_BYTES);
    EXPECT_TRUE(MpaParseHeader(0xFFFB0064, &h, MPA_MAX_FREE_BYTES));
    EXPECT_FALSE(MpaParseHeader(0xFFFB0064, &h, MPA_MAX_FREE_BYTES + 1));
    EXPECT_FALSE(MpaParseHeader(0xFFFBF064, &h));  // bit-rate index 15
    EXPECT_FALSE(MpaParseHeader(0xFFFB9C64, &h));  // sample-rate index 3
    EXPECT_FALSE(MpaParseHeader(0xFFF99064, &h));  // reserved layer
    EXPECT_FALSE(MpaParseHeader(0xFFEB9064, &h));  // reserved version
}

}  // namespace

// Free format: constant-rate streams whose frames need no padding (32 kHz) with the bit-rate
// index cleared in every header play exactly like the originals.
TEST(FreeFormat, StreamsWithoutABitRateIndexDecodeLikeTheirTwins) {
    if (!HaveTool("sox")) SKIP_UNLESS_CI("sox missing");
    ScratchDir dir("freeformat");
    ASSERT_TRUE(
        Shell("sox -n -b 16 -r 32000 -c 2 " + (dir / "in.wav") + " synth 2 pluck C3 synth 2 pinknoise mix vol 0.4"));
    struct {
        int layer, kbps;
    } cases[] = {
        {3, 128},
        {2, 192}
    };
    for (const auto& c : cases) {
        const std::string out = dir / ("l" + std::to_string(c.layer) + ".mpa");
        ASSERT_TRUE(Shell(std::string(QD_BINARY_DIR) + "/bin/taven -t -l " + std::to_string(c.layer) + " -b " +
                          std::to_string(c.kbps) + " " + (dir / "in.wav") + " " + out));
        const std::vector<uint8_t> fixed = ReadBytes(out);
        const size_t frameBytes = size_t(144 * c.kbps * 1000 / 32000);
        ASSERT_EQ(fixed.size() % frameBytes, 0u);
        std::vector<uint8_t> free = fixed;
        for (size_t at = 0; at < free.size(); at += frameBytes) free[at + 2] &= 0x0F;

        MpaStreamInfo info;
        ASSERT_TRUE(ScanBytes(free, &info)) << c.layer;
        EXPECT_EQ(info.first.bitrateKbps, c.kbps);
        EXPECT_EQ(info.frames, fixed.size() / frameBytes - 1);  // the last one carries the title trailer
        int concealed = -1;
        const std::vector<float> a = DecodeBytes(fixed), b = DecodeBytes(free, nullptr, &concealed);
        EXPECT_EQ(concealed, 0);
        ASSERT_EQ(a.size(), b.size());
        EXPECT_TRUE(a == b) << c.layer;
    }
}

// A stream whose frames change channel count part-way (spliced broadcasts, joined files) keeps
// the first frame's count: stereo frames in a mono stream are mixed down to the level of the
// mono ones, mono frames in a stereo stream go to both channels at their own level.
TEST(ChannelChange, FramesOfTheOtherCountPlayAtTheStreamsLevel) {
    if (!HaveTool("sox")) SKIP_UNLESS_CI("sox missing");
    ScratchDir dir("channelchange");
    const std::string taven = std::string(QD_BINARY_DIR) + "/bin/taven -l 2 -b 192 ";
    for (int ch : {1, 2}) {
        const std::string wav = dir / ("c" + std::to_string(ch) + ".wav");
        ASSERT_TRUE(Shell("sox -n -b 16 -r 32000 -c " + std::to_string(ch) + " " + wav + " synth 2 sine 440 vol 0.3"));
        ASSERT_TRUE(Shell(taven + wav + " " + (dir / ("c" + std::to_string(ch) + ".mp2"))));
    }
    const std::vector<uint8_t> mono = ReadBytes(dir / "c1.mp2"), stereo = ReadBytes(dir / "c2.mp2");
    const size_t frameBytes = 864, spf = 1152;  // 192 kbit/s at 32 kHz: never padded
    ASSERT_GE(std::min(mono.size(), stereo.size()), 50 * frameBytes);
    // frames 20..39 from the other stream; the level is compared well inside them
    auto splice = [&](const std::vector<uint8_t>& base, const std::vector<uint8_t>& other) {
        std::vector<uint8_t> out = base;
        std::copy(other.begin() + 20 * frameBytes, other.begin() + 40 * frameBytes, out.begin() + 20 * frameBytes);
        return out;
    };
    auto rms = [&](const std::vector<float>& pcm, int nch, int ch) {
        double s = 0;
        for (size_t i = 24 * spf; i < 36 * spf; ++i) s += double(pcm[i * nch + ch]) * pcm[i * nch + ch];
        return std::sqrt(s / double(12 * spf));
    };
    int channels = 0;
    const std::vector<float> plainMono = DecodeBytes(mono);
    const std::vector<float> monoMixed = DecodeBytes(splice(mono, stereo), &channels);
    ASSERT_EQ(channels, 1);
    ASSERT_EQ(monoMixed.size(), plainMono.size());
    EXPECT_NEAR(rms(monoMixed, 1, 0) / rms(plainMono, 1, 0), 1.0, 0.05);

    const std::vector<float> plainStereo = DecodeBytes(stereo);
    const std::vector<float> stereoSpread = DecodeBytes(splice(stereo, mono), &channels);
    ASSERT_EQ(channels, 2);
    ASSERT_EQ(stereoSpread.size(), plainStereo.size());
    for (int ch : {0, 1}) EXPECT_NEAR(rms(stereoSpread, 2, ch) / rms(plainStereo, 2, ch), 1.0, 0.05) << ch;
    size_t differ = 0;
    for (size_t i = 24 * spf; i < 36 * spf; ++i) differ += stereoSpread[2 * i] != stereoSpread[2 * i + 1];
    EXPECT_EQ(differ, 0u);  // the very same samples on both sides
}
