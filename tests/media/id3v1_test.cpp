// ID3v1 tags on lame files, checked against ffprobe's own reader, and loading the tag record
// with its questions.
#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include "base/message_box.h"
#include "fake_player.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "media_test_util.h"

namespace {

class Id3Test : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string mp3;
    Bytes audio;
    void SetUp() override {
        FakePlayerReset();
        ResetMediaProbe();
        ResetMessages();
        mp3 = dir.File("song.mp3");
        ASSERT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet - '" + mp3 + "'"));
        audio = ReadAll(mp3);
    }
    std::string Id3(int field) {
        char text[ID3_TEXT_BYTES + 1];
        EXPECT_EQ(1, ReadId3Field(mp3.c_str(), field, text));
        return text;
    }
    std::string Probe(const char* tag) {
        std::string out = Capture(std::string("ffprobe -v error -show_entries format_tags=") + tag +
                                  " -of default=nw=1:nk=1 '" + mp3 + "'");
        while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
        return out;
    }
};

TEST_F(Id3Test, FirstWriteAppendsABlankPaddedTag) {
    char text[ID3_TEXT_BYTES + 1];
    EXPECT_EQ(0, ReadId3Field(mp3.c_str(), FIELD_ARTIST, text));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_ARTIST, "The Players"));
    Bytes b = ReadAll(mp3);
    ASSERT_EQ(audio.size() + 128, b.size());
    Bytes tag(b.end() - 128, b.end());
    Bytes expect(128, ' ');
    std::memcpy(expect.data(), "TAG", 3);
    std::memcpy(expect.data() + 33, "The Players", 11);
    expect[127] = 255;
    EXPECT_EQ(expect, tag);
    EXPECT_EQ("The Players", Id3(FIELD_ARTIST));
    EXPECT_EQ("255", Id3(FIELD_GENRE));
    EXPECT_EQ("The Players", Probe("artist"));

    // Every field lands where an independent reader looks for it.
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_TITLE, "A title that is far too long for the tag"));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_ALBUM, "Album"));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_YEAR, "19999"));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_COMMENT, "Note"));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_GENRE, "17"));
    EXPECT_EQ(audio.size() + 128, ReadAll(mp3).size());
    EXPECT_EQ("A title that is far too long f", Id3(FIELD_TITLE));
    EXPECT_EQ("A title that is far too long f", Probe("title"));
    EXPECT_EQ("Album", Probe("album"));
    EXPECT_EQ("1999", Probe("date"));
    EXPECT_EQ("Note", Probe("comment"));
    EXPECT_EQ("Rock", Probe("genre"));
    EXPECT_EQ("1999", Id3(FIELD_YEAR));
    EXPECT_EQ("17", Id3(FIELD_GENRE));

    // Title fields of an MPEG file read the tag first.
    char buf[TITLE_FIELD_MAX_BYTES];
    EXPECT_EQ(1, GetTitleField(mp3.c_str(), FIELD_GENRE, buf, SOURCE_ID3_FIRST));
    EXPECT_STREQ("17", buf);
    EXPECT_EQ(1, SetTitleField(mp3.c_str(), FIELD_ALBUM, "Other", 0));
    EXPECT_EQ("Other", Probe("album"));
}

TEST_F(Id3Test, EmptyValuesAndGenreNone) {
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_TITLE, "Keep"));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_COMMENT, "Gone soon"));
    Bytes before = ReadAll(mp3);
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_COMMENT, ""));
    Bytes after = ReadAll(mp3);
    EXPECT_EQ(Bytes(30, ' '), Bytes(after.end() - 31, after.end() - 1));
    EXPECT_EQ(Bytes(before.begin(), before.end() - 31), Bytes(after.begin(), after.end() - 31));
    EXPECT_EQ("Keep", Id3(FIELD_TITLE));
    char buf[TITLE_FIELD_MAX_BYTES];
    EXPECT_EQ(0, GetTitleField(mp3.c_str(), FIELD_COMMENT, buf, SOURCE_ID3_FIRST));  // empty: absent

    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_GENRE, "-1"));
    EXPECT_EQ(255, ReadAll(mp3).back());
    EXPECT_EQ("255", Id3(FIELD_GENRE));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_GENRE, "200"));
    EXPECT_EQ("200", Id3(FIELD_GENRE));
    EXPECT_EQ(-1, GenrePositionOf(200));
    EXPECT_EQ(-1, GenrePositionOf(255));
}

TEST_F(Id3Test, ZeroPaddedTagsOfOtherPrograms) {
    Bytes b = audio;
    Bytes tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(tag.data() + 3, "Zero padded", 11);
    std::memcpy(tag.data() + 33, "Art  ", 5);  // blanks before zeros stay
    std::memcpy(tag.data() + 63, "Album name that fills all 30ch", 30);
    tag[127] = 8;
    AppendBytes(&b, tag.data(), tag.size());
    WriteAll(mp3, b);
    EXPECT_EQ("Zero padded", Id3(FIELD_TITLE));
    EXPECT_EQ("Art  ", Id3(FIELD_ARTIST));
    EXPECT_EQ("Album name that fills all 30ch", Id3(FIELD_ALBUM));
    EXPECT_EQ("", Id3(FIELD_YEAR));
    EXPECT_EQ("8", Id3(FIELD_GENRE));
    char text[ID3_TEXT_BYTES + 1];
    EXPECT_EQ(0, ReadId3Field(dir.File("none.mp3").c_str(), FIELD_TITLE, text));
    WriteAll(dir.File("short.mp3"), Bytes(100, 'T'));
    EXPECT_EQ(0, ReadId3Field(dir.File("short.mp3").c_str(), FIELD_TITLE, text));
    ASSERT_EQ(1, WriteId3Field(dir.File("short.mp3").c_str(), FIELD_TITLE, "x"));
    EXPECT_EQ(228u, ReadAll(dir.File("short.mp3")).size());
}

TEST_F(Id3Test, GenreTable) {
    ASSERT_EQ(148, GenreNameCount());
    std::set<int> numbers;
    for (int i = 0; i < GenreNameCount(); i++) {
        numbers.insert(GenreNumberAt(i));
        EXPECT_EQ(i, GenrePositionOf(GenreNumberAt(i)));
    }
    EXPECT_EQ(148u, numbers.size());  // 0..147, each once
    EXPECT_EQ(147, *numbers.rbegin());
    EXPECT_STREQ("Symhpnic Rock", GenreNameAt(GenrePositionOf(94)));
    EXPECT_EQ(nullptr, GenreNameAt(148));
}

// A trailer holding a title, before the ID3v1 tag.
void AddTrailerTitle(const std::string& path, const std::string& title) {
    Bytes b = ReadAll(path);
    uint32_t n = uint32_t(title.size() + 1);
    Bytes area;
    AppendText(&area, "DISP");
    AppendLe32(&area, n + 4);
    AppendLe32(&area, 1);
    AppendBytes(&area, title.c_str(), n);
    if (n & 1) area.push_back(0);
    AppendBytes(&b, area.data(), area.size());
    AppendLe32(&b, uint32_t(area.size()));
    AppendText(&b, "MEXT");
    WriteAll(path, b);
}

TEST_F(Id3Test, LoadTagRecordReportsBothTitlesAndShowsNothing) {
    std::string trailerTitle(40, 'K');
    AddTrailerTitle(mp3, trailerTitle);
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_TITLE, "Tag Title"));
    ASSERT_EQ(1, WriteId3Field(mp3.c_str(), FIELD_ARTIST, "Tag Artist"));

    TagLoad load;
    ASSERT_EQ(1, LoadTagRecord(mp3.c_str(), &load));
    EXPECT_STREQ("Tag Title", load.record.title);
    EXPECT_STREQ("Tag Artist", load.record.artist);
    EXPECT_EQ(255, load.record.genre);
    EXPECT_EQ(1, load.hasTrailerTitle);
    EXPECT_EQ(0, load.titleWasCut);
    char choice[TITLE_CHOICE_BYTES];
    FormatTitleChoice(&load, choice);
    EXPECT_EQ(std::string("\nYes Tag Title\nNo  ") + trailerTitle, choice);
    EXPECT_EQ(0, RecordedMessageCount());

    // The user picks the trailer's title; saving it writes the title cut to the tag's width.
    UseTrailerTitle(&load);
    EXPECT_EQ(trailerTitle, load.record.title);
    ASSERT_EQ(1, SetTitleField(mp3.c_str(), FIELD_TITLE, load.record.title, 0));
    EXPECT_EQ(std::string(30, 'K'), Probe("title"));
}

TEST_F(Id3Test, LoadTagRecordCutsLongTitles) {
    std::string wav = dir.File("w.wav");
    ASSERT_TRUE(Shell("sox -n -r 8000 -c 1 '" + wav + "' synth 0.5 sine 440"));
    TagLoad load;
    ASSERT_EQ(1, LoadTagRecord(wav.c_str(), &load));
    EXPECT_STREQ("", load.record.title);  // no title: empty, not the file name
    EXPECT_EQ(-1, load.record.genre);
    EXPECT_EQ(0, load.titleWasCut);
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_TITLE, "0123456789012345678901234567890123456789", 0));
    ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_GENRE, "31", 0));
    ASSERT_EQ(1, LoadTagRecord(wav.c_str(), &load));
    EXPECT_STREQ("012345678901234567890123456789", load.record.title);
    EXPECT_EQ(31, load.record.genre);
    EXPECT_EQ(1, load.titleWasCut);
    EXPECT_EQ(0, load.hasTrailerTitle);
    EXPECT_EQ(0, RecordedMessageCount());
    EXPECT_EQ(0, LoadTagRecord(dir.File("missing.mp3").c_str(), &load));
}

}  // namespace
