// RIFF titles, the title trailer, MIDI titles and SetTitleField's dealings with the player, on
// files made by sox, ffmpeg and lame. Rewritten files must still decode to the same samples.
#include <gtest/gtest.h>
#include <cstring>
#include "fake_player.h"
#include "media/id3v1.h"
#include "media/title_readers.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "media_test_util.h"

namespace {

class TitlesTest : public ::testing::Test {
protected:
    ScratchDir dir;
    void SetUp() override {
        FakePlayerReset();
        ResetMediaProbe();
    }
    std::string Wave(const std::string& name, double seconds = 1.0) {
        std::string p = dir.File(name);
        EXPECT_TRUE(Shell("sox -n -r 44100 -b 16 -c 2 '" + p + "' synth " + std::to_string(seconds) + " sine 440"));
        return p;
    }
    std::string Mp3(const std::string& name) {
        std::string p = dir.File(name);
        EXPECT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet - '" + p + "'"));
        return p;
    }
    std::string Field(const std::string& path, int field, int source = SOURCE_ID3_FIRST, int* result = nullptr) {
        char buf[TITLE_FIELD_MAX_BYTES];
        std::memset(buf, 0x55, sizeof buf);
        int r = GetTitleField(path.c_str(), field, buf, source);
        if (result) *result = r;
        return field == FIELD_CHANNEL_STATUS ? std::string(buf, 4) : std::string(buf);
    }
};

Bytes Slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }
Bytes Text(const char* s, size_t n) { return Bytes(s, s + n); }

TEST_F(TitlesTest, TitleChunkIsAppendedReplacedAndRemoved) {
    std::string wav = Wave("t.wav");
    Bytes before = ReadAll(wav);
    Bytes samples = DecodeWithSox(wav);
    ASSERT_FALSE(samples.empty());
    int found = -1;
    EXPECT_EQ("t.wav", Field(wav, FIELD_TITLE, SOURCE_ID3_FIRST, &found));
    EXPECT_EQ(0, found);

    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Kiwi", 0));
    Bytes grown = ReadAll(wav);
    ASSERT_EQ(before.size() + 18, grown.size());
    EXPECT_EQ(Le32At(before, 4) + 18, Le32At(grown, 4));
    EXPECT_EQ(Text("DISP\x09\0\0\0\x01\0\0\0Kiwi\0\0", 18), Slice(grown, before.size(), 18));
    EXPECT_EQ("Kiwi", Field(wav, FIELD_TITLE, SOURCE_ID3_FIRST, &found));
    EXPECT_EQ(1, found);

    // A file whose title sits before the audio: the replacement moves the audio back.
    ASSERT_TRUE(Shell("sox '" + wav + "' '" + dir.File("plain.wav") + "'"));
    Bytes mid;
    AppendBytes(&mid, before.data(), 12);
    AppendBytes(&mid, grown.data() + before.size(), 18);
    AppendBytes(&mid, before.data() + 12, before.size() - 12);
    mid[4] = grown[4], mid[5] = grown[5], mid[6] = grown[6], mid[7] = grown[7];
    WriteAll(wav, mid);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "Banana", 0));
    Bytes replaced = ReadAll(wav);
    ASSERT_EQ(mid.size() + 2, replaced.size());
    EXPECT_EQ(Le32At(mid, 4) + 2, Le32At(replaced, 4));
    EXPECT_EQ(Text("DISP\x0B\0\0\0\x01\0\0\0Banana\0\0", 20), Slice(replaced, 12, 20));
    EXPECT_EQ(Slice(before, 12, before.size() - 12), Slice(replaced, 32, before.size() - 12));
    EXPECT_EQ(samples, DecodeWithSox(wav));
    EXPECT_EQ(samples, DecodeWithFfmpeg(wav));

    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "", 0));
    EXPECT_EQ(before, ReadAll(wav));
}

TEST_F(TitlesTest, GenreIsASixteenBitNumber) {
    std::string wav = Wave("g.wav");
    size_t size = ReadAll(wav).size();
    EXPECT_EQ("-1", Field(wav, FIELD_GENRE));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_GENRE, "17", 0));
    Bytes b = ReadAll(wav);
    EXPECT_EQ(Text("LIST\x0E\0\0\0INFOIGNR\x02\0\0\0\x11\0", 22), Slice(b, size, 22));
    EXPECT_EQ("17", Field(wav, FIELD_GENRE));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_GENRE, "-1", 0));
    b = ReadAll(wav);
    EXPECT_EQ(size + 22, b.size());
    EXPECT_EQ(0xFF, b[size + 20]);
    EXPECT_EQ(0xFF, b[size + 21]);
    EXPECT_EQ("255", Field(wav, FIELD_GENRE));
}

TEST_F(TitlesTest, ListsOfOtherProgramsAreReadButNotReplaced) {
    std::string wav = dir.File("ff.wav");
    ASSERT_TRUE(
        Shell("ffmpeg -v error -f lavfi -i sine=d=1 -metadata title=Sunrise -metadata artist=Quartet "
              "-c:a pcm_s16le '" +
              wav + "'"));
    Bytes samples = DecodeWithFfmpeg(wav);
    Bytes ff = ReadAll(wav);
    ASSERT_EQ(0, std::memcmp(&ff[36], "LIST", 4));
    ASSERT_EQ(0, std::memcmp(&ff[48], "IART", 4));
    // Put the name sub-chunk first, as other programs do: the list is then not ours to replace.
    Bytes swapped = ff;
    std::memcpy(&swapped[48], &ff[64], 16);
    std::memcpy(&swapped[64], &ff[48], 16);
    WriteAll(wav, swapped);
    EXPECT_EQ("Quartet", Field(wav, FIELD_ARTIST));
    EXPECT_EQ("", Field(wav, FIELD_ALBUM));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "Trio", 0));
    Bytes b = ReadAll(wav);
    ASSERT_EQ(swapped.size() + 26, b.size());
    EXPECT_EQ(Text("LIST\x12\0\0\0INFOIART\x05\0\0\0Trio\0\0", 26), Slice(b, swapped.size(), 26));
    EXPECT_EQ("Quartet", Field(wav, FIELD_ARTIST));  // the first list still answers
    EXPECT_EQ(samples, DecodeWithFfmpeg(wav));
    std::string probe = Capture("ffprobe -v error -show_entries format_tags=artist,title -of csv=p=0 '" + wav + "'");
    // ffprobe reads both lists, the later one last: our list is a valid chunk of the file.
    EXPECT_NE(std::string::npos, probe.find("Trio"));
    EXPECT_NE(std::string::npos, probe.find("Sunrise"));

    // With the artist first, the list is taken for the artist's: its item is replaced (in its
    // old space, the new name being shorter) and the other program's items stay.
    WriteAll(wav, ff);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_ARTIST, "Trio", 0));
    b = ReadAll(wav);
    EXPECT_EQ(ff.size(), b.size());
    EXPECT_EQ("Trio", Field(wav, FIELD_ARTIST));
    EXPECT_EQ(samples, DecodeWithFfmpeg(wav));
    probe = Capture("ffprobe -v error -show_entries format_tags=artist,title -of csv=p=0 '" + wav + "'");
    EXPECT_NE(std::string::npos, probe.find("Trio"));
    EXPECT_NE(std::string::npos, probe.find("Sunrise"));

    // Every field survives a round trip, each in its own list.
    const char* values[] = {"Night Song", "Band", "", "1999", "Long Album Name", "Fine"};
    for (int f : {FIELD_TITLE, FIELD_YEAR, FIELD_ALBUM, FIELD_COMMENT})
        ASSERT_EQ(1, SetTitleField(wav.c_str(), f, values[f], 0));
    for (int f : {FIELD_TITLE, FIELD_YEAR, FIELD_ALBUM, FIELD_COMMENT}) EXPECT_EQ(values[f], Field(wav, f));
    EXPECT_EQ(samples, DecodeWithFfmpeg(wav));
    // Long values are cut at the field's longest length on reading.
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_COMMENT, "0123456789012345678901234567890123456789", 0));
    EXPECT_EQ("012345678901234567890123456789", Field(wav, FIELD_COMMENT));
}

TEST_F(TitlesTest, GrowingATitleMovesALargeTail) {
    // More than the 32 KB read ahead, with a title that grows by the most a chunk can.
    std::string wav = Wave("big.wav", 3.0);
    Bytes samples = DecodeWithSox(wav);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "a", 0));
    Bytes withTitle = ReadAll(wav);
    // Put the small title in front of the audio, then grow it to 255 letters.
    Bytes front(withTitle.begin(), withTitle.begin() + 12);
    AppendBytes(&front, withTitle.data() + withTitle.size() - 14, 14);
    AppendBytes(&front, withTitle.data() + 12, withTitle.size() - 26);
    WriteAll(wav, front);
    std::string longTitle(300, 'x');
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, longTitle.c_str(), 0));
    Bytes b = ReadAll(wav);
    EXPECT_EQ(front.size() - 14 + 12 + 256, b.size());
    EXPECT_EQ(b.size() - 8, Le32At(b, 4));
    EXPECT_EQ(std::string(255, 'x'), Field(wav, FIELD_TITLE));
    EXPECT_EQ(samples, DecodeWithSox(wav));
}

TEST_F(TitlesTest, RmidTitlesAreReadButNeverWritten) {
    Bytes midi = MakeMidi(96, {
                                  {0x00, 0xFF, 0x2F, 0x00}
    });
    Bytes rmid;
    AppendText(&rmid, "RIFF");
    AppendLe32(&rmid, uint32_t(4 + 8 + midi.size() + 8 + 10));
    AppendText(&rmid, "RMIDdata");
    AppendLe32(&rmid, uint32_t(midi.size()));
    AppendBytes(&rmid, midi.data(), midi.size());
    AppendBytes(&rmid, "DISP\x0a\0\0\0\x01\0\0\0Tune\0\0", 18);
    std::string rmi = dir.File("x.rmi");
    WriteAll(rmi, rmid);
    EXPECT_EQ("Tune", Field(rmi, FIELD_TITLE));
    EXPECT_EQ(0, SetTitleField(rmi.c_str(), FIELD_TITLE, "New", 0));
    EXPECT_EQ(rmid, ReadAll(rmi));
}

TEST_F(TitlesTest, MidiTitleComesFromTheFirstTrack) {
    auto meta = [](uint8_t type, const char* text) {
        size_t n = std::strlen(text);
        Bytes e = {0x00, 0xFF, type};
        if (n >= 128) e.push_back(uint8_t(0x80 | (n >> 7)));  // a two-byte length
        e.push_back(uint8_t(n & 0x7F));
        AppendText(&e, text);
        return e;
    };
    auto track = [](std::vector<Bytes> events) {
        Bytes t;
        for (auto& e : events) AppendBytes(&t, e.data(), e.size());
        AppendBytes(&t, "\x00\xFF\x2F\x00", 4);
        return t;
    };
    struct Case {
        const char* name;
        Bytes file;
        int found;
        const char* title;
    };
    const Case cases[] = {
        {"track name",                         MakeMidi(96, {track({meta(1, "note"), meta(3, "Overture")}), track({})}),          1, "Overture"},
        {"copyright before text",              MakeMidi(96, {track({meta(1, "a"), meta(2, "(c) Us"), meta(1, "b")}), track({})}), 1,
         "(c) Us"                                                                                                                              },
        {"last text",                          MakeMidi(96, {track({meta(1, "first"), meta(1, "last")}), track({})}),             1, "last"    },
        {"single track, copyright only",       MakeMidi(96, {track({meta(2, "(c) Us")})}),                                        0, "m.mid"   },
        {"second track's name does not count", MakeMidi(96, {track({}), track({meta(3, "Late")})}),                               0, "m.mid"   },
        {"a name of 200 letters",              MakeMidi(96, {track({meta(3, std::string(200, 'L').c_str())}), track({})}),        1,
         nullptr                                                                                                                               },
    };
    for (const Case& c : cases) {
        std::string mid = dir.File("m.mid");
        WriteAll(mid, c.file);
        int found = -1;
        EXPECT_EQ(c.title ? c.title : std::string(200, 'L'), Field(mid, FIELD_TITLE, SOURCE_ID3_FIRST, &found))
            << c.name;
        EXPECT_EQ(c.found, found) << c.name;
        EXPECT_EQ("", Field(mid, FIELD_ARTIST, SOURCE_ID3_FIRST, &found)) << c.name;
        EXPECT_EQ(1, SetTitleField(mid.c_str(), FIELD_TITLE, "ignored", 0)) << c.name;
        EXPECT_EQ(c.file, ReadAll(mid)) << c.name;
    }

    // A name beyond the first 16 KB window is still found (the windows overlap), and a length
    // of 255 keeps the whole text.
    Bytes pad(16381, 0);
    Bytes far = MakeMidi(96, {track({Bytes(pad), meta(3, std::string(255, 'n').c_str())}), track({})});
    WriteAll(dir.File("far.mid"), far);
    EXPECT_EQ(std::string(255, 'n'), Field(dir.File("far.mid"), FIELD_TITLE));
}

Bytes TrailerChunk(const char* id, const Bytes& value) {
    Bytes c;
    uint32_t n = uint32_t(value.size());
    if (std::strcmp(id, "DISP") == 0) {
        AppendText(&c, "DISP");
        AppendLe32(&c, n + 4);
        AppendLe32(&c, 1);
    } else {
        AppendText(&c, "LIST");
        AppendLe32(&c, ((n + 1) & ~1u) + 12);
        AppendText(&c, "INFO");
        AppendText(&c, id);
        AppendLe32(&c, n);
    }
    AppendBytes(&c, value.data(), value.size());
    if (n & 1) c.push_back(0);
    return c;
}

TEST_F(TitlesTest, TrailerBeforeTagIsReadAndReduced) {
    std::string mp3 = Mp3("a.mp3");
    Bytes audio = ReadAll(mp3);
    Bytes decoded = DecodeWithFfmpeg(mp3);
    std::string longTitle(40, 'T');
    Bytes area = TrailerChunk("DISP", Text(longTitle.c_str(), 41));
    Bytes artist = TrailerChunk("IART", Text("Solo\0", 5));
    AppendBytes(&area, artist.data(), artist.size());
    Bytes status = TrailerChunk("CHST", {0x00, 0x96, 0x00, 0x00});
    AppendBytes(&area, status.data(), status.size());
    Bytes file = audio;
    AppendBytes(&file, area.data(), area.size());
    AppendLe32(&file, uint32_t(area.size()));
    AppendText(&file, "MEXT");
    WriteAll(mp3, file);
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_TITLE, "Tag title"));

    int found = -1;
    EXPECT_EQ("Tag title", Field(mp3, FIELD_TITLE, SOURCE_ID3_FIRST, &found));
    EXPECT_EQ(longTitle, Field(mp3, FIELD_TITLE, SOURCE_TRAILER_B));
    EXPECT_EQ("Solo", Field(mp3, FIELD_ARTIST, SOURCE_TRAILER));
    EXPECT_EQ("", Field(mp3, FIELD_ARTIST, SOURCE_ID3_FIRST_B, &found));  // the tag answers
    EXPECT_EQ(0, found);
    EXPECT_EQ(std::string("\x00\x96\x00\x00", 4), Field(mp3, FIELD_CHANNEL_STATUS, SOURCE_TRAILER, &found));
    EXPECT_EQ(1, found);

    ASSERT_EQ(1, ReduceTitleTrailer(mp3.c_str()));
    Bytes reduced = ReadAll(mp3);
    ASSERT_EQ(audio.size() + 32 + 128, reduced.size());
    EXPECT_EQ(Text("LIST\x10\0\0\0INFOCHST\x04\0\0\0\x00\x96\x00\x00\x18\0\0\0MEXT", 32),
              Slice(reduced, audio.size(), 32));
    EXPECT_EQ(0, std::memcmp(&reduced[audio.size() + 32], "TAGTag title", 12));
    EXPECT_EQ(decoded, DecodeWithFfmpeg(mp3));

    // Without a channel status the trailer goes altogether; without a trailer nothing changes.
    std::string plain = Mp3("b.mp3");
    file = ReadAll(plain);
    Bytes title = TrailerChunk("DISP", Text("x\0", 2));
    AppendBytes(&file, title.data(), title.size());
    AppendLe32(&file, uint32_t(title.size()));
    AppendText(&file, "MEXT");
    WriteAll(plain, file);
    ASSERT_EQ(1, WriteId3Field(plain.c_str(), FIELD_ARTIST, "A"));
    ASSERT_EQ(1, ReduceTitleTrailer(plain.c_str()));
    Bytes after = ReadAll(plain);
    EXPECT_EQ(file.size() - title.size() - 8 + 128, after.size() + 0);
    EXPECT_EQ(0, ReduceTitleTrailer(plain.c_str()));
    EXPECT_EQ(after, ReadAll(plain));
}

TEST_F(TitlesTest, TrailerChannelStatusIsRewrittenKeepingTheTitle) {
    std::string mp3 = Mp3("s.mp3");
    Bytes audio = ReadAll(mp3);
    Bytes decoded = DecodeWithFfmpeg(mp3);
    const char status1[4] = {0x00, 0x16, 0x00, 0x00};
    ASSERT_EQ(1, SetTitleField(mp3.c_str(), FIELD_CHANNEL_STATUS, status1, 4));
    Bytes b = ReadAll(mp3);
    EXPECT_EQ(Text("LIST\x10\0\0\0INFOCHST\x04\0\0\0\x00\x16\x00\x00\x18\0\0\0MEXT", 32), Slice(b, audio.size(), 32));

    // An odd-sized title in the trailer is kept with its pad byte; the old status list goes.
    Bytes area = TrailerChunk("DISP", Text("Abc\0", 4));  // size 8
    Bytes odd = TrailerChunk("DISP", Text("Ab\0", 3));    // size 7 and a pad byte
    AppendBytes(&area, odd.data(), odd.size());
    Bytes file = audio;
    AppendBytes(&file, area.data(), area.size());
    AppendBytes(&file, b.data() + audio.size(), 24);
    AppendLe32(&file, uint32_t(area.size() + 24));
    AppendText(&file, "MEXT");
    WriteAll(mp3, file);
    EXPECT_EQ("Abc", Field(mp3, FIELD_TITLE, SOURCE_TRAILER));
    const char status2[4] = {0x04, 0x06, 0x00, 0x01};
    ASSERT_EQ(1, WriteTrailerChannelStatus(mp3.c_str(), status2, 4));
    b = ReadAll(mp3);
    ASSERT_EQ(audio.size() + area.size() + 24 + 8, b.size());
    EXPECT_EQ(area, Slice(b, audio.size(), area.size()));
    EXPECT_EQ(std::string(status2, 4), Field(mp3, FIELD_CHANNEL_STATUS, SOURCE_TRAILER));
    EXPECT_EQ(uint32_t(area.size() + 24), Le32At(b, b.size() - 8));
    EXPECT_EQ("Abc", Field(mp3, FIELD_TITLE, SOURCE_TRAILER));
    EXPECT_EQ(decoded, DecodeWithFfmpeg(mp3));

    // An empty value drops the status list and leaves a trailer of the title alone.
    ASSERT_EQ(1, WriteTrailerChannelStatus(mp3.c_str(), "", 0));
    b = ReadAll(mp3);
    EXPECT_EQ(audio.size() + area.size() + 8, b.size());
}

TEST(TrailerReader, WalksChunksPadsAndLists) {
    Bytes frame = {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0};
    Bytes disp = TrailerChunk("DISP", Text("Name\0", 5));
    Bytes artist = TrailerChunk("IART", Text("Art\0", 4));
    Bytes twoFields;  // one list holding an unknown sub-chunk, then the year
    AppendText(&twoFields, "LIST");
    AppendLe32(&twoFields, 4 + 10 + 13);
    AppendText(&twoFields, "INFOJUNK");
    AppendLe32(&twoFields, 2);
    AppendText(&twoFields, "zzISBJ");
    AppendLe32(&twoFields, 5);
    AppendBytes(&twoFields, "2024\0", 5);
    Bytes oddItem;  // another program's item of odd size, its pad byte, then the year
    AppendText(&oddItem, "LIST");
    AppendLe32(&oddItem, 4 + 12 + 13);
    AppendText(&oddItem, "INFOJUNK");
    AppendLe32(&oddItem, 3);
    AppendBytes(&oddItem, "zz\0\0ISBJ", 8);
    AppendLe32(&oddItem, 5);
    AppendBytes(&oddItem, "2024\0", 5);
    auto trailer = [&](std::vector<Bytes> parts) {
        Bytes area, b = frame;
        for (auto& p : parts) AppendBytes(&area, p.data(), p.size());
        AppendBytes(&b, area.data(), area.size());
        AppendLe32(&b, uint32_t(area.size()));
        AppendText(&b, "MEXT");
        return b;
    };
    struct Case {
        const char* name;
        Bytes file;
        int field, found;
        const char* value;
    };
    const Case cases[] = {
        {"title",                           trailer({artist, disp}),                           FIELD_TITLE,  1, "Name"},
        {"artist after the title",          trailer({disp, artist}),                           FIELD_ARTIST, 1, "Art" },
        {"stray pad bytes",                 trailer({Bytes(2, 0), disp, Bytes(1, 0), artist}), FIELD_ARTIST, 1, "Art" },
        {"unknown chunk outside a list",
         trailer({TrailerChunk("DISP", Text("x\0", 2)), Text("ABCD\0\0\0\0", 8), artist}),     FIELD_ARTIST, 0, ""    },
        {"unknown sub-chunk inside a list", trailer({twoFields}),                              FIELD_YEAR,   1, "2024"},
        {"after an odd item and its pad",   trailer({oddItem, Bytes(1, 0)}),                   FIELD_YEAR,   1, "2024"},
        {"footer reached",                  trailer({disp}),                                   FIELD_ALBUM,  0, ""    },
    };
    for (const Case& c : cases) {
        ByteReader r = MemoryReader(c.file.data(), c.file.size());
        char out[TITLE_FIELD_MAX_BYTES] = "";
        EXPECT_EQ(c.found, ReadFieldFrom(&r, c.field, SOURCE_TRAILER, out)) << c.name;
        if (c.found) {
            EXPECT_STREQ(c.value, out) << c.name;
        }
    }
    // A footer length reaching before the start of the file is no trailer.
    Bytes bad = frame;
    AppendLe32(&bad, 1000);
    AppendText(&bad, "MEXT");
    ByteReader r = MemoryReader(bad.data(), bad.size());
    uint64_t start, footer;
    EXPECT_EQ(0, LocateTrailer(&r, 0, &start, &footer));
}

TEST_F(TitlesTest, ChannelStatusDefaults) {
    std::string wav = Wave("w.wav");
    int found = -1;
    EXPECT_EQ(std::string("\x04\x06\x00\x00", 4), Field(wav, FIELD_CHANNEL_STATUS, SOURCE_TRAILER, &found));
    EXPECT_EQ(0, found);

    std::string mp3 = Mp3("m.mp3");
    const uint8_t reported[4] = {0x0C, 0x06, 0x00, 0x02};
    FakePlayerSetReportedStatus(reported);
    EXPECT_EQ(std::string("\x0C\x06\x00\x02", 4), Field(mp3, FIELD_CHANNEL_STATUS, SOURCE_TRAILER, &found));
    EXPECT_EQ(1, found);
    FakePlayerReset();

    // No status anywhere: the default follows the file's own copy bits, whatever was probed last.
    std::string copyOrig = dir.File("co.mp3"), copy = dir.File("c.mp3");
    ASSERT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet -c - '" + copyOrig + "'"));
    ASSERT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet -c -o - '" + copy + "'"));
    MediaInfo info{};
    struct Case {
        std::string probed;
        const char* status;
    };
    const Case cases[] = {
        {mp3,      "\x04\x06\x00\x00"},
        {copyOrig, "\x00\x96\x00\x00"},
        {copy,     "\x00\x16\x00\x00"}
    };
    for (const Case& c : cases) {
        ASSERT_EQ(1, GetMediaInfo(mp3.c_str(), &info));  // another file probed last
        EXPECT_EQ(std::string(c.status, 4), Field(c.probed, FIELD_CHANNEL_STATUS, SOURCE_TRAILER, &found)) << c.probed;
        EXPECT_EQ(0, found);
    }
}

}  // namespace
