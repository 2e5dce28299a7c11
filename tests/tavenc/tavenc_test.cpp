// The encoder library through its six calls: every layer, rate and bit rate the deck offers
// decodes cleanly with mpg123 and ffmpeg, has the expected length and reproduces the input; the
// recorder's calling pattern yields the command-line encoder's bytes; refused settings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>

#include "enc_encoder.h"
#include "enc_test_util.h"
#include "tavenc_api.h"

using namespace enctest;

namespace {

std::string TempPath(const std::string& name) { return "/tmp/tavenc_test_" + std::to_string(::getpid()) + "_" + name; }

// Encodes with one Encode call over all input and a Flush, as a batch tool would.
std::vector<uint8_t> EncodeAll(const Pcm& pcm, int layer, int bitrate, int category = 2) {
    std::vector<uint8_t> out;
    uint8_t ctx[TAVENC_CONTEXT_BYTES];
    if (!MpegAudioEncodeSetInfo(ctx, layer | (pcm.channels << 8), pcm.rate, bitrate)) return out;
    MpegAudioEncodeSetCategoryCode(ctx, category);
    const uint8_t* in = reinterpret_cast<const uint8_t*>(pcm.samples.data());
    const uint8_t* inEnd = in + pcm.samples.size() * 2;
    std::vector<uint8_t> buf(1 << 16);
    while (in < inEnd) {
        uint8_t* o = buf.data();
        uint32_t produced = 0, consumed = 0;
        if (!MpegAudioEncode(&o, buf.data() + buf.size(), &produced, &in, inEnd, &consumed)) return {};
        out.insert(out.end(), buf.data(), buf.data() + produced);
    }
    uint8_t* o = buf.data();
    uint32_t produced = 0;
    MpegAudioEncodeFlush(&o, buf.data() + buf.size(), &produced);
    out.insert(out.end(), buf.data(), buf.data() + produced);
    return out;
}

// Walks the frame headers; returns the frame count, or -1 at a bad header or a partial frame.
int CountFrames(const std::vector<uint8_t>& s, int layer, int rate, int bitrate, int* copyrightOut = nullptr,
                int* originalOut = nullptr) {
    static const int RATES[3] = {44100, 48000, 32000};
    size_t pos = 0;
    int frames = 0;
    while (pos + 4 <= s.size()) {
        const uint8_t* h = &s[pos];
        if (h[0] != 0xFF || (h[1] & 0xF0) != 0xF0) return -1;
        if (((h[1] >> 3) & 1) != 1 || 4 - ((h[1] >> 1) & 3) != layer || (h[1] & 1) != 1) return -1;  // no CRC
        if (RATES[(h[2] >> 2) & 3] != rate) return -1;
        int pad = (h[2] >> 1) & 1;
        int len = layer == 1 ? (12 * bitrate * 1000 / rate + pad) * 4 : 144 * bitrate * 1000 / rate + pad;
        if (copyrightOut) *copyrightOut = (h[3] >> 3) & 1;
        if (originalOut) *originalOut = (h[3] >> 2) & 1;
        pos += size_t(len);
        ++frames;
    }
    return pos == s.size() ? frames : -1;
}

// ffmpeg notes that a stream without a seek table has only an estimated duration: true of any
// streamed recording, and not about decoding. Everything else a decoder says is a fault.
std::string DecoderComplaints(std::string text) {
    const std::string estimate = "Estimating duration from bitrate, this may be inaccurate";
    size_t at;
    while ((at = text.find(estimate)) != std::string::npos) {
        size_t lineStart = text.rfind('\n', at);
        lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        size_t lineEnd = text.find('\n', at);
        text.erase(lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart + 1);
    }
    return text;
}

// Decodes with mpg123; returns its complaints (empty when clean). mpg123 -q would hide its
// notes about lost sync and bad headers, so it runs verbose and its messages are sifted.
std::string DecodeMpg123(const std::string& mpegPath, Pcm* out) {
    std::string wav = mpegPath + ".mpg123.wav", text, complaints;
    int rc = RunCommand("mpg123 -w '" + wav + "' '" + mpegPath + "'", &text);
    *out = ReadWave(wav);
    std::remove(wav.c_str());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start), lower = line;
        for (char& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
        for (const char* word : {"note:", "warning", "error", "illegal", "resync", "skipp", "frankenstein", "invalid"})
            if (lower.find(word) != std::string::npos) {
                complaints += line + "\n";
                break;
            }
        start = end + 1;
    }
    return complaints + (rc ? "exit status " + std::to_string(rc) : "");
}

// Decodes several streams with one ffmpeg run (its start-up dominates the test's time).
std::string DecodeFfmpeg(const std::vector<std::string>& paths, std::vector<Pcm>* outs) {
    std::string cmd = "ffmpeg -nostdin -v warning";
    for (const std::string& p : paths) cmd += " -i '" + p + "'";
    for (size_t i = 0; i < paths.size(); ++i) cmd += " -map " + std::to_string(i) + ":a -y '" + paths[i] + ".ff.wav'";
    std::string errors;
    int rc = RunCommand(cmd, &errors);
    outs->clear();
    for (const std::string& p : paths) {
        outs->push_back(ReadWave(p + ".ff.wav"));
        std::remove((p + ".ff.wav").c_str());
    }
    return DecoderComplaints(errors) + (rc ? "exit status " + std::to_string(rc) : "");
}

double SnrAt(const Pcm& in, const Pcm& out, int delay) {
    double sig = 0.0, err = 0.0;
    size_t n = in.samples.size(), off = size_t(delay) * size_t(in.channels);
    if (out.samples.size() < n + off) return -999.0;
    for (size_t i = 0; i < n; ++i) {
        double a = in.samples[i], b = out.samples[i + off];
        sig += a * a;
        err += (a - b) * (a - b);
    }
    return 10.0 * std::log10(sig / (err + 1e-9));
}

struct Case {
    int layer, bitrate;
    double floorDb;  // lowest SNR accepted on the test signal (measured, less a margin)
};

// Measured on MusicLike (1 s, stereo) at 32, 44.1 and 48 kHz; floors sit about 3 dB under the
// lowest of the three.
const Case CASES[] = {
    {1, 128, 17.5},
    {1, 192, 23.5},
    {1, 224, 26.5},
    {1, 256, 29.5},
    {1, 320, 35.5},
    {1, 384, 38.5},
    {1, 448, 39.5},
    {2, 96,  22.0},
    {2, 128, 20.0},
    {2, 160, 23.0},
    {2, 192, 26.0},
    {2, 256, 30.5},
    {2, 320, 34.0},
    {2, 384, 38.5},
    {3, 64,  26.0},
    {3, 96,  28.5},
    {3, 112, 28.5},
    {3, 128, 30.0},
    {3, 160, 32.5},
    {3, 256, 38.0},
    {3, 320, 40.0},
};

// Encodes `in` once per case, checks the frame count, and decodes every stream with mpg123 and
// ffmpeg: no complaints, the expected length, and the input back after the codec delay.
void CheckStreams(const Pcm& in, const std::vector<Case>& cases) {
    std::vector<std::string> paths;
    for (const Case& c : cases) {
        SCOPED_TRACE("layer " + std::to_string(c.layer) + ", " + std::to_string(c.bitrate) + " kbit/s, " +
                     std::to_string(in.rate) + " Hz, " + std::to_string(in.channels) + " ch");
        std::vector<uint8_t> s = EncodeAll(in, c.layer, c.bitrate);
        ASSERT_FALSE(s.empty());
        const int frameSamples = c.layer == 1 ? 384 : 1152;
        const size_t expectFrames = (in.Frames() + size_t(EncCodecDelay(c.layer)) + frameSamples - 1) / frameSamples;
        EXPECT_EQ(CountFrames(s, c.layer, in.rate, c.bitrate), int(expectFrames));
        paths.push_back(TempPath(std::to_string(&c - cases.data()) + ".mp" + std::to_string(c.layer)));
        ASSERT_TRUE(WriteFile(paths.back(), s));
    }
    std::vector<Pcm> ff;
    EXPECT_EQ(DecodeFfmpeg(paths, &ff), "") << in.rate << " Hz";
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("layer " + std::to_string(c.layer) + ", " + std::to_string(c.bitrate) + " kbit/s, " +
                     std::to_string(in.rate) + " Hz, " + std::to_string(in.channels) + " ch");
        const int frameSamples = c.layer == 1 ? 384 : 1152, delay = EncCodecDelay(c.layer);
        const size_t expectSamples = (in.Frames() + size_t(delay) + frameSamples - 1) / frameSamples * frameSamples;
        Pcm mp;
        EXPECT_EQ(DecodeMpg123(paths[i], &mp), "");
        for (const Pcm* out : {&mp, &ff[i]}) {
            const char* tool = out == &mp ? "mpg123" : "ffmpeg";
            EXPECT_EQ(out->channels, in.channels) << tool;
            EXPECT_EQ(out->Frames(), expectSamples) << tool;
            EXPECT_GE(SnrAt(in, *out, delay), c.floorDb) << tool;
        }
        std::printf("    L%d %3d kbit/s %5d Hz %d ch: SNR %.2f dB\n", c.layer, c.bitrate, in.rate, in.channels,
                    SnrAt(in, mp, delay));
        std::remove(paths[i].c_str());
    }
}

}  // namespace

TEST(TavencStreams, EveryLayerRateAndBitrateDecodesCleanly) {
    for (int rate : {32000, 44100, 48000})
        CheckStreams(MusicLike(rate, 2, 1.0), std::vector<Case>(std::begin(CASES), std::end(CASES)));
}

TEST(TavencStreams, MonoAtEachLayer) {
    CheckStreams(MusicLike(44100, 1, 1.0),
                 {
                     {1, 192, 30.0},
                     {2, 96,  25.0},
                     {2, 192, 35.0},
                     {3, 64,  28.0},
                     {3, 128, 35.0}
    });
}

// Attacks switch the first channel to short blocks through start and stop blocks; the stream
// stays clean and close to the input.
TEST(TavencStreams, AttacksUseShortBlocksInLegalOrder) {
    Pcm in = NoiseBursts(44100, 2.0);
    std::vector<uint8_t> s = EncodeAll(in, 3, 128);
    ASSERT_GT(CountFrames(s, 3, 44100, 128), 0);
    std::vector<int> types;  // block type of channel 0, granule by granule
    for (size_t pos = 0; pos + 36 <= s.size();) {
        const uint8_t* side = &s[pos + 4];
        auto bits = [&](int off, int n) {
            uint32_t v = 0;
            for (int i = 0; i < n; ++i) v = v << 1 | ((side[(off + i) / 8] >> (7 - (off + i) % 8)) & 1);
            return int(v);
        };
        for (int g = 0; g < 2; ++g) {
            int at = 20 + g * 2 * 59;  // stereo: 20 bits of common fields, 59 per granule and channel
            types.push_back(bits(at + 33, 1) ? bits(at + 34, 2) : 0);
        }
        int pad = (s[pos + 2] >> 1) & 1;
        pos += size_t(144 * 128000 / 44100 + pad);
    }
    int shorts = 0;
    for (size_t i = 1; i < types.size(); ++i) {
        shorts += types[i] == 2;
        if (types[i - 1] == 1) {
            EXPECT_EQ(types[i], 2) << "granule " << i;
        }
        if (types[i - 1] == 2) {
            EXPECT_TRUE(types[i] == 2 || types[i] == 3) << "granule " << i;
        }
        if (types[i] == 2) {
            EXPECT_TRUE(types[i - 1] == 1 || types[i - 1] == 2) << "granule " << i;
        }
    }
    EXPECT_GE(shorts, 6);  // eight bursts
    // White noise loses its top band to the lowpass: a quarter of its energy at 128 kbit/s.
    CheckStreams(in, {
                         {3, 128, 5.0},
                         {3, 320, 9.0}
    });
}

// Castanet-like clacks whose onsets walk through every position of a granule: the coding noise
// in the 5 ms before each onset stays far below the clack itself (no pre-echo), wherever the
// onset falls.
TEST(TavencStreams, NoPreEchoWhereverAnAttackFalls) {
    Pcm in;
    in.rate = 44100;
    const size_t spacing = 8000, count = 24, n = spacing * (count + 2);
    in.samples.assign(2 * n, 0);
    std::vector<size_t> onsets;
    unsigned state = 9;
    for (size_t k = 0; k < count; ++k) {
        const size_t at = spacing * (k + 1) + k * 97 % 576;
        onsets.push_back(at);
        double y1 = 0, y2 = 0;
        for (size_t i = 0; i < 1200; ++i) {
            state = state * 1664525u + 1013904223u;
            double e = (double(state >> 8) / 8388608.0 - 1.0) * std::exp(-double(i) / 90.0);
            double y = e + 1.2 * y1 - 0.94 * y2;  // a resonance near 4 kHz
            y2 = y1;
            y1 = y;
            in.samples[2 * (at + i)] = in.samples[2 * (at + i) + 1] = int16_t(std::lround(0.1 * y * 32767.0));
        }
    }
    // The highest rates have the largest frames and the least room for a reservoir beside them,
    // yet must keep attacks at least as clean as 128 kbit/s does.
    for (int bitrate : {128, 256, 320}) {
        const std::string path = TempPath("castanets.mp3");
        ASSERT_TRUE(WriteFile(path, EncodeAll(in, 3, bitrate)));
        Pcm out;
        ASSERT_EQ(DecodeMpg123(path, &out), "");
        std::remove(path.c_str());
        const size_t delay = size_t(EncCodecDelay(3)), w = 220;  // 5 ms
        ASSERT_GE(out.Frames(), n + delay);
        for (size_t at : onsets) {
            double err = 0, after = 0;
            for (size_t i = at - w; i < at; ++i) {
                double d = double(out.samples[2 * (i + delay)]) - in.samples[2 * i];
                err += d * d;
            }
            for (size_t i = at; i < at + w; ++i) after += double(in.samples[2 * i]) * in.samples[2 * i];
            EXPECT_LT(10.0 * std::log10(err / after), -30.0)
                << bitrate << " kbit/s, onset at " << at << " (granule offset " << at % 576 << ")";
        }
    }
}

// Level (dB against full scale) of a tone of frequency hz in the left channel, by Goertzel.
double ToneDb(const Pcm& p, double hz) {
    const double w = 2.0 * 3.14159265358979323846 * hz / p.rate, c = 2.0 * std::cos(w);
    const size_t from = p.Frames() / 4, n = p.Frames() / 2;
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < from + n; ++i) {
        double s0 = p.samples[i * size_t(p.channels)] / 32768.0 + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return 10.0 * std::log10(power + 1e-30) - 20.0 * std::log10(double(n) / 2.0);
}

// The lowpass follows the bit rate: at 128 kbit/s stereo layer III keeps 14 kHz and drops
// 18.5 kHz; at 320 kbit/s, and in layer II at 192 kbit/s, both stay.
TEST(TavencStreams, LowpassFollowsLayerAndBitRate) {
    Pcm in;
    in.rate = 44100;
    const size_t n = 44100;
    in.samples.resize(2 * n);
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / in.rate;
        double v = 0.2 * std::sin(2 * 3.14159265358979323846 * 14000.0 * t) +
                   0.2 * std::sin(2 * 3.14159265358979323846 * 18500.0 * t);
        in.samples[2 * i] = in.samples[2 * i + 1] = int16_t(std::lround(v * 32767.0));
    }
    const std::string path = TempPath("lowpass.mpa");
    struct {
        int layer, bitrate;
        bool keepsHigh;
    } cases[] = {
        {3, 128, false},
        {3, 320, true },
        {2, 192, true },
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFile(path, EncodeAll(in, c.layer, c.bitrate)));
        Pcm out;
        ASSERT_EQ(DecodeMpg123(path, &out), "");
        const double ref = ToneDb(in, 14000.0);
        EXPECT_NEAR(ToneDb(out, 14000.0), ref, 3.0) << c.layer << " " << c.bitrate;
        if (c.keepsHigh)
            EXPECT_NEAR(ToneDb(out, 18500.0), ref, 3.0) << c.layer << " " << c.bitrate;
        else
            EXPECT_LT(ToneDb(out, 18500.0), ref - 30.0) << c.layer << " " << c.bitrate;
    }
    std::remove(path.c_str());
}

TEST(TavencStreams, SilenceAndFullScaleSurvive) {
    Pcm quiet;
    quiet.samples.assign(44100 * 2, 0);
    Pcm loud = MusicLike(44100, 2, 1.0);
    for (int16_t& v : loud.samples) v = v >= 0 ? 32767 : -32768;  // clipped square-ish waves
    for (int layer = 1; layer <= 3; ++layer) {
        int br = layer == 1 ? 256 : (layer == 2 ? 192 : 128);
        std::vector<uint8_t> s = EncodeAll(quiet, layer, br);
        EXPECT_GT(CountFrames(s, layer, 44100, br), 0);
        std::string path = TempPath("edge.mp" + std::to_string(layer));
        for (const Pcm* in : {&quiet, &loud}) {
            ASSERT_TRUE(WriteFile(path, EncodeAll(*in, layer, br)));
            Pcm out;
            EXPECT_EQ(DecodeMpg123(path, &out), "") << "layer " << layer;
        }
        std::remove(path.c_str());
    }
}

// The recorder's pattern: 100 ms buffers appended to an accumulation buffer, Encode, again while
// 4608 bytes or more wait, output style 3 so Flush only at the end. The bytes must equal the
// command-line encoder's.
TEST(TavencWriter, RecorderPatternMatchesCommandLine) {
    Pcm in = MusicLike(44100, 2, 2.35);
    std::string wav = TempPath("writer.wav"), cliOut = TempPath("cli.mp3");
    ASSERT_TRUE(WriteFile(wav, WaveBytes(in)));
    for (int layer = 1; layer <= 3; ++layer) {
        int br = layer == 1 ? 256 : (layer == 2 ? 192 : 128);
        std::string cmd = std::string(QD_BINARY_DIR) + "/bin/taven -t -l " + std::to_string(layer) + " -b " +
                          std::to_string(br) + " '" + wav + "' '" + cliOut + "'";
        ASSERT_EQ(RunCommand(cmd, nullptr), 0) << cmd;
        std::vector<uint8_t> expected = ReadFile(cliOut);

        uint8_t ctx[TAVENC_CONTEXT_BYTES];
        const int deckMode = 1 << 16;  // the mode word the deck records with
        ASSERT_NE(MpegAudioEncodeSetInfo(ctx, layer | deckMode, 44100, br), 0);
        uint32_t style;
        std::memcpy(&style, ctx + 4 * TAVENC_OUTPUT_STYLE_WORD, 4);
        ASSERT_EQ(style, uint32_t(TAVENC_OUTPUT_STYLE_HELD));
        MpegAudioEncodeReset(ctx);
        const size_t bufferBytes = 17640;
        std::vector<uint8_t> acc(2 * bufferBytes), outBuf(2 * bufferBytes), got;
        size_t waiting = 0;
        const uint8_t* src = reinterpret_cast<const uint8_t*>(in.samples.data());
        size_t total = in.samples.size() * 2;
        for (size_t off = 0; off < total; off += bufferBytes) {
            size_t n = std::min(bufferBytes, total - off);
            std::memcpy(acc.data() + waiting, src + off, n);
            waiting += n;
            size_t produced = 0, consumed = 0;
            for (;;) {
                uint8_t* o = outBuf.data() + produced;
                const uint8_t* i = acc.data() + consumed;
                uint32_t p = 0, c = 0;
                ASSERT_NE(
                    MpegAudioEncode(&o, outBuf.data() + outBuf.size(), &p, &i, acc.data() + consumed + waiting, &c), 0);
                produced += p;
                consumed += c;
                waiting -= c;
                if (waiting < TAVENC_MIN_INPUT_BYTES) break;
            }
            std::memmove(acc.data(), acc.data() + consumed, waiting);
            got.insert(got.end(), outBuf.data(), outBuf.data() + produced);
        }
        uint8_t* o = outBuf.data();
        uint32_t p = 0;
        MpegAudioEncodeFlush(&o, outBuf.data() + outBuf.size(), &p);
        got.insert(got.end(), outBuf.data(), outBuf.data() + p);
        EXPECT_EQ(got.size(), expected.size()) << "layer " << layer;
        EXPECT_TRUE(got == expected) << "layer " << layer;
    }
    std::remove(wav.c_str());
    std::remove(cliOut.c_str());
}

// The library keeps partial frames between calls: any slicing of the input, odd byte counts
// included, gives the stream a single call gives.
TEST(TavencWriter, AnySlicingGivesTheSameStream) {
    Pcm in = MusicLike(48000, 2, 1.3);
    for (int layer = 1; layer <= 3; ++layer) {
        int br = layer == 1 ? 384 : (layer == 2 ? 256 : 160);
        std::vector<uint8_t> expected = EncodeAll(in, layer, br);
        uint8_t ctx[TAVENC_CONTEXT_BYTES];
        ASSERT_NE(MpegAudioEncodeSetInfo(ctx, layer, 48000, br), 0);
        MpegAudioEncodeSetCategoryCode(ctx, 2);
        const uint8_t* i = reinterpret_cast<const uint8_t*>(in.samples.data());
        const uint8_t* end = i + in.samples.size() * 2;
        std::vector<uint8_t> out(1 << 16), got;
        unsigned state = 3u + unsigned(layer);
        while (i < end) {
            state = state * 1103515245u + 12345u;
            size_t slice = 1 + (state >> 16) % 9001;
            const uint8_t* sliceEnd = size_t(end - i) < slice ? end : i + slice;
            uint8_t* o = out.data();
            uint32_t p = 0, c = 0;
            ASSERT_NE(MpegAudioEncode(&o, out.data() + out.size(), &p, &i, sliceEnd, &c), 0);
            got.insert(got.end(), out.data(), out.data() + p);
            if (i < sliceEnd) {  // an odd byte short of a sample stays with the caller
                ASSERT_LT(sliceEnd - i, 4);
            }
        }
        uint8_t* o = out.data();
        uint32_t p = 0;
        MpegAudioEncodeFlush(&o, out.data() + out.size(), &p);
        got.insert(got.end(), out.data(), out.data() + p);
        EXPECT_TRUE(got == expected) << "layer " << layer;
    }
}

TEST(TavencCalls, RefusesWhatItDoesNotEncode) {
    uint8_t ctx[TAVENC_CONTEXT_BYTES];
    EXPECT_EQ(MpegAudioEncodeSetInfo(ctx, 4, 44100, 128), 0);           // kind 4 is not ours
    EXPECT_EQ(MpegAudioEncodeSetInfo(ctx, 3, 22050, 64), 0);            // not an MPEG-1 rate
    EXPECT_EQ(MpegAudioEncodeSetInfo(ctx, 3, 44100, 100), 0);           // not a layer III bit rate
    EXPECT_EQ(MpegAudioEncodeSetInfo(ctx, 2, 44100, 448), 0);           // 448 is layer I only
    EXPECT_EQ(MpegAudioEncodeSetInfo(ctx, 2 | 1 << 8, 44100, 256), 0);  // layer II mono tops at 192
    EXPECT_EQ(MpegAudioEncodeSetInfo(ctx, 2, 44100, 56), 0);            // nor stereo below 64
    EXPECT_EQ(MpegAudioEncodeSetInfo(ctx, 1, 44100, 32), 0);            // allocation would not fit
    EXPECT_EQ(MpegAudioEncodeSetInfo(nullptr, 2, 44100, 192), 0);
    EXPECT_NE(MpegAudioEncodeSetInfo(ctx, 1, 48000, 448), 0);
    EXPECT_NE(MpegAudioEncodeSetInfo(ctx, 3 | 1 << 16, 44100, 128), 0);  // a mode word above is ignored
    uint32_t channels;
    std::memcpy(&channels, ctx + 20, 4);
    EXPECT_EQ(channels, 2u);
    EXPECT_NE(MpegAudioEncodeSetInfo(ctx, 2 | 1 << 8, 32000, 96), 0);
    EXPECT_EQ(MpegAudioEncodeGetFatalError(ctx), 0);
}

TEST(TavencCalls, CategoryCodeSetsHeaderBits) {
    Pcm in = MusicLike(44100, 2, 0.2);
    for (int code = 0; code < 4; ++code) {
        std::vector<uint8_t> s = EncodeAll(in, 2, 192, code);
        int copyright = -1, original = -1;
        ASSERT_GT(CountFrames(s, 2, 44100, 192, &copyright, &original), 0);
        EXPECT_EQ(copyright, code & 1);
        EXPECT_EQ(original, code >> 1);
    }
}

TEST(TavencCalls, NoOutputRoomFailsWithoutLosingInput) {
    Pcm in = MusicLike(44100, 2, 0.5);
    std::vector<uint8_t> expected = EncodeAll(in, 3, 128);
    uint8_t ctx[TAVENC_CONTEXT_BYTES];
    ASSERT_NE(MpegAudioEncodeSetInfo(ctx, 3, 44100, 128), 0);
    MpegAudioEncodeSetCategoryCode(ctx, 2);
    std::vector<uint8_t> small(100), big(1 << 16), got;
    const uint8_t* i = reinterpret_cast<const uint8_t*>(in.samples.data());
    const uint8_t* end = i + in.samples.size() * 2;
    uint8_t* o = small.data();
    uint32_t p = 0, c = 0;
    EXPECT_EQ(MpegAudioEncode(&o, small.data() + small.size(), &p, &i, end, &c), 0);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(p, 0u);
    EXPECT_NE(MpegAudioEncodeGetFatalError(ctx), 0);
    while (i < end) {
        o = big.data();
        ASSERT_NE(MpegAudioEncode(&o, big.data() + big.size(), &p, &i, end, &c), 0);
        got.insert(got.end(), big.data(), big.data() + p);
    }
    o = big.data();
    MpegAudioEncodeFlush(&o, big.data() + big.size(), &p);
    got.insert(got.end(), big.data(), big.data() + p);
    EXPECT_TRUE(got == expected);
}

// The encoder's setting limits, each on both sides of its edge: a setting let through here
// makes a stream that players refuse, one refused here is a format the user cannot pick.
TEST(EncoderSettings, EachLimitHoldsOnBothSides) {
    struct {
        int layer, rate, kbps, channels, taken;
    } cases[] = {
        {2, 44100, 56,  2, 0}, // layer II stereo starts at 64 ...
        {2, 44100, 64,  2, 1},
        {2, 44100, 80,  2, 0}, // ... and skips 80
        {2, 44100, 96,  2, 1},
        {2, 48000, 80,  1, 1}, // mono takes 80
        {2, 48000, 192, 1, 1}, // mono ends at 192
        {2, 48000, 224, 1, 0},
        {2, 48000, 224, 2, 1},
        {1, 44100, 32,  2, 0}, // layer I stereo allocation does not fit 32 kbit/s at 44.1 kHz ...
        {1, 32000, 32,  2, 1}, // ... but does at 32 kHz
        {1, 48000, 32,  1, 1}, // and mono fits at any rate
        {3, 32000, 32,  2, 1},
        {3, 48000, 320, 1, 1},
        {3, 44100, 384, 2, 0},
        {3, 22050, 64,  1, 0},
        {3, 44100, 128, 3, 0},
        {4, 44100, 128, 2, 0},
    };
    for (const auto& c : cases) {
        EncConfig cfg{c.layer, c.rate, c.kbps, c.channels, 0, 0};
        EXPECT_EQ(EncCheckConfig(&cfg), c.taken) << c.layer << " " << c.rate << " " << c.kbps << " " << c.channels;
    }
}
