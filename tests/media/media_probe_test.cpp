// Media probe on real files made by sox, ffmpeg and lame, and on hand-made headers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>
#include "fake_player.h"
#include "media/media_probe.h"
#include "media/media_window.h"
#include "media_test_util.h"

namespace {

class MediaProbeTest : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        FakePlayerReset();
        ResetMediaProbe();
        SetMediaWindowExistsForTest(1);
    }
    std::string Sox(const std::string& name, const std::string& args) {
        std::string p = dir.File(name);
        EXPECT_TRUE(Shell("sox -n " + args + " '" + p + "' synth 1 sine 440")) << name;
        return p;
    }
    std::string Made(const std::string& name, const Bytes& b) {
        WriteAll(dir.File(name), b);
        return dir.File(name);
    }
};

TEST_F(MediaProbeTest, WaveReportsWholeSecondsAndItsFormat) {
    // 10.9 s of 44.1 kHz 16-bit stereo: the probe drops the fraction, the window does not.
    std::string wav = dir.File("ten.wav");
    ASSERT_TRUE(Shell("sox -n -r 44100 -b 16 -c 2 '" + wav + "' synth 10.9 sine 440"));
    MediaInfo info;
    std::memset(&info, 0xAB, sizeof info);
    ASSERT_EQ(1, GetMediaInfo(wav.c_str(), &info));
    EXPECT_EQ(MEDIA_WAVE, info.kind);
    EXPECT_EQ(1, info.formatTag);
    EXPECT_EQ(2, info.channels);
    EXPECT_EQ(44100u, info.sampleRate);
    EXPECT_EQ(16, info.bitsPerSample);
    EXPECT_EQ(10000u, info.lengthMs);
    EXPECT_EQ(0u, info.bitRate);
    uint32_t ms = 0;
    ASSERT_EQ(1, GetMediaLength(wav.c_str(), &ms));
    EXPECT_EQ(10900u, ms);

    char text[MEDIA_TEXT_BYTES];
    ASSERT_EQ(1, FormatMediaText(wav.c_str(), text));
    EXPECT_STREQ(" PCM, 44kHz, 16bit, Stereo ", text);
    ASSERT_EQ(1, FormatMediaLine(&info, MEDIA_LINE_FIRST, text));
    EXPECT_STREQ(" PCM Stereo 44 kHz 16 bit", text);

    std::string mono = Sox("mono.wav", "-r 22050 -b 8 -c 1");
    ASSERT_EQ(1, FormatMediaText(mono.c_str(), text));
    EXPECT_STREQ(" PCM, 22kHz, 8bit, Mono ", text);
}

TEST_F(MediaProbeTest, WaveWithoutByteRateHasNoLength) {
    std::string wav = Sox("zero.wav", "-r 8000 -b 16 -c 1");
    Bytes b = ReadAll(wav);
    ASSERT_EQ(0, std::memcmp(&b[12], "fmt ", 4));
    std::memset(&b[28], 0, 4);  // average bytes per second
    WriteAll(wav, b);
    MediaInfo info{};
    ASSERT_EQ(1, GetMediaInfo(wav.c_str(), &info));
    EXPECT_EQ(0u, info.lengthMs);
    uint32_t ms = 1;
    EXPECT_EQ(1, GetMediaLength(wav.c_str(), &ms));
    EXPECT_EQ(0u, ms);
}

TEST_F(MediaProbeTest, WaveLengthStopsAtTheLargestValueInsteadOfWrapping) {
    std::string wav = Sox("slow.wav", "-r 8000 -b 16 -c 1");
    Bytes b = ReadAll(wav);
    ASSERT_EQ(0, std::memcmp(&b[36], "data", 4));
    const uint8_t oneBytePerSecond[4] = {1, 0, 0, 0}, hugeData[4] = {0xF0, 0xFF, 0xFF, 0xFF};
    std::memcpy(&b[28], oneBytePerSecond, 4);
    std::memcpy(&b[40], hugeData, 4);
    WriteAll(wav, b);
    MediaInfo info{};
    ASSERT_EQ(1, GetMediaInfo(wav.c_str(), &info));
    EXPECT_EQ(0xFFFFFFFFu, info.lengthMs);
}

TEST_F(MediaProbeTest, WaveMissingChunksIsNotRecognised) {
    std::string wav = Sox("cut.wav", "-r 8000 -b 16 -c 1");
    Bytes b = ReadAll(wav);
    b.resize(36);  // header and "fmt " only: no "data"
    WriteAll(wav, b);
    MediaInfo info{};
    EXPECT_EQ(0, GetMediaInfo(wav.c_str(), &info));
    b.resize(20);  // "fmt " cut short
    WriteAll(wav, b);
    EXPECT_EQ(0, GetMediaInfo(wav.c_str(), &info));
    EXPECT_EQ(0, GetMediaInfo(dir.File("missing.wav").c_str(), &info));
}

TEST_F(MediaProbeTest, MpegFilesComeFromThePlayerLibrary) {
    std::string mp2 = dir.File("a.mp2");
    ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i sine=f=440:d=2:r=44100 -ac 2 -c:a mp2 -b:a 192k '" + mp2 + "'"));
    MediaInfo info{};
    ASSERT_EQ(1, GetMediaInfo(mp2.c_str(), &info));
    EXPECT_EQ(MEDIA_MP2, info.kind);
    EXPECT_EQ(0, info.channels);
    EXPECT_EQ(44100u, info.sampleRate);
    EXPECT_EQ(192u, info.bitRate);
    char text[MEDIA_TEXT_BYTES];
    ASSERT_EQ(1, FormatMediaText(mp2.c_str(), text));
    EXPECT_STREQ(" MP2, 44kHz, Stereo ", text);
    ASSERT_EQ(1, FormatMediaLine(&info, MEDIA_LINE_SECOND, text));
    EXPECT_STREQ(" MP2 Stereo 44 kHz 192 kbits", text);
    ASSERT_EQ(1, FormatMediaLine(&info, MEDIA_LINE_FIRST, text));
    EXPECT_STREQ(" MP2 Stereo 44 kHz 192 kbits ", text);
    info.kind = MEDIA_MPEG;
    info.channels = 1;
    ASSERT_EQ(1, FormatMediaLine(&info, MEDIA_LINE_SECOND, text));
    EXPECT_STREQ(" MPEG Mono   44 kHz 192 kbits", text);
    info.kind = MEDIA_MIDI;
    EXPECT_EQ(0, FormatMediaLine(&info, MEDIA_LINE_SECOND, text));

    // The copy bits come from the player library's look at the header.
    std::string mp3 = dir.File("c.mp3");
    ASSERT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet -c - '" + mp3 + "'"));
    ASSERT_EQ(1, GetMediaInfo(mp3.c_str(), &info));
    EXPECT_EQ(MEDIA_MP3, info.kind);
    EXPECT_EQ(1, info.copyBit);

    // Without the library, MPEG files are not recognised and have no length.
    FakePlayerSetPresent(0);
    EXPECT_EQ(0, GetMediaInfo(mp2.c_str(), &info));
    uint32_t ms = 5;
    EXPECT_EQ(1, GetMediaLength(mp2.c_str(), &ms));
    EXPECT_EQ(0u, ms);
}

TEST_F(MediaProbeTest, MidiAndRmidAreMidiWithTempoMapLength) {
    // 480 ticks per quarter; 960 ticks at 120 bpm, then 480 ticks at 60 bpm: 1000 + 1000 ms.
    Bytes track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x40, 0x64, 0x87, 0x40, 0x80,
                   0x40, 0x00, 0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x83, 0x60, 0xFF, 0x2F, 0x00};
    Bytes midi = MakeMidi(480, {track});
    std::string mid = Made("song.mid", midi);
    MediaInfo info{};
    ASSERT_EQ(1, GetMediaInfo(mid.c_str(), &info));
    EXPECT_EQ(MEDIA_MIDI, info.kind);
    EXPECT_EQ(1u, info.sampleRate);
    EXPECT_EQ(2000u, info.lengthMs);
    char text[MEDIA_TEXT_BYTES];
    EXPECT_EQ(0, FormatMediaText(mid.c_str(), text));

    Bytes rmid;
    AppendText(&rmid, "RIFF");
    AppendLe32(&rmid, uint32_t(12 + midi.size()));
    AppendText(&rmid, "RMIDdata");
    AppendLe32(&rmid, uint32_t(midi.size()));
    AppendBytes(&rmid, midi.data(), midi.size());
    std::string rmi = Made("song.rmi", rmid);
    ASSERT_EQ(1, GetMediaInfo(rmi.c_str(), &info));
    EXPECT_EQ(MEDIA_MIDI, info.kind);
    EXPECT_EQ(2000u, info.lengthMs);
    int container = -1;
    EXPECT_EQ(1, GetTitleContainer(rmi.c_str(), &container));
    EXPECT_EQ(TITLES_RMID, container);
    EXPECT_EQ(1, GetTitleContainer(mid.c_str(), &container));
    EXPECT_EQ(TITLES_MIDI, container);

    // Before the playback windows exist, lengths are not asked for.
    SetMediaWindowExistsForTest(0);
    uint32_t ms = 7;
    EXPECT_EQ(1, GetMediaLength(mid.c_str(), &ms));
    EXPECT_EQ(0u, ms);
}

TEST_F(MediaProbeTest, OtherRiffFormsArePlayableButUntitled) {
    std::string avi = dir.File("clip.avi");
    ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i sine=d=0.2 -f avi '" + avi + "'"));
    MediaInfo info{};
    EXPECT_EQ(0, GetMediaInfo(avi.c_str(), &info));
    int kind = -1, container = -1;
    ASSERT_EQ(1, GetPlayKind(avi.c_str(), &kind));
    EXPECT_EQ(PLAY_RIFF, kind);
    ASSERT_EQ(1, GetTitleContainer(avi.c_str(), &container));
    EXPECT_EQ(TITLES_NONE, container);
}

TEST_F(MediaProbeTest, PlayKindFindsTheSyncAtTheAllowedPlaces) {
    struct Case {
        const char* name;
        size_t size;
        long syncAt;  // -1: none
        int result, kind;
    };
    const Case cases[] = {
        {"sync at start",                  600,  0,   1, PLAY_MPEG       },
        {"sync at 384 after zeros",        600,  384, 1, PLAY_MPEG_OFFSET},
        {"sync at 128",                    600,  128, 1, PLAY_MPEG_OFFSET},
        {"sync first at 600",              1200, 600, 1, PLAY_NONE       },
        {"sync at 200 only",               1200, 200, 1, PLAY_NONE       },
        {"too short for the later places", 300,  -1,  0, PLAY_NONE       },
        {"shorter than a header",          5,    -1,  0, PLAY_NONE       },
    };
    for (const Case& c : cases) {
        Bytes b(c.size, 0);
        if (c.syncAt >= 0) {
            b[c.syncAt] = 0xFF;
            b[c.syncAt + 1] = 0xFB;
        }
        std::string p = Made("k.bin", b);
        int kind = -1;
        EXPECT_EQ(c.result, GetPlayKind(p.c_str(), &kind)) << c.name;
        EXPECT_EQ(c.kind, kind) << c.name;
    }
    int kind = -1;
    EXPECT_EQ(0, GetPlayKind(dir.File("none").c_str(), &kind));
    uint32_t ms = 9;
    EXPECT_EQ(0, GetMediaLength(dir.File("none").c_str(), &ms));
    EXPECT_EQ(0u, ms);
}

TEST_F(MediaProbeTest, TitleContainerOfMpegFiles) {
    std::string mp3 = dir.File("t.mp3");
    ASSERT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet - '" + mp3 + "'"));
    Bytes audio = ReadAll(mp3);
    Bytes trailer = {'L', 'I', 'S', 'T', 16, 0, 0, 0, 'I', 'N', 'F', 'O', 'C', 'H', 'S', 'T', 4, 0, 0, 0, 1, 2, 3, 4};
    AppendLe32(&trailer, 24);
    AppendText(&trailer, "MEXT");
    Bytes tag(128, ' ');
    std::memcpy(tag.data(), "TAG", 3);

    struct Case {
        const char* name;
        bool withTrailer, withTag;
        int container;
    };
    const Case cases[] = {
        {"plain",            false, false, TITLES_NONE       },
        {"trailer",          true,  false, TITLES_TRAILER    },
        {"tag",              false, true,  TITLES_ID3        },
        {"trailer then tag", true,  true,  TITLES_ID3_TRAILER}
    };
    for (const Case& c : cases) {
        Bytes b = audio;
        if (c.withTrailer) AppendBytes(&b, trailer.data(), trailer.size());
        if (c.withTag) AppendBytes(&b, tag.data(), tag.size());
        std::string p = Made("c.mp3", b);
        int container = -1;
        EXPECT_EQ(1, GetTitleContainer(p.c_str(), &container)) << c.name;
        EXPECT_EQ(c.container, container) << c.name;
    }
    int container = -1;
    EXPECT_EQ(0, GetTitleContainer(Made("tiny", Bytes(11, 1)).c_str(), &container));
}

TEST_F(MediaProbeTest, ExistenceAndWritability) {
    std::string wav = Sox("w.wav", "-r 8000 -c 1");
    int reason = -1;
    EXPECT_EQ(1, FileExists(wav.c_str()));
    EXPECT_EQ(1, FileExists(dir.path.c_str()));
    EXPECT_EQ(0, FileExists(dir.File("nope.wav").c_str()));
    EXPECT_EQ(1, CheckWritable(wav.c_str(), &reason));
    EXPECT_EQ(0, CheckWritable(dir.File("nope.wav").c_str(), &reason));
    EXPECT_EQ(WRITABLE_MISSING, reason);
    if (geteuid() != 0) {  // root may write anything
        chmod(wav.c_str(), 0444);
        EXPECT_EQ(0, CheckWritable(wav.c_str(), &reason));
        EXPECT_EQ(WRITABLE_LOCKED, reason);
    }
}

}  // namespace
