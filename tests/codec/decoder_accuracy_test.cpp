// Decoder accuracy against mpg123's float output on streams made at test time by independent
// encoders (lame, twolame, ffmpeg) and our own layer I encoder: every stream must stay within
// the full-accuracy RMS limit and have the same length after the decoder delay. Hot masters
// (clipped, and jumping from near silence to full scale) must come out whole as well: a loud
// frame that decodes validly is music, never damage to be silenced.
#include <gtest/gtest.h>
#include "tool_skip.h"

#include "codec/codec_test_util.h"

using namespace codectest;

namespace {

struct CorpusCase {
    const char* name;
    int rate;  // source WAVE sample rate
    int channels;
    const char* tool;    // program that must exist
    const char* encode;  // command; {in} and {out} are replaced
    bool hot = false;    // the source is mastered hot instead of the sweep, noise and square
};

// Sources mix sweeps, noise bursts and clicks so that long, start, short and stop blocks, the
// reservoir and joint stereo all occur.
const CorpusCase CASES[] = {
    {"lame_cbr128_joint",        44100, 2, "lame",                     "lame --quiet -b 128 {in} {out}"                 },
    {"lame_cbr320_stereo",       44100, 2, "lame",                     "lame --quiet -m s -b 320 {in} {out}"            },
    {"lame_vbr2",                44100, 2, "lame",                     "lame --quiet -V 2 {in} {out}"                   },
    {"lame_vbr6_mono",           44100, 1, "lame",                     "lame --quiet -V 6 -m m {in} {out}"              },
    {"lame_cbr96_32k",           32000, 2, "lame",                     "lame --quiet -b 96 {in} {out}"                  },
    {"lame_cbr160_48k",          48000, 2, "lame",                     "lame --quiet -b 160 {in} {out}"                 },
    {"lame_crc_48k_mono",        48000, 1, "lame",                     "lame --quiet -p -b 64 {in} {out}"               },
    {"lame_free640",             44100, 2, "lame",                     "lame --quiet --freeformat -b 640 {in} {out}"    },
    {"lame_free640_32k",         32000, 2, "lame",                     "lame --quiet --freeformat -b 640 {in} {out}"    },
    {"lame_mpeg2_22k",           22050, 2, "lame",                     "lame --quiet -b 64 {in} {out}"                  },
    {"lame_mpeg2_24k_vbr",       24000, 2, "lame",                     "lame --quiet -V 4 {in} {out}"                   },
    {"lame_mpeg2_16k_mono",      16000, 1, "lame",                     "lame --quiet -b 32 {in} {out}"                  },
    {"lame_mpeg25_11k",          11025, 2, "lame",                     "lame --quiet -b 24 {in} {out}"                  },
    {"lame_mpeg25_8k_mono",      8000,  1, "lame",                     "lame --quiet -b 16 {in} {out}"                  },
    {"twolame_192_stereo",       44100, 2, "twolame",                  "twolame --quiet -b 192 {in} {out}"              },
    {"twolame_96_joint_32k",     32000, 2, "twolame",                  "twolame --quiet -m j -b 96 {in} {out}"          },
    {"twolame_64_low_alloc_32k", 32000, 2, "twolame",                  "twolame --quiet -b 64 {in} {out}"               },
    {"twolame_64_mono_48k",      48000, 1, "twolame",                  "twolame --quiet -b 64 {in} {out}"               },
    {"twolame_crc_384",          48000, 2, "twolame",                  "twolame --quiet --protect -b 384 {in} {out}"    },
    {"ffmpeg_mp2_256",           44100, 2, "ffmpeg",
     "ffmpeg -loglevel error -y -i {in} -c:a mp2 -b:a 256k {out}.mp2 && mv {out}.mp2 {out}"                             },
    {"ffmpeg_mp2_lsf_24k",       24000, 2, "ffmpeg",
     "ffmpeg -loglevel error -y -i {in} -c:a mp2 -b:a 64k {out}.mp2 && mv {out}.mp2 {out}"                              },
    {"taven_layer1_384",         44100, 2, QD_BINARY_DIR "/bin/taven", QD_BINARY_DIR "/bin/taven -l 1 -b 384 {in} {out}"},
    {"hot_lame_cbr128",          44100, 2, "lame",                     "lame --quiet -b 128 {in} {out}", true           },
    {"hot_lame_cbr320",          44100, 2, "lame",                     "lame --quiet -b 320 {in} {out}", true           },
    {"hot_lame_vbr2_crc",        44100, 2, "lame",                     "lame --quiet -p -V 2 {in} {out}", true          },
    {"hot_twolame_192",          44100, 2, "twolame",                  "twolame --quiet -b 192 {in} {out}", true        },
    {"hot_ffmpeg_mp2_256",       48000, 2, "ffmpeg",
     "ffmpeg -loglevel error -y -i {in} -c:a mp2 -b:a 256k {out}.mp2 && mv {out}.mp2 {out}", true                       },
};

// Near silence, then a square wave clipped 6 dB over full scale, then plucks and noise clipped
// 9 dB over: sox clips on the way to 16 bits.
const char* const HOT_SOURCE = " synth 1.2 pinknoise vol 0.02 : synth 1.3 square 110 square 331 gain 6"
                               " : synth 1.5 pluck A2 synth 1.5 pinknoise mix gain 9";
const char* const PLAIN_SOURCE =
    " synth 2.5 sine 60-9000 vol 0.45 : synth 0.6 pinknoise vol 0.6 : synth 0.5 square 220 vol 0.3";

std::string Replace(std::string s, const std::string& key, const std::string& value) {
    for (size_t at; (at = s.find(key)) != std::string::npos;) s.replace(at, key.size(), value);
    return s;
}

bool ToolPresent(const char* tool) {
    if (tool[0] == '/') return std::system((std::string("test -x ") + tool).c_str()) == 0;
    return HaveTool(tool);
}

class DecoderAccuracy : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(DecoderAccuracy, MatchesReferenceWithinFullAccuracy) {
    const CorpusCase& c = GetParam();
    if (!HaveTool("sox") || !HaveTool("mpg123") || !ToolPresent(c.tool)) SKIP_UNLESS_CI("tool missing");
    ScratchDir dir(std::string("accuracy_") + c.name);
    std::string wav = dir / "in.wav", mp = dir / "stream.mpa", ref = dir / "ref.f32";
    std::string synth = "sox -V1 -n -b 16 -r " + std::to_string(c.rate) + " -c " + std::to_string(c.channels) + " " +
                        wav + (c.hot ? HOT_SOURCE : PLAIN_SOURCE);
    ASSERT_TRUE(Shell(synth));
    ASSERT_TRUE(Shell(Replace(Replace(c.encode, "{in}", wav), "{out}", mp))) << c.encode;
    ASSERT_TRUE(Shell("mpg123 -q -e f32 -s " + mp + " > " + ref));
    std::vector<float> theirs = ReadFloats(ref);
    // both synthesis paths: the wide one where this processor has it, and the baseline one
    for (bool baseline : {false, true}) {
        int channels = 0;
        int concealed = -1;
        std::vector<float> ours = DecodeBytes(ReadBytes(mp), &channels, &concealed, baseline);
        ASSERT_FALSE(ours.empty());
        EXPECT_EQ(concealed, 0) << "a clean stream has nothing to conceal";
        EXPECT_EQ(ours.size(), theirs.size()) << "samples differ in number";
        double rms = RmsError(ours, theirs);
        EXPECT_LT(rms, FullAccuracyLimit()) << c.name << (baseline ? ", baseline synthesis" : "");
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, DecoderAccuracy, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<CorpusCase>& i) { return std::string(i.param.name); });

}  // namespace
