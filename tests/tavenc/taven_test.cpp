// The command-line encoder and decoder: gapless layer III through the Info frame (our decoder
// and mpg123 give back exactly the input's samples, in place), clear refusals of bad arguments
// and unreadable inputs, WAVE_FORMAT_EXTENSIBLE input, inputs that end badly, and outputs that
// are written whole or not at all (never over their own input).
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "enc_test_util.h"
#include "mpa_source.h"

using namespace enctest;

namespace {

const std::string TAVEN = std::string(QD_BINARY_DIR) + "/bin/taven";
const std::string TAVDEC = std::string(QD_BINARY_DIR) + "/bin/tavdec";

bool HaveMpg123() { return std::system("command -v mpg123 >/dev/null 2>&1") == 0; }

std::string Scratch(const std::string& name) { return "/tmp/taven_test_" + std::to_string(::getpid()) + "_" + name; }

// SNR of out against in when out is taken to start exactly with in's first sample.
double SnrInPlace(const Pcm& in, const std::vector<float>& out) {
    double sig = 0, err = 0;
    const size_t n = std::min(in.samples.size(), out.size());
    for (size_t i = 0; i < n; ++i) {
        double a = in.samples[i] / 32768.0, d = a - out[i];
        sig += a * a;
        err += d * d;
    }
    return 10.0 * std::log10(sig / (err + 1e-12));
}

TEST(Taven, LayerThreeStreamsPlayGaplessInOurDecoderAndMpg123) {
    // An odd length, so the last frame is padded, at two rates.
    for (int rate : {44100, 32000}) {
        Pcm in = MusicLike(rate, 2, 1.237, 3);
        const std::string wav = Scratch("gapless.wav"), mp3 = Scratch("gapless.mp3");
        ASSERT_TRUE(WriteFile(wav, WaveBytes(in)));
        ASSERT_EQ(RunCommand(TAVEN + " -b 128 " + wav + " " + mp3, nullptr), 0);

        std::unique_ptr<MpaSource> src(new MpaSource());
        ASSERT_TRUE(MpaSourceOpenFile(src.get(), mp3.c_str()));
        EXPECT_TRUE(src->info.hasGapless);
        std::vector<float> out(in.samples.size() + 8192);
        size_t got = MpaSourceRead(src.get(), out.data(), out.size() / 2);
        EXPECT_EQ(got, in.Frames()) << rate;
        EXPECT_GT(SnrInPlace(in, out), 20.0) << rate;  // in place, not one sample off

        if (!HaveMpg123()) {
            EXPECT_EQ(std::getenv("CI"), nullptr) << "mpg123 is installed by setup.sh";
            continue;
        }
        ASSERT_EQ(RunCommand("mpg123 -q -w " + wav + ".dec.wav " + mp3, nullptr), 0);
        Pcm dec = ReadWave(wav + ".dec.wav");
        EXPECT_EQ(dec.Frames(), in.Frames()) << rate;
        std::remove((wav + ".dec.wav").c_str());
        std::remove(wav.c_str());
        std::remove(mp3.c_str());
    }
}

TEST(Taven, BadArgumentsAndUnreadableInputsAreNamed) {
    const std::string wav = Scratch("args.wav"), out = Scratch("args.mp3");
    ASSERT_TRUE(WriteFile(wav, WaveBytes(MusicLike(44100, 2, 0.2))));
    const std::string notWave = Scratch("text.wav"), eightBit = Scratch("u8.wav");
    ASSERT_TRUE(WriteFile(notWave, std::vector<uint8_t>(100, 'x')));
    std::vector<uint8_t> u8 = WaveBytes(MusicLike(44100, 2, 0.2));
    u8[34] = 8;  // bits per sample
    ASSERT_TRUE(WriteFile(eightBit, u8));
    struct Case {
        std::string args;
        int rc;
        const char* says;
    } cases[] = {
        {"-b abc " + wav + " " + out,            2, "'abc'"            },
        {"-b 128k " + wav + " " + out,           2, "'128k'"           },
        {"-l 4 " + wav + " " + out,              2, "layer"            },
        {"-q " + wav + " " + out,                2, "unknown option -q"},
        {"-b 100 " + wav + " " + out,            1, "not supported"    },
        {Scratch("missing.wav") + " " + out,     1, "cannot open"      },
        {notWave + " " + out,                    1, "not a WAVE file"  },
        {eightBit + " " + out,                   1, "8-bit"            },
        {wav + " " + Scratch("no/such/dir.mp3"), 1, "cannot create"    },
    };
    for (const Case& c : cases) {
        std::string text;
        const int rc = RunCommand(TAVEN + " " + c.args, &text);
        EXPECT_EQ(WEXITSTATUS(rc), c.rc) << c.args;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.args << ": " << text;
    }
    for (const std::string& p : {wav, out, notWave, eightBit}) std::remove(p.c_str());
}

// WAVE_FORMAT_EXTENSIBLE: a 40-byte format chunk whose sub-format GUID names PCM.
TEST(Taven, ExtensibleSixteenBitPcmEncodesLikePlainPcm) {
    Pcm in = MusicLike(48000, 2, 0.5);
    std::vector<uint8_t> plain = WaveBytes(in);
    std::vector<uint8_t> ext(plain.begin(), plain.begin() + 12);
    const uint8_t fmt[] = {'f',  'm',  't', ' ', 40, 0, 0,    0, 0xFE, 0xFF, 2,  0,    0x80, 0xBB, 0,    0,
                           0x00, 0xEE, 2,   0,   4,  0, 16,   0, 22,   0,    16, 0,    3,    0,    0,    0,
                           1,    0,    0,   0,   0,  0, 0x10, 0, 0x80, 0,    0,  0xAA, 0,    0x38, 0x9B, 0x71};
    ext.insert(ext.end(), fmt, fmt + sizeof fmt);
    ext.insert(ext.end(), plain.begin() + 36, plain.end());  // "data" and the samples
    const std::string a = Scratch("plain.wav"), b = Scratch("ext.wav");
    ASSERT_TRUE(WriteFile(a, plain));
    ASSERT_TRUE(WriteFile(b, ext));
    ASSERT_EQ(RunCommand(TAVEN + " " + a + " " + a + ".mp3", nullptr), 0);
    ASSERT_EQ(RunCommand(TAVEN + " " + b + " " + b + ".mp3", nullptr), 0);
    EXPECT_TRUE(ReadFile(a + ".mp3") == ReadFile(b + ".mp3"));
    for (const std::string& p : {a, b, a + ".mp3", b + ".mp3"}) std::remove(p.c_str());
}

// Every one of these once spun for ever on the last, partial sample; a wrong chunk order was
// taken for a WAVE without a format. All must end, encode the whole samples and say what
// was left out.
TEST(Taven, InputsThatEndBadlyStillEncodeTheirWholeSamples) {
    struct Case {
        const char* name;
        int channels, layer;
        size_t cut;       // bytes of the file kept (0: all)
        int dataDelta;    // added to the data chunk's size
        bool dataFirst;   // the data chunk before the format chunk
        const char* says;  // expected on stderr (nullptr: nothing)
    } cases[] = {
        {"stereo_cut", 2, 3, 30003, 0, false, "middle of a sample"},
        {"mono_cut_layer2", 1, 2, 30001, 0, false, "middle of a sample"},
        {"odd_data_chunk", 2, 3, 0, -1, false, "middle of a sample"},
        {"data_before_fmt", 2, 3, 0, 0, true, nullptr},
    };
    for (const Case& c : cases) {
        Pcm in = MusicLike(44100, c.channels, 0.5);
        std::vector<uint8_t> bytes = WaveBytes(in);
        const uint32_t dataBytes = uint32_t(in.samples.size() * 2) + uint32_t(c.dataDelta);
        for (int i = 0; i < 4; ++i) bytes[40 + i] = uint8_t(dataBytes >> (8 * i));
        if (c.dataFirst) {
            std::vector<uint8_t> moved(bytes.begin(), bytes.begin() + 12);
            moved.insert(moved.end(), bytes.begin() + 36, bytes.end());
            moved.insert(moved.end(), bytes.begin() + 12, bytes.begin() + 36);
            bytes = moved;
        }
        if (c.cut) bytes.resize(c.cut);
        const std::string wav = Scratch(std::string(c.name) + ".wav"), mp = wav + ".mpa";
        ASSERT_TRUE(WriteFile(wav, bytes));
        std::string text;
        const int rc = RunCommand("timeout 60 " + TAVEN + " -l " + std::to_string(c.layer) + " " + wav + " " + mp, &text);
        ASSERT_EQ(WEXITSTATUS(rc), 0) << c.name << ": " << text;
        if (c.says)
            EXPECT_NE(text.find(c.says), std::string::npos) << c.name << ": " << text;
        else
            EXPECT_EQ(text, "") << c.name;
        // the whole samples that were there, no more and no fewer
        const size_t wholeSamples = (c.cut ? (c.cut - 44) : dataBytes) / size_t(2 * c.channels);
        std::unique_ptr<MpaSource> src(new MpaSource());
        ASSERT_TRUE(MpaSourceOpenFile(src.get(), mp.c_str())) << c.name;
        if (c.layer == 3) {
            EXPECT_EQ(src->info.samples, wholeSamples) << c.name;
        }
        EXPECT_GE(src->info.samples, wholeSamples) << c.name;
        std::remove(wav.c_str());
        std::remove(mp.c_str());
    }
}

// Leftover temporary files beside a target ("<name>.part<pid>").
int PartFiles(const std::string& target) {
    std::string text;
    const std::string cmd = "ls " + target + ".part* 2>/dev/null | wc -l > " + target + ".count";
    if (std::system(cmd.c_str()) != 0) return -1;
    std::vector<uint8_t> n = ReadFile(target + ".count");
    std::remove((target + ".count").c_str());
    return std::atoi(std::string(n.begin(), n.end()).c_str());
}

// The input named again as the output (by another spelling or a link) is refused and kept.
TEST(Taven, NeitherToolWritesOverItsOwnInput) {
    const std::string dir = Scratch("same");
    ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
    const std::string wav = dir + "/x.wav", mp = dir + "/x.mp3";
    ASSERT_TRUE(WriteFile(wav, WaveBytes(MusicLike(44100, 2, 0.3))));
    ASSERT_EQ(RunCommand(TAVEN + " " + wav + " " + mp, nullptr), 0);
    ASSERT_EQ(std::system(("ln -s x.wav " + dir + "/sym.wav && ln " + mp + " " + dir + "/hard.mp3").c_str()), 0);
    const std::vector<uint8_t> wavBytes = ReadFile(wav), mpBytes = ReadFile(mp);
    const std::string runs[] = {
        TAVEN + " " + wav + " " + wav,  TAVEN + " " + wav + " " + dir + "/./x.wav",
        TAVEN + " " + wav + " " + dir + "/sym.wav", TAVDEC + " " + mp + " " + mp,
        TAVDEC + " " + mp + " " + dir + "/hard.mp3",
    };
    for (const std::string& run : runs) {
        std::string text;
        EXPECT_EQ(WEXITSTATUS(RunCommand(run, &text)), 1) << run;
        EXPECT_NE(text.find("same file"), std::string::npos) << run << ": " << text;
    }
    EXPECT_TRUE(ReadFile(wav) == wavBytes);
    EXPECT_TRUE(ReadFile(mp) == mpBytes);
    std::system(("rm -rf " + dir).c_str());
}

// A write that fails part-way (here a file-size limit) leaves no partial file, keeps an older
// file of that name byte for byte, says why and exits non-zero.
TEST(Taven, AFailedWriteLeavesNothingHalfWritten) {
    const std::string wav = Scratch("limit.wav"), mp = Scratch("limit.mp3"), out = Scratch("limit_out");
    ASSERT_TRUE(WriteFile(wav, WaveBytes(MusicLike(44100, 2, 3.0))));
    ASSERT_EQ(RunCommand(TAVEN + " " + wav + " " + mp, nullptr), 0);
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    const std::string runs[] = {TAVEN + " " + wav + " " + out, TAVDEC + " " + mp + " " + out,
                                TAVDEC + " -f " + mp + " " + out};
    for (const std::string& run : runs) {
        for (bool existing : {false, true}) {
            if (existing) {
                ASSERT_TRUE(WriteFile(out, old));
            }
            std::string text;
            // 16 blocks of 1 KB: less than any of the three outputs
            const int rc = RunCommand("sh -c 'ulimit -f 16; exec " + run + "'", &text);
            EXPECT_EQ(WEXITSTATUS(rc), 1) << run;
            EXPECT_NE(text.find("File too large"), std::string::npos) << run << ": " << text;
            if (existing)
                EXPECT_TRUE(ReadFile(out) == old) << run;
            else
                EXPECT_NE(::access(out.c_str(), F_OK), 0) << run;
            EXPECT_EQ(PartFiles(out), 0) << run;
            std::remove(out.c_str());
        }
    }
    std::remove(wav.c_str());
    std::remove(mp.c_str());
}

// A stream cut short decodes to fewer samples than its Info frame promised: the WAVE header
// must count the samples that are there, or players read past the data.
TEST(Taven, TavdecHeaderCountsTheSamplesItWrote) {
    const std::string wav = Scratch("cut.wav"), mp = Scratch("cut.mp3"), dec = Scratch("cut_dec.wav");
    ASSERT_TRUE(WriteFile(wav, WaveBytes(MusicLike(44100, 2, 1.0))));
    ASSERT_EQ(RunCommand(TAVEN + " " + wav + " " + mp, nullptr), 0);
    std::vector<uint8_t> bytes = ReadFile(mp);
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(WriteFile(mp, bytes));
    ASSERT_EQ(RunCommand(TAVDEC + " " + mp + " " + dec, nullptr), 0);
    const std::vector<uint8_t> out = ReadFile(dec);
    ASSERT_GT(out.size(), 44u);
    const uint32_t dataBytes = uint32_t(out[40] | out[41] << 8 | out[42] << 16 | uint32_t(out[43]) << 24);
    EXPECT_EQ(dataBytes, out.size() - 44);
    for (const std::string& p : {wav, mp, dec}) std::remove(p.c_str());
}

}  // namespace
