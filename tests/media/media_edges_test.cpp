// Readers on files whose parts are of unequal sizes or claim more than they hold: a MIDI file's
// length is its longest track's whatever the order of the tracks, system messages of one and two
// data bytes are stepped over exactly, and a title list running past the RIFF body is read only
// up to the body's end.
#include <gtest/gtest.h>
#include "fake_player.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/media_window.h"
#include "media/titles.h"
#include "media_test_util.h"

namespace {

class MediaEdges : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        FakePlayerReset();
        ResetMediaProbe();
        SetMediaWindowExistsForTest(1);
    }
    uint32_t MidiLength(const Bytes& midi) {
        WriteAll(dir.File("song.mid"), midi);
        MediaInfo info{};
        EXPECT_EQ(1, GetMediaInfo(dir.File("song.mid").c_str(), &info));
        return info.lengthMs;
    }
};

TEST_F(MediaEdges, AMidiFileLastsAsLongAsItsLongestTrack) {
    // 480 ticks per quarter: 960 ticks at 120 bpm, then 480 at 60 bpm (2 s in all).
    const Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x40, 0x64, 0x87, 0x40, 0x80,
                         0x40, 0x00, 0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, 0x83, 0x60, 0xFF, 0x2F, 0x00};
    const Bytes shortTrack = {0x83, 0x60, 0xFF, 0x2F, 0x00};  // ends at tick 480
    // A song position (two data bytes) and a song select (one), then the end at tick 1,920.
    const Bytes systemTrack = {0x00, 0xF2, 0x10, 0x20, 0x00, 0xF3, 0x05, 0x8F, 0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(2000u, MidiLength(MakeMidi(480, {tempo, shortTrack})));
    EXPECT_EQ(2000u, MidiLength(MakeMidi(480, {shortTrack, tempo})));
    EXPECT_EQ(3000u, MidiLength(MakeMidi(480, {tempo, systemTrack})));
}

// Every kind of channel message, given with its status and again by running status, is stepped
// over by its own count of data bytes: one for program change and channel pressure, two for the
// others. A wrong count reads a data byte as a time and the song's length comes out wrong.
TEST_F(MediaEdges, EachChannelMessageIsSteppedOverByItsDataBytes) {
    const struct {
        uint8_t status;
        int dataBytes;
    } kinds[] = {
        {0x80, 2}, {0x93, 2}, {0xA0, 2}, {0xB5, 2}, {0xC0, 1}, {0xDF, 1}, {0xE0, 2},
    };
    for (const auto& k : kinds) {
        Bytes track = {0x00, k.status};
        for (int round = 0; round < 2; ++round) {  // the second time by running status
            track.push_back(0x40);
            if (k.dataBytes == 2) track.push_back(0x7F);
            track.push_back(0x60);  // 96 ticks to the next event
        }
        for (uint8_t b : {0xFF, 0x2F, 0x00}) track.push_back(b);
        // 192 ticks at 96 per quarter and the default 120 bpm: one second
        EXPECT_EQ(1000u, MidiLength(MakeMidi(96, {track}))) << std::hex << int(k.status);
    }
}

// A WAVE of eight silent 8-bit mono samples at 8 kHz, its RIFF size true.
Bytes TinyWave() {
    Bytes b;
    AppendText(&b, "RIFF");
    AppendLe32(&b, 36 + 8);
    AppendText(&b, "WAVEfmt ");
    AppendLe32(&b, 16);
    const uint8_t fmt[16] = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0};
    AppendBytes(&b, fmt, sizeof fmt);
    AppendText(&b, "data");
    AppendLe32(&b, 8);
    AppendBytes(&b, "\x80\x80\x80\x80\x80\x80\x80\x80", 8);
    return b;
}

// A WAVE plays as long as the sound it holds: a data chunk cut short (a recording that never closed)
// counts what is there, one followed by other chunks counts only itself.
TEST_F(MediaEdges, AWaveLastsAsLongAsTheSoundItHolds) {
    const uint8_t fmt[16] = {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0};  // 8 kHz 8-bit mono
    auto wave = [&](uint32_t claimed, uint32_t held, uint32_t after) {
        Bytes b;
        AppendText(&b, "RIFF");
        AppendLe32(&b, 36 + claimed + after);
        AppendText(&b, "WAVEfmt ");
        AppendLe32(&b, 16);
        AppendBytes(&b, fmt, sizeof fmt);
        AppendText(&b, "data");
        AppendLe32(&b, claimed);
        b.resize(b.size() + held, 0x80);
        b.resize(b.size() + after, 0);
        WriteAll(dir.File("cut.wav"), b);
        uint32_t ms = 0;
        EXPECT_EQ(1, GetMediaLength(dir.File("cut.wav").c_str(), &ms));
        return ms;
    };
    EXPECT_EQ(750u, wave(16000, 6000, 0));
    EXPECT_EQ(500u, wave(4000, 4000, 3000));
}

TEST_F(MediaEdges, ATitleListIsReadOnlyUpToTheEndOfTheRiffBody) {
    Bytes b = TinyWave();
    AppendText(&b, "LIST");
    AppendLe32(&b, 4 + 8 + 6);  // claims an artist...
    AppendText(&b, "INFO");
    uint32_t body = uint32_t(b.size() - 8);
    AppendText(&b, "IART");  // ...that lies behind the RIFF body
    AppendLe32(&b, 6);
    AppendBytes(&b, "Ghost", 6);
    for (int i = 0; i < 4; i++) b[4 + i] = uint8_t(body >> (8 * i));
    WriteAll(dir.File("short.wav"), b);
    char artist[TITLE_FIELD_MAX_BYTES] = "unread";
    GetTitleField(dir.File("short.wav").c_str(), FIELD_ARTIST, artist, SOURCE_ID3_FIRST);
    EXPECT_STREQ("", artist);
}

// A value longer than its tag field is cut at the field's width and leaves its neighbour alone.
TEST_F(MediaEdges, ALongTagValueStopsAtItsFieldsWidth) {
    std::string mp3 = dir.File("song.mp3");
    WriteAll(mp3, Bytes(4000, 0x55));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_ARTIST, "Players"));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_TITLE, "A title that is far too long for the tag"));
    char text[64];
    ASSERT_EQ(1, ReadId3Field(mp3.c_str(), FIELD_ARTIST, text));
    EXPECT_STREQ("Players", text);
    ASSERT_EQ(1, ReadId3Field(mp3.c_str(), FIELD_TITLE, text));
    EXPECT_STREQ("A title that is far too long f", text);
    EXPECT_EQ(4000u + 128u, ReadAll(mp3).size());
}

// A title list that holds only this program's item is rewritten whole: changing a value back
// gives back the file it was.
TEST_F(MediaEdges, ATitleListOfOurOwnItemIsReplacedNotGrown) {
    Bytes b = TinyWave();
    std::string wav = dir.File("song.wav");
    WriteAll(wav, b);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "One", 0));
    Bytes once = ReadAll(wav);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "Three and more", 0));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "One", 0));
    EXPECT_EQ(once, ReadAll(wav));
}
}  // namespace
