// Divide and combine on real files: the cut and joined bytes, what decoders make of the results,
// the refusals with their messages, and that a failing write at any point leaves nothing under
// the new name and the sources as they were.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include "base/message_box.h"
#include "media/media_file_fault.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "media_test_util.h"
#include "playback/mpeg_libraries.h"
#include "resources/resource.h"
#include "tool_skip.h"
#include "tools/combine.h"
#include "tools/divide.h"
#include "tools/mpeg_frames.h"
#include "tools/tool_output.h"
#include "wave_bytes.h"

namespace {

bool HaveTool(const char* name) { return Shell(std::string("command -v ") + name); }

#define NEED_TOOLS(...)                 \
    for (const char* t : {__VA_ARGS__}) \
        if (!HaveTool(t)) SKIP_UNLESS_CI(std::string(t) + " is missing")

Bytes Slice(const Bytes& b, size_t from, size_t to) { return Bytes(b.begin() + from, b.begin() + to); }

// Samples per channel a decoder ("ffmpeg" or "mpg123") gets out of a stereo file, and whatever it
// complained about.
struct Decoded {
    size_t samples;
    std::string messages;
};
Decoded Decode(const std::string& tool, const std::string& path) {
    std::string raw = path + "." + tool + ".raw", err = path + "." + tool + ".err";
    std::string command = tool == "ffmpeg"
                              ? "ffmpeg -nostdin -v error -y -i '" + path + "' -f s16le -ac 2 '" + raw + "'"
                              : "mpg123 -q --no-gapless -s '" + path + "' >'" + raw + "'";
    std::system((command + " 2>'" + err + "'").c_str());
    Bytes pcm = ReadAll(raw), e = ReadAll(err);
    return {pcm.size() / 4, std::string(e.begin(), e.end())};
}

class FileToolsTest : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        LoadMpegLibraries();
        ResetMessages();
        SetMediaFileFault(MEDIA_FAULT_NONE, 0);
        SetToolTextMode(nullptr, 0);
    }
    void TearDown() override {
        SetMediaFileFault(MEDIA_FAULT_NONE, 0);
        FreeMpegLibraries();
    }
    std::vector<int> Messages() const {
        std::vector<int> ids;
        for (int i = 0; i < RecordedMessageCount(); i++) ids.push_back(RecordedMessageAt(i)->stringId);
        return ids;
    }
    std::string Make(const std::string& name, const Bytes& bytes) {
        WriteAll(dir.File(name), bytes);
        return dir.File(name);
    }
    std::string Sh(const std::string& name, const std::string& command) {
        std::string path = dir.File(name);
        std::string cmd = std::regex_replace(command, std::regex("OUT"), "'" + path + "'");
        EXPECT_TRUE(Shell(cmd)) << cmd;
        return path;
    }
    // A destination as the tools take it (a buffer they put the source's extension in); no name,
    // an empty one.
    struct Dest {
        char s[TOOL_PATH_BYTES];
    };
    Dest DestFor(const std::string& name) const {
        Dest d;
        std::snprintf(d.s, sizeof d.s, "%s", name.empty() ? "" : dir.File(name).c_str());
        return d;
    }
    // A sine tone from sox, encoded by lame with the options given.
    std::string Lame(const std::string& name, int seconds, const std::string& options, int rate = 44100) {
        return Sh(name, "sox -V1 -n -r " + std::to_string(rate) + " -c 2 -t wav - synth " + std::to_string(seconds) +
                            " sine 300 | lame --quiet " + options + " - OUT");
    }
    // Names in the scratch folder (temporary files of a failed write would show here).
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (auto& e : std::filesystem::directory_iterator(dir.path)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// ---- WAVE ------------------------------------------------------------------------------------

// Parts start and end on whole sample frames (even where the source's last frame is torn, as a
// killed recorder leaves it), keep the source's format and title chunks, and an odd part gets
// the pad byte its chunk needs so the title behind it starts where a reader looks for it.
TEST_F(FileToolsTest, WaveDivideCutsWholeFramesAndKeepsTheTitleChunks) {
    const Bytes stereo = MakeWave(44100 * 4 * 5, 2, 16, "Evening"), mono = MakeWave(44100 * 3, 1, 8, "Odd");
    const Bytes torn = MakeWave(4002);
    struct Case {
        const Bytes& src;
        const char* title;
        uint32_t in, out;
        size_t start, length;
    };
    const Case cases[] = {
        {stereo, "Evening", 1000, 3500,  176400, 441000}, // A = 176,400, B = 4
        {stereo, "Evening", 1001, 3500,  176576, 440820}, // 176,576.4 down to whole blocks; the length 440,823.6 too
        {stereo, "Evening", 1003, 3500,  176928, 440468}, // 176,929.2 and 440,470.8: whole blocks, never inside one
        {stereo, "Evening", 2000, 2001,  352800, 176   }, // 176.4 bytes: 44 blocks
        {stereo, "Evening", 0,    1,     0,      176   },
        {mono,   "Odd",     1000, 1010,  44100,  441   }, // 8-bit mono: an odd part
        {torn,   "",        0,    60000, 0,      4000  }, // Out past the torn end
    };
    const size_t DATA = 44;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " " + std::to_string(c.in));
        std::string path = Make("src.wav", c.src);
        size_t sound = Le32At(c.src, 40), trailing = c.src.size() - DATA - sound - (sound & 1);
        size_t pad = c.length & 1;
        Dest dest = DestFor("cut.mp3");  // the kind's extension wins
        ASSERT_EQ(1, DivideFile(dest.s, path.c_str(), c.in, c.out));
        EXPECT_EQ(dir.File("cut.wav"), dest.s);
        Bytes out = ReadAll(dest.s);
        ASSERT_EQ(DATA + c.length + pad + trailing, out.size());
        EXPECT_EQ(Slice(c.src, 0, 4), Slice(out, 0, 4));
        EXPECT_EQ(Slice(c.src, 8, 40), Slice(out, 8, 40));
        EXPECT_EQ(out.size() - 8, Le32At(out, 4));
        EXPECT_EQ(c.length, Le32At(out, 40));
        EXPECT_EQ(Slice(c.src, DATA + c.start, DATA + c.start + c.length), Slice(out, DATA, DATA + c.length));
        EXPECT_TRUE(!pad || out[DATA + c.length] == 0) << "the pad byte";
        EXPECT_EQ(Slice(c.src, c.src.size() - trailing, c.src.size()), Slice(out, out.size() - trailing, out.size()));
        if (c.title[0]) {
            char title[TITLE_BYTES];
            EXPECT_EQ(1, GetTitleField(dest.s, FIELD_TITLE, title, SOURCE_ID3_FIRST));
            EXPECT_STREQ(c.title, title);
        }
        std::filesystem::remove(dest.s);
    }
    EXPECT_EQ(0, RecordedMessageCount());
}

// The second file's sound starts later in its file than the first one's (behind a "JUNK" chunk).
TEST_F(FileToolsTest, WaveCombineJoinsTheSoundIntoOneDataChunk) {
    Bytes a = MakeWave(1000000, 2, 16, "First"), b = MakeWave(500000, 2, 16, "Second", 28, 1);
    std::string pa = Make("a.wav", a), pb = Make("b.wav", b);
    Dest dest = DestFor("join");
    ASSERT_EQ(1, CombineFiles(dest.s, pa.c_str(), pb.c_str()));
    EXPECT_EQ(dir.File("join.wav"), dest.s);
    Bytes out = ReadAll(dest.s);
    size_t trailing = a.size() - 44 - 1000000;
    ASSERT_EQ(44 + 1500000 + trailing, out.size());
    EXPECT_EQ(1500000u, Le32At(out, 40));
    EXPECT_EQ(20 + 16 + 1500000 + trailing, Le32At(out, 4));
    EXPECT_EQ(Slice(a, 44, 44 + 1000000), Slice(out, 44, 44 + 1000000));
    EXPECT_EQ(Slice(b, 44 + 36, 44 + 36 + 500000), Slice(out, 44 + 1000000, 44 + 1500000));
    char title[TITLE_BYTES];
    GetTitleField(dest.s, FIELD_TITLE, title, SOURCE_ID3_FIRST);
    EXPECT_STREQ("First", title);  // the first file's titles go with the join
}

TEST_F(FileToolsTest, WaveFilesOfOtherProgramsDivideAndDecodeCleanly) {
    NEED_TOOLS("sox", "ffmpeg");
    // ffmpeg puts a "LIST" chunk between "fmt " and "data"; sox writes 24-bit as extensible.
    std::string a = Sh("ff.wav", "ffmpeg -nostdin -v error -f lavfi -i sine=f=440:d=4 -ac 2 OUT");
    std::string b = Sh("sx.wav", "sox -n -r 48000 -b 24 -c 2 OUT synth 4 sine 300");
    for (const std::string& src : {a, b}) {
        Dest dest = DestFor("cut.wav");
        ASSERT_EQ(1, DivideFile(dest.s, src.c_str(), 500, 2500)) << src;
        MediaInfo info{};
        ASSERT_EQ(1, GetMediaInfo(dest.s, &info));
        Decoded d = Decode("ffmpeg", dest.s);
        EXPECT_EQ("", d.messages) << src;
        EXPECT_EQ(info.sampleRate * 2, d.samples) << src;
        std::filesystem::remove(dest.s);
    }
}

// ---- MPEG ------------------------------------------------------------------------------------

// Where a time falls in the stream, by layer and version: whole frames of 384, 576 (layer III
// at the low rates) or 1,152 samples, layer I on its four-byte slots, four bytes back from
// there unless at the start or past the end.
TEST(MpegPositions, ByteOfATimeForEachFrameKind) {
    struct {
        uint32_t layer, versionBit, rate, kbps, ms, streamBytes;
        uint64_t byte;
        uint32_t frameLength;
    } cases[] = {
        {1, 1, 44100, 32,  100,  100000,  376,    35  }, // 383.1 down to the slot at 380
        {1, 1, 48000, 448, 2500, 1000000, 139772, 448 },
        {3, 0, 22050, 64,  500,  100000,  3967,   209 }, // 19 frames of 576
        {3, 1, 32000, 320, 3000, 100000,  119520, 1440}, // past the end: not moved back
        {2, 1, 48000, 192, 0,    1000,    0,      576 },
        {2, 1, 44100, 128, 1000, 100000,  15878,  418 }, // 38 frames, 43,776 samples, 15,882 four back
    };
    for (const auto& c : cases) {
        MpegStreamInfo info{};
        info.layer = c.layer;
        info.versionBit = c.versionBit;
        info.sampleRate = c.rate;
        info.bitRate = c.kbps;
        info.streamBytes = c.streamBytes;
        EXPECT_EQ(c.byte, MpegBytePosition(&info, c.ms)) << c.layer << " " << c.rate;
        EXPECT_EQ(c.frameLength, MpegFrameLength(&info)) << c.layer << " " << c.rate;
    }
}

TEST_F(FileToolsTest, LayerTwoDivideStartsAtTheFirstHeaderFromTheComputedByte) {
    NEED_TOOLS("sox", "twolame");
    std::string src = Sh(
        "l2.mp2",
        "sox -V1 -n -r 44100 -c 2 -b 16 OUT.wav synth 6 sine 440 && twolame --quiet -b 128 OUT.wav OUT && rm OUT.wav");
    MpegStreamInfo info;
    ASSERT_EQ(1, GetMpegStreamInfo(src.c_str(), &info));
    EXPECT_EQ(418u, MpegFrameLength(&info));  // 128 kb/s at 44.1 kHz, as read from the file
    Bytes s = ReadAll(src);
    size_t expectStart = MpegBytePosition(&info, 1000);
    while (!(s[expectStart] == 0xFF && (s[expectStart + 1] & 0xF0) == 0xF0)) expectStart++;

    Dest dest = DestFor("part.wav");
    ASSERT_EQ(1, DivideFile(dest.s, src.c_str(), 1000, 4000));
    EXPECT_EQ(dir.File("part.mp2"), dest.s);
    Bytes out = ReadAll(dest.s);
    ASSERT_GT(out.size(), 1000u);
    EXPECT_EQ(Slice(s, expectStart, expectStart + out.size()), out);  // no tag on the source, none added
}

TEST_F(FileToolsTest, MpegTimesCountFromTheAudioBehindACoverArtTag) {
    NEED_TOOLS("sox", "lame");
    // A 300 KB picture in an ID3v2 tag in front of the audio, and the same audio without it.
    Bytes picture = {0xFF, 0xD8, 0xFF, 0xE0};
    for (int i = 0; i < 300000; i++) picture.push_back(uint8_t(i * 2654435761u >> 24));
    std::string jpeg = Make("cover.jpg", picture);
    std::string plain = Lame("plain.mp3", 4, "-b 128");
    std::string art = Lame("art.mp3", 4, "-b 128 --add-id3v2 --ti '" + jpeg + "'");
    const std::pair<uint32_t, uint32_t> cuts[] = {{0, 1000}, {1000, 4000}, {2500, 3000}};
    for (auto [in, out] : cuts) {
        Dest a = DestFor("a" + std::to_string(in) + ".mp3"), b = DestFor("b" + std::to_string(in) + ".mp3");
        ASSERT_EQ(1, DivideFile(a.s, plain.c_str(), in, out)) << in;
        ASSERT_EQ(1, DivideFile(b.s, art.c_str(), in, out)) << in;
        // The same frames (the tagged part also gets the source's ID3v1 tag behind them).
        Bytes pa = ReadAll(a.s), pb = ReadAll(b.s);
        ASSERT_GE(pb.size(), pa.size()) << in;
        EXPECT_TRUE(pa == Slice(pb, 0, pa.size())) << in << ".." << out;
        EXPECT_NEAR((out - in) * 44.1, double(Decode("mpg123", b.s).samples), 1.5 * 1152) << in << ".." << out;
    }
}

// The "Xing"/"Info" header frames in a file: where each stands, its frame and byte counts.
struct VbrHeader {
    size_t at;
    std::string id;
    uint32_t frames, bytes;
};
std::vector<VbrHeader> VbrHeaders(const Bytes& b) {
    std::vector<VbrHeader> found;
    auto be32 = [&](size_t i) { return uint32_t(b[i] << 24 | b[i + 1] << 16 | b[i + 2] << 8 | b[i + 3]); };
    for (size_t i = 0; i + 16 <= b.size(); i++)
        if (std::memcmp(&b[i], "Xing", 4) == 0 || std::memcmp(&b[i], "Info", 4) == 0)
            found.push_back({i, std::string(&b[i], &b[i] + 4), be32(i + 8), be32(i + 12)});
    return found;
}

TEST_F(FileToolsTest, PartsAndJoinsCarryOneHeaderFrameOfTheirOwn) {
    NEED_TOOLS("sox", "lame", "mpg123", "ffprobe");
    const std::string wave = "sox -V1 -n -r 44100 -c 2 -t wav - synth 6 sine 200-3000 ";
    std::string vbr = Sh("vbr.mp3", wave + "| lame --quiet -V 2 - OUT");
    std::string cbr = Sh("cbr.mp3", wave + "| lame --quiet -b 128 - OUT");
    Dest part = DestFor("part.mp3"), join = DestFor("join.mp3");
    ASSERT_EQ(1, DivideFile(part.s, vbr.c_str(), 1000, 4500));
    ASSERT_EQ(1, CombineFiles(join.s, cbr.c_str(), cbr.c_str()));
    struct Case {
        const char* path;
        const char* id;
    };
    for (const Case& c : {Case{part.s, "Xing"}, Case{join.s, "Info"}}) {
        Bytes b = ReadAll(c.path);
        std::vector<VbrHeader> headers = VbrHeaders(b);
        ASSERT_EQ(1u, headers.size()) << c.path;  // the sources' own are gone
        EXPECT_EQ(c.id, headers[0].id) << c.path;
        EXPECT_EQ(Decode("mpg123", c.path).samples, size_t(headers[0].frames) * 1152) << c.path;
        EXPECT_EQ(b.size(), size_t(headers[0].bytes)) << c.path;  // no ID3v1 tag on the sources
        // Players take the length from it: ffprobe's agrees with the decoded one to a frame.
        double seconds = std::stod(Capture(std::string("ffprobe -v error -show_entries format=duration -of "
                                                       "default=nw=1:nk=1 '") +
                                           c.path + "'"));
        EXPECT_NEAR(headers[0].frames * 1152 / 44100.0, seconds, 0.03) << c.path;
    }
    // File 1's ID3v2 tag stays in front of a join, and the join's header frame right behind it.
    std::string tagged = Sh("tagged.mp3", wave + "| lame --quiet -b 128 --id3v2-only --tt Kiwi - OUT");
    join = DestFor("tagged_join.mp3");
    ASSERT_EQ(1, CombineFiles(join.s, tagged.c_str(), cbr.c_str()));
    Bytes source = ReadAll(tagged), joined = ReadAll(join.s);
    size_t tagBytes = 10 + (size_t(source[6]) << 21 | size_t(source[7]) << 14 | size_t(source[8]) << 7 | source[9]);
    ASSERT_GT(joined.size(), tagBytes);
    EXPECT_TRUE(Slice(source, 0, tagBytes) == Slice(joined, 0, tagBytes));
    std::vector<VbrHeader> headers = VbrHeaders(joined);
    ASSERT_EQ(1u, headers.size());
    EXPECT_EQ(tagBytes + 4 + 32, headers[0].at);  // the frame header and stereo side information
    EXPECT_EQ(Decode("mpg123", join.s).samples, size_t(headers[0].frames) * 1152);
}

// Files of each encoder, divided and joined: what ffmpeg and mpg123 decode, and the length.
struct EncoderCase {
    const char* name;
    const char* tool;
    const char* command;  // makes OUT from the WAVE file IN
    int samplesPerFrame;
    int rate = 44100;
};
class MpegToolsTest : public FileToolsTest, public ::testing::WithParamInterface<EncoderCase> {};

TEST_P(MpegToolsTest, DivideAndCombineDecodeCleanlyToTheWantedLength) {
    const EncoderCase& c = GetParam();
    NEED_TOOLS("sox", c.tool, "ffmpeg", "mpg123");
    auto make = [&](const std::string& name, int seconds, int freq) {
        std::string in = dir.File(name + ".src.wav");
        Shell("sox -V1 -n -r " + std::to_string(c.rate) + " -c 2 -b 16 '" + in + "' synth " + std::to_string(seconds) +
              " sine " + std::to_string(freq));
        std::string path = Sh(name, std::regex_replace(c.command, std::regex("IN"), "'" + in + "'"));
        std::filesystem::remove(in);
        return path;
    };
    std::string a = make("a.mpx", 8, 440), b = make("b.mpx", 5, 660);
    ASSERT_EQ(1, SetTitleField(a.c_str(), FIELD_ARTIST, "Ana", 0));  // file 1's tag goes with the results
    size_t frame = size_t(c.samplesPerFrame);
    // The sources' frames as decoded without gapless trimming: the join keeps every frame.
    size_t lengthA = Decode("mpg123", a).samples, lengthB = Decode("mpg123", b).samples;

    Dest cut = DestFor("cut"), join = DestFor("join");
    ASSERT_EQ(1, DivideFile(cut.s, a.c_str(), 1500, 6250));
    ASSERT_EQ(1, CombineFiles(join.s, a.c_str(), b.c_str()));
    const size_t wantCut = size_t(6250 - 1500) * c.rate / 1000;
    for (const char* path : {cut.s, join.s}) {
        size_t want = path == cut.s ? wantCut : lengthA + lengthB;
        Decoded f = Decode("ffmpeg", path), m = Decode("mpg123", path);
        EXPECT_EQ("", f.messages) << c.name << " " << path;
        EXPECT_EQ("", m.messages) << c.name << " " << path;
        // Encoder delay and padding stay in the frames, so a frame and a half either way.
        EXPECT_NEAR(double(want), double(f.samples), 1.5 * frame) << c.name << " " << path;
        EXPECT_NEAR(double(want), double(m.samples), 1.5 * frame) << c.name << " " << path;
        char artist[ARTIST_BYTES];
        GetTitleField(path, FIELD_ARTIST, artist, SOURCE_ID3_FIRST);
        EXPECT_STREQ("Ana", artist) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Encoders, MpegToolsTest,
    ::testing::Values(EncoderCase{"lame", "lame", "lame --quiet -b 128 IN OUT", 1152},
                      EncoderCase{"twolame", "twolame", "twolame --quiet -b 192 IN OUT", 1152},
                      EncoderCase{"ffmpeg_mp3", "ffmpeg",
                                  "ffmpeg -nostdin -v error -i IN -c:a libmp3lame -b:a 160k -f mp3 OUT", 1152},
                      EncoderCase{"ffmpeg_mp2", "ffmpeg",
                                  "ffmpeg -nostdin -v error -i IN -c:a mp2 -b:a 224k -f mp2 OUT", 1152},
                      EncoderCase{"taven_layer1", QD_TAVEN, QD_TAVEN " -l 1 IN OUT", 384},
                      // MPEG-2: layer 3 frames hold half the samples, layer 2 frames as many.
                      EncoderCase{"lame_22k", "lame", "lame --quiet -b 64 IN OUT", 576, 22050},
                      EncoderCase{"lame_16k", "lame", "lame --quiet -b 32 IN OUT", 576, 16000},
                      EncoderCase{"twolame_24k", "twolame", "twolame --quiet -b 96 IN OUT", 1152, 24000},
                      EncoderCase{"ffmpeg_mp3_48k", "ffmpeg",
                                  "ffmpeg -nostdin -v error -i IN -c:a libmp3lame -b:a 192k -f mp3 OUT", 1152, 48000}),
    [](const ::testing::TestParamInfo<EncoderCase>& i) { return std::string(i.param.name); });

TEST_F(FileToolsTest, AnMpegPartTakesTheTitleTheUserChose) {
    NEED_TOOLS("sox", "lame");
    std::string src = Lame("t.mp3", 3, "-b 128");
    ASSERT_EQ(1, SetTitleField(src.c_str(), FIELD_TITLE, "Tag title", 0));
    PutTrailerBeforeTag(src, "Trailer title");
    for (int answer : {MSGBOX_ANSWER_YES, MSGBOX_ANSWER_NO}) {
        ResetMessages();
        QueueMessageAnswer(answer);
        Dest dest = DestFor(answer == MSGBOX_ANSWER_YES ? "yes" : "no");
        ASSERT_EQ(1, DivideFile(dest.s, src.c_str(), 0, 2000));
        EXPECT_EQ(std::vector<int>{STR_KELVARA_TITLE_FOUND}, Messages());
        char title[TITLE_BYTES];
        GetTitleField(dest.s, FIELD_TITLE, title, SOURCE_ID3_FIRST);
        EXPECT_STREQ(answer == MSGBOX_ANSWER_YES ? "Tag title" : "Trailer title", title);
        int container = -1;
        GetTitleContainer(dest.s, &container);
        EXPECT_EQ(TITLES_ID3, container) << "no trailer in the part";
    }
}

// ---- refusals --------------------------------------------------------------------------------

TEST_F(FileToolsTest, DivideRefusesWithItsMessagesInOrder) {
    std::string src = Make("src.wav", MakeWave(44100 * 4));
    std::string old = Make("old.wav", MakeWave(400));
    struct Case {
        const char* source;
        const char* dest;
        uint32_t in, out;
        std::vector<int> messages;
    };
    const Case cases[] = {
        {"",            "x.wav",   0,   100, {STR_SELECT_FILE_TO_DIVIDE}},
        {"missing.wav", "x.wav",   0,   100, {STR_NOT_FOUND}            },
        {"src.wav",     "",        0,   100, {STR_SET_FILE_NAME}        },
        {"src.wav",     "x.wav",   100, 100, {STR_BAD_FILE_SIZE}        },
        {"src.wav",     "x.wav",   200, 100, {STR_BAD_FILE_SIZE}        },
        {"src.wav",     "SRC.mp3", 0,   100, {STR_DIVIDE_SAME_NAME}     }, // same once ".wav", in any case
        {"src.wav",     "old.wav", 0,   100, {STR_FILE_EXISTS}          }, // answered No
    };
    for (const Case& c : cases) {
        ResetMessages();
        QueueMessageAnswer(MSGBOX_ANSWER_NO);
        std::string s = c.source[0] ? dir.File(c.source) : "";
        Dest dest = DestFor(c.dest);
        EXPECT_EQ(0, DivideFile(dest.s, s.c_str(), c.in, c.out)) << c.source << " " << c.dest;
        EXPECT_EQ(c.messages, Messages()) << c.source << " " << c.dest;
    }
    EXPECT_EQ(MakeWave(400), ReadAll(old));  // "No" keeps the old file
    EXPECT_EQ((std::vector<std::string>{"old.wav", "src.wav"}), Listing());
}

TEST_F(FileToolsTest, CombineRefusesIncompatiblePairsBeforeWriting) {
    NEED_TOOLS("sox", "lame", "ffmpeg");
    std::string s16 = Make("s16.wav", MakeWave(4000, 2, 16)), s8 = Make("s8.wav", MakeWave(4000, 2, 8));
    std::string mono = Make("mono.wav", MakeWave(4000, 1, 16)), two = Make("two.wav", MakeWave(8000, 2, 16));
    std::string m128 = Lame("m128.mp3", 1, "-b 128"), m192 = Lame("m192.mp3", 1, "-b 192");
    std::string m48 = Lame("m48.mp3", 1, "-b 128", 48000);
    Bytes late(600, 0), body = ReadAll(m128);  // the first sync past the first 512 bytes
    late.insert(late.end(), body.begin(), body.end());
    std::string m128late = Make("late.mp3", late);
    auto soxWave = [&](const char* name, const char* coding) {
        return Sh(name, std::string("sox -V1 -n -r 8000 -c 2 ") + coding + " OUT synth 0.2 sine 300");
    };
    std::string f32 = soxWave("f32.wav", "-e floating-point -b 32"), i32 = soxWave("i32.wav", "-e signed -b 32");
    std::string i32x = soxWave("i32x.wav", "-c 4 -e signed -b 32");
    std::string f32x = Sh("f32x.wav",
                          "ffmpeg -nostdin -v error -f lavfi -i sine=f=300:d=0.2:sample_rate=8000 -ac 4 "
                          "-c:a pcm_f32le OUT");
    std::string alaw = soxWave("alaw.wav", "-e a-law -b 8"), ulaw = soxWave("ulaw.wav", "-e u-law -b 8");
    std::string u8 = soxWave("u8.wav", "-e unsigned -b 8");
    struct Case {
        std::string a, b, dest;
        int message;
    };
    const Case cases[] = {
        {"",   s16,      "j.wav",   STR_SET_FILE_NAME_1  },
        {s16,  "",       "j.wav",   STR_SET_FILE_NAME_2  },
        {s16,  s8,       "",        STR_SET_FILE_NAME    },
        {s16,  m128,     "j.wav",   STR_COMBINE_FORMAT   },
        {s16,  mono,     "j.wav",   STR_COMBINE_CHANNELS },
        {s16,  s8,       "j.wav",   STR_COMBINE_BITS     },
        {m128, m192,     "j.mp3",   STR_COMBINE_BITRATE  },
        {m128, m48,      "j.mp3",   STR_COMBINE_FREQUENCY},
        {m128, m128late, "j.mp3",   STR_ERROR            },
 // Either input as the destination, in any case, with or without its extension.
        {m128, m128,     "m128",    STR_COMBINE_SAME_NAME},
        {s16,  two,      "S16",     STR_COMBINE_SAME_NAME},
        {s16,  two,      "Two",     STR_COMBINE_SAME_NAME},
        {s16,  two,      "two.WAV", STR_COMBINE_SAME_NAME},
 // Same channels, rate and bits, other coding: float after integers, one law after another.
        {f32,  i32,      "j.wav",   STR_COMBINE_FORMAT   },
        {f32x, i32x,     "j.wav",   STR_COMBINE_FORMAT   }, // extensible: the sub-formats differ
        {alaw, ulaw,     "j.wav",   STR_COMBINE_FORMAT   },
        {alaw, u8,       "j.wav",   STR_COMBINE_FORMAT   },
    };
    auto before = Listing();
    for (const Case& c : cases) {
        ResetMessages();
        Dest dest = DestFor(c.dest);
        EXPECT_EQ(0, CombineFiles(dest.s, c.a.c_str(), c.b.c_str())) << c.message << " " << c.dest;
        EXPECT_EQ(std::vector<int>{c.message}, Messages()) << c.message;
    }
    EXPECT_EQ(before, Listing());
}

// ---- failures while writing ------------------------------------------------------------------

TEST_F(FileToolsTest, AWriteFailingAtAnyPointLeavesNothingAndTheSourcesUntouched) {
    NEED_TOOLS("sox", "lame");
    std::string wa = Make("a.wav", MakeWave(300001, 1, 8, "Odd")), wb = Make("b.wav", MakeWave(200000, 1, 8));
    std::string ma = Lame("a.mp3", 3, "-b 128"), mb = Lame("b.mp3", 2, "-b 128");
    ASSERT_EQ(1, SetTitleField(ma.c_str(), FIELD_TITLE, "Tagged", 0));
    const std::string sources[] = {wa, wb, ma, mb};
    std::vector<Bytes> originals;
    for (const std::string& s : sources) originals.push_back(ReadAll(s));
    auto listing = Listing();
    struct Op {
        const char* name;
        std::string a, b;  // no second file: a divide
    };
    const Op ops[] = {
        {"divide wave",  wa, ""},
        {"divide mpeg",  ma, ""},
        {"combine wave", wa, wb},
        {"combine mpeg", ma, mb},
    };
    for (const Op& op : ops) {
        for (int kind : {MEDIA_FAULT_FAIL, MEDIA_FAULT_SHORT}) {
            int n = 1;
            for (;; n++) {
                ResetMessages();
                Dest dest = DestFor("new");
                SetMediaFileFault(kind, n);
                int ok = op.b.empty() ? DivideFile(dest.s, op.a.c_str(), 500, 2000)
                                      : CombineFiles(dest.s, op.a.c_str(), op.b.c_str());
                int fired = MediaFileFaultFired();
                SetMediaFileFault(MEDIA_FAULT_NONE, 0);
                EXPECT_EQ(0, MediaFilesOpen()) << op.name << " call " << n;
                if (!fired) {
                    ASSERT_EQ(1, ok) << op.name;
                    std::filesystem::remove(dest.s);
                    break;
                }
                EXPECT_EQ(0, ok) << op.name << " call " << n;
                EXPECT_EQ(std::vector<int>{STR_ERROR}, Messages()) << op.name << " call " << n;
                EXPECT_EQ(listing, Listing()) << op.name << " call " << n;
            }
            EXPECT_GT(n, 3) << op.name;  // create, copy, flush, rename at least
        }
    }
    for (size_t i = 0; i < originals.size(); i++) EXPECT_EQ(originals[i], ReadAll(sources[i])) << sources[i];
}

// ---- messages as text ------------------------------------------------------------------------

TEST_F(FileToolsTest, TextMessagesAreTheStringTableOnes) {
    // The command line prints these texts; the boxes take them from the resource script.
    std::ifstream rc(std::string(QD_SOURCE_DIR) + "/src/resources/deck.rc");
    std::set<std::string> rcTexts;  // the English table's
    std::regex row("^\\s*(STR_[A-Z0-9_]+),\\s*\"(.*)\"\\s*$");
    for (std::string line; std::getline(rc, line) && line.find("LANG_JAPANESE") == std::string::npos;) {
        std::smatch m;
        if (std::regex_match(line, m, row)) rcTexts.insert(std::regex_replace(m[2].str(), std::regex("\\\\n"), "\n"));
    }
    for (int id = STR_CREATED; id <= STR_COMBINE_SAME_NAME; id++) {
        const char* text = ToolMessageEnglish(id);
        EXPECT_TRUE(!text || rcTexts.count(text)) << id << ": " << text;
    }

    char text[TOOL_MESSAGE_TEXT_BYTES];
    FormatToolMessage(STR_NOT_FOUND, "a.wav", JOIN_SPACE, text);
    EXPECT_STREQ("a.wav not found.", text);
    FormatToolMessage(STR_COULD_NOT_WRITE, "b.mp3", JOIN_SPACE_DOT, text);
    EXPECT_STREQ("Could not write to b.mp3.", text);
    FormatToolMessage(STR_NO_INFORMATION, "c.mp2", JOIN_SPACE, text);
    EXPECT_STREQ("Could not get information from c.mp2", text);
}

}  // namespace
