// The Tag Editor page's decisions: when Apply is enabled, what a MIDI file or no file does to
// an edit, saving with its checks and the playlist's refresh, and leaving with unsaved edits.
#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include "base/message_box.h"
#include "media/id3v1.h"
#include "media/media_file_fault.h"
#include "media/tag_editor.h"
#include "media/titles.h"
#include "media_test_util.h"
#include "playback/mpeg_libraries.h"
#include "resources/resource.h"
#include "wave_bytes.h"

namespace {

std::string g_refreshed;
int NoteRefresh(const char* path) {
    g_refreshed = path;
    return 1;
}

class TagEditorTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string wav;
    void SetUp() override {
        LoadMpegLibraries();
        ResetMessages();
        ResetTagEditorPage();
        SetTagSavedHook(NoteRefresh);
        g_refreshed.clear();
        wav = dir.File("song.wav");
        WriteAll(wav, MakeWave(400));
        ASSERT_EQ(1, SetTitleField(wav.c_str(), FIELD_GENRE, "17", 0));
    }
    void TearDown() override {
        SetTagSavedHook(nullptr);
        FreeMpegLibraries();
    }
};

TEST_F(TagEditorTest, ApplyFollowsWhetherTheRecordDiffersFromTheFile) {
    TagPageLoad(wav.c_str());
    TagPage* p = TagEditorPage();
    ASSERT_EQ(MEDIA_WAVE, p->kind);
    EXPECT_EQ(17, p->record.genre);
    EXPECT_EQ(TAG_EDIT_COMPARED, TagPageEditBox(TAG_BOX_TITLE, "Rain"));
    EXPECT_EQ(1, p->changed);
    TagPageEditBox(TAG_BOX_TITLE, "");  // typed and deleted again
    EXPECT_EQ(0, p->changed);
    TagPageChooseGenre(GenrePositionOf(17));  // the stored genre
    EXPECT_EQ(0, p->changed);
    TagPageChooseGenre(GenrePositionOf(8));
    EXPECT_EQ(1, p->changed);
    TagPageChooseGenre(-1);
    EXPECT_EQ(1, p->changed);  // no genre differs from 17 too
    TagPageEditBox(TAG_BOX_YEAR, "1999");
    TagPageChooseGenre(GenrePositionOf(17));
    EXPECT_EQ(1, p->changed);  // the year still differs
}

// An MP3 with an ID3v1 title and a title trailer: the page asks once which title to use, and
// taking the trailer's marks the page changed, since the file's tag still holds the other.
TEST_F(TagEditorTest, TakingTheTrailersTitleMarksThePageChanged) {
    if (!Shell("command -v sox >/dev/null && command -v lame >/dev/null")) GTEST_SKIP() << "sox or lame missing";
    std::string mp3 = dir.File("t.mp3");
    ASSERT_TRUE(Shell("sox -V1 -n -r 44100 -c 2 -t wav - synth 1 sine 300 | lame --quiet -b 128 - '" + mp3 + "'"));
    ASSERT_EQ(1, SetTitleField(mp3.c_str(), FIELD_TITLE, "Tag title", 0));
    PutTrailerBeforeTag(mp3, "Trailer title");
    for (int answer : {MSGBOX_ANSWER_NO, MSGBOX_ANSWER_YES}) {
        SCOPED_TRACE(answer);
        ResetMessages();
        ResetTagEditorPage();
        QueueMessageAnswer(answer);
        TagPageLoad(mp3.c_str());
        EXPECT_EQ(1, RecordedMessageCount());
        TagPage* p = TagEditorPage();
        EXPECT_STREQ(answer == MSGBOX_ANSWER_NO ? "Trailer title" : "Tag title", p->record.title);
        EXPECT_EQ(answer == MSGBOX_ANSWER_NO ? 1 : 0, p->changed);
        EXPECT_STREQ("Tag title", p->saved.title) << "the saved copy is what the file's tag holds";
    }
}

TEST_F(TagEditorTest, MidiAndMissingFilesTakeNoEdits) {
    std::string mid = dir.File("tune.mid");
    WriteAll(mid, MakeMidi(96, {
                                   Bytes{0x00, 0x90, 0x40, 0x40, 0x60, 0x80, 0x40, 0x00}
    }));
    TagPageLoad(mid.c_str());
    EXPECT_EQ(MEDIA_MIDI, TagEditorPage()->kind);
    EXPECT_EQ(TAG_EDIT_MIDI, TagPageEditBox(TAG_BOX_TITLE, "x"));
    EXPECT_EQ(TAG_EDIT_MIDI, TagPageChooseGenre(3));
    EXPECT_EQ(0, TagEditorPage()->changed);

    TagPageLoad(dir.File("gone.wav").c_str());
    EXPECT_STREQ("", TagEditorPage()->path);
    EXPECT_EQ(TAG_KIND_NONE, TagEditorPage()->kind);
    EXPECT_EQ(TAG_EDIT_EMPTY_BOX, TagPageEditBox(TAG_BOX_ARTIST, "x"));
}

TEST_F(TagEditorTest, SavingWritesEveryFieldAndRefreshesThePlaylist) {
    TagPageLoad(wav.c_str());
    TagPageEditBox(TAG_BOX_TITLE, "Rain");
    TagPageEditBox(TAG_BOX_ARTIST, "Ana");
    TagPageChooseGenre(GenrePositionOf(8));
    ASSERT_EQ(1, TagPageSave());
    EXPECT_EQ(0, TagEditorPage()->changed);
    EXPECT_EQ(wav, g_refreshed);
    char text[TITLE_BYTES];
    GetTitleField(wav.c_str(), FIELD_TITLE, text, SOURCE_ID3_FIRST);
    EXPECT_STREQ("Rain", text);
    GetTitleField(wav.c_str(), FIELD_ARTIST, text, SOURCE_ID3_FIRST);
    EXPECT_STREQ("Ana", text);
    GetTitleField(wav.c_str(), FIELD_GENRE, text, SOURCE_ID3_FIRST);
    EXPECT_STREQ("8", text);

    // The file went away: the save stops with "not found." and the page stays changed.
    TagPageEditBox(TAG_BOX_TITLE, "Snow");
    std::filesystem::remove(wav);
    g_refreshed.clear();
    EXPECT_EQ(0, TagPageSave());
    ASSERT_EQ(1, RecordedMessageCount());
    EXPECT_EQ(STR_NOT_FOUND, RecordedMessageAt(0)->stringId);
    EXPECT_EQ(1, TagEditorPage()->changed);
    EXPECT_EQ("", g_refreshed);
}

// The player's track is held around the writes: a busy player stops the save silently, and a
// hold is always let go, after every write, whether the save succeeded or not.
struct HoldLog {
    int answer = 1, holds = 0, releases = 0;
    std::string titleAtRelease;
    std::string path;
} g_hold;
int NoteHold() {
    g_hold.holds++;
    return g_hold.answer;
}
void NoteRelease() {
    g_hold.releases++;
    char text[TITLE_BYTES] = "";
    GetTitleField(g_hold.path.c_str(), FIELD_TITLE, text, SOURCE_ID3_FIRST);
    g_hold.titleAtRelease = text;
}

TEST_F(TagEditorTest, ASaveHoldsThePlayersTrackAroundItsWrites) {
    g_hold = HoldLog{};
    g_hold.path = wav;
    SetTagWriteHooks(NoteHold, NoteRelease);
    TagPageLoad(wav.c_str());
    TagPageEditBox(TAG_BOX_TITLE, "Rain");
    Bytes before = ReadAll(wav);

    g_hold.answer = 0;  // playing
    EXPECT_EQ(0, TagPageSave());
    EXPECT_EQ(0, RecordedMessageCount());
    EXPECT_EQ(before, ReadAll(wav));
    EXPECT_EQ(1, TagEditorPage()->changed);
    EXPECT_EQ(0, g_hold.releases);

    // The writability check passes, the write itself fails (as on a full disk).
    g_hold.answer = 1;
    SetMediaFileFault(MEDIA_FAULT_FAIL, 1);
    EXPECT_EQ(0, TagPageSave());
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    ASSERT_EQ(1, RecordedMessageCount());
    EXPECT_EQ(STR_COULD_NOT_WRITE, RecordedMessageAt(0)->stringId);
    EXPECT_EQ(1, TagEditorPage()->changed);
    EXPECT_EQ(before, ReadAll(wav));
    EXPECT_EQ(1, g_hold.releases);

    EXPECT_EQ(1, TagPageSave());
    EXPECT_EQ(3, g_hold.holds);
    EXPECT_EQ(2, g_hold.releases);
    EXPECT_EQ("Rain", g_hold.titleAtRelease);
    SetTagWriteHooks(nullptr, nullptr);
}

TEST_F(TagEditorTest, LeavingWithUnsavedEditsAsksFirst) {
    TagPageLoad(wav.c_str());
    EXPECT_EQ(1, TagPageLeave());  // nothing changed: no question
    EXPECT_EQ(0, RecordedMessageCount());
    TagPageEditBox(TAG_BOX_COMMENT, "live");
    QueueMessageAnswer(MSGBOX_ANSWER_CANCEL);
    EXPECT_EQ(0, TagPageLeave());
    EXPECT_EQ(3, TagEditorPage()->lastAnswer);
    QueueMessageAnswer(MSGBOX_ANSWER_NO);
    EXPECT_EQ(1, TagPageLeave());
    char text[COMMENT_BYTES];
    GetTitleField(wav.c_str(), FIELD_COMMENT, text, SOURCE_ID3_FIRST);
    EXPECT_STREQ("", text);
    // Yes to a save that fails keeps the page, edits and all; Yes to one that works leaves.
    QueueMessageAnswer(MSGBOX_ANSWER_YES);
    SetMediaFileFault(MEDIA_FAULT_FAIL, 1);
    EXPECT_EQ(0, TagPageLeave());
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    EXPECT_EQ(1, TagEditorPage()->changed);
    QueueMessageAnswer(MSGBOX_ANSWER_YES);
    EXPECT_EQ(1, TagPageLeave());
    GetTitleField(wav.c_str(), FIELD_COMMENT, text, SOURCE_ID3_FIRST);
    EXPECT_STREQ("live", text);
    EXPECT_EQ(STR_UPDATE_SETTINGS, RecordedMessageAt(0)->stringId);
}

}  // namespace
