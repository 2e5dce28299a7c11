// The playlist model with the real media probe: probing and the totals, what is taken and what
// is reported, the 999-entry limit, moves, the history, the save prompt, and a long random run
// with the invariants checked after every change.
#include <random>

#include "base/shell_handles.h"
#include "media/media_file_fault.h"
#include "playlist/playlist_window.h"

#include "playlist_test_util.h"

namespace {

class PlaylistModel : public ::testing::Test {
protected:
    void SetUp() override { ResetPlaylistWorld(); }
    Scratch dir;

    static void Drop(const std::vector<std::string>& paths) {  // as the shell hands them over
        MarkBeforeDrop();
        for (const std::string& p : paths) AddPath(p.c_str());
        FinishAdd((int)paths.size(), OWNER_MAIN_WINDOW);
    }
    static void Choose(const std::string& folder, const std::vector<std::string>& names) {  // multi-selection
        std::string buf = folder + '\0';
        for (const std::string& n : names) buf += n + '\0';
        QueueSelectFileResult(buf.data(), (uint32_t)buf.size() + 1);
    }
    std::string NamedList() {  // a list opened from Party.spl, then changed
        std::string list = dir.File("Party.spl");
        WriteText(list, "\"" + dir.File("a.wav") + "\"\n");
        Drop({list});
        EXPECT_TRUE(PlaylistIsNamed() && !PlaylistIsDirty());
        AddPath(dir.File("b.wav").c_str());
        return list;
    }
};

TEST_F(PlaylistModel, ProbingFillsTitlesLengthsAndTotals) {
    WriteText(dir.File("junk.mp3"), "not sound at all");
    Drop({WriteWave(dir.File("1.wav"), 60000), WriteWave(dir.File("2.WAV"), 60000), dir.File("junk.mp3"),
          WriteWave(dir.File("3.wav"), 60000), dir.File("gone.mid")});
    const char* titles[] = {"No Title", "No Title", "Illegal File", "No Title", "File Not Found"};
    for (int n = 1; n <= 5; ++n) {
        PlaylistEntry e;
        ASSERT_EQ(ProbeEntry(n), 1);
        ASSERT_EQ(GetEntry(n, &e), 1);
        EXPECT_STREQ(e.title, titles[n - 1]) << n;
    }
    EXPECT_EQ(ProbeEntry(6), 0);
    ProbeEntry(1);  // once only
    EXPECT_EQ(GetTotalMs(), 180000u);
    EXPECT_EQ(GetTotalWithGapsMs(), 188000u);  // 4 s before every probed entry but the first
    Settings().playSpace = 0;
    ProbeTick(Stopped);
    EXPECT_EQ(GetShownTotalMs(), 180000u);
    Settings().playSpace = 1;  // the window's total follows the gap setting at the next tick
    ProbeTick(Stopped);
    EXPECT_EQ(GetShownTotalMs(), 188000u);

    ASSERT_EQ(DeleteEntry(2), 1);
    EXPECT_EQ(GetTotalMs(), 120000u);
    EXPECT_EQ(GetShownTotalMs(), 124000u);
    ExpectListInvariants("deleted");
}

TEST_F(PlaylistModel, UnsupportedFilesAreRefusedAndReported) {
    Drop({dir.File("a.MP3"), dir.File("b.Mpa"), dir.File("c.mp2")});  // any letter case, any ".mp?"
    EXPECT_EQ(GetEntryCount(), 3);
    EXPECT_TRUE(ShownMessages().empty());

    std::string ogg = dir.File("song.ogg");
    Drop({ogg});  // alone: its path, a blank and "This file cannot be played"
    ASSERT_EQ(ShownMessages(), std::vector<int>{40});
    EXPECT_EQ(RecordedMessageAt(0)->join, JOIN_SPACE);
    EXPECT_EQ(RecordedMessageAt(0)->fileName, ogg);

    ResetMessages();
    Drop({dir.File("d.wav"), ogg});  // among several: the general message
    EXPECT_EQ(ShownMessages(), std::vector<int>{67});
    EXPECT_EQ(GetEntryCount(), 4);
    EXPECT_EQ(AddPath(dir.File("NoName.$$$").c_str()), 0);  // only while the unnamed list is restored
}

TEST_F(PlaylistModel, AFullListRefusesTheRestAndSaysSoOnce) {
    for (int i = 0; i < 998; ++i) AddPath(dir.File("t" + std::to_string(i) + ".wav").c_str());
    FinishAdd(998, OWNER_MAIN_WINDOW);
    Drop({dir.File("x.wav"), dir.File("y.wav")});
    EXPECT_EQ(GetEntryCount(), 999);
    EXPECT_EQ(EntryPaths().back(), dir.File("x.wav"));
    EXPECT_EQ(ShownMessages(), std::vector<int>{60});

    // 1,000 chosen for an empty list: 999 added, the 1,000th never tried, no message.
    ResetPlaylistWorld();
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) names.push_back("f" + std::to_string(i) + ".wav");
    Choose(dir.path + "/", names);
    ASSERT_EQ(SelectFiles(nullptr), 1);
    EXPECT_EQ(GetEntryCount(), 999);
    EXPECT_TRUE(ShownMessages().empty());

    // A chosen path too long for an entry: the message, and the file is not taken.
    Choose(dir.path + "/", {"ok.wav", std::string(250, 'n') + ".wav"});
    ASSERT_EQ(SelectFiles(nullptr), 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{dir.File("ok.wav")});
    EXPECT_EQ(ShownMessages(), std::vector<int>{54});
}

TEST_F(PlaylistModel, MovesSwapNeighboursAndRotateAtTheEnds) {
    std::vector<std::string> p;
    for (int i = 1; i <= 4; ++i) p.push_back(WriteWave(dir.File(std::to_string(i) + ".wav"), 1000 * i));
    Drop(p);
    ProbeEntry(3);
    ASSERT_EQ(MoveEntry(1, MOVE_UP), 1);  // the first goes to the end
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{p[1], p[2], p[3], p[0]}));
    ASSERT_EQ(MoveEntry(4, MOVE_DOWN), 1);  // and the last back to the top
    EXPECT_EQ(EntryPaths(), p);
    ASSERT_EQ(MoveEntry(2, MOVE_DOWN), 1);
    ASSERT_EQ(MoveEntry(3, MOVE_UP), 1);
    EXPECT_EQ(EntryPaths(), p);
    EXPECT_EQ(MoveEntry(5, MOVE_UP) + MoveEntry(0, MOVE_DOWN), 0);
    for (int n = 1; n <= 4; ++n) {  // lengths travel with their entries
        PlaylistEntry e;
        GetEntry(n, &e);
        EXPECT_EQ(e.durationMs, 1000u * n) << n;
    }
    ExpectListInvariants("moved");
}

TEST_F(PlaylistModel, HistoryKeepsTenMostRecentFirstInTheNewLetterCase) {
    for (int i = 1; i <= 11; ++i) PushHistory(("C:\\Lists\\L" + std::to_string(i) + ".spl").c_str());
    char h[PLAYLIST_PATH_BYTES];
    ASSERT_EQ(GetHistoryCount(), 10);
    GetHistoryPath(10, h);
    EXPECT_STREQ(h, "C:\\Lists\\L2.spl");  // L1, the oldest, is gone
    PushHistory("c:\\lists\\l5.SPL");
    EXPECT_EQ(GetHistoryCount(), 10);
    GetHistoryPath(1, h);
    EXPECT_STREQ(h, "c:\\lists\\l5.SPL");
    GetHistoryPath(2, h);
    EXPECT_STREQ(h, "C:\\Lists\\L11.spl");
}

TEST_F(PlaylistModel, AChangedNamedListIsOnlyGivenUpWhenTheUserSaysSo) {
    std::string list = NamedList();
    QueueMessageAnswer(MSGBOX_ANSWER_CANCEL);
    EXPECT_EQ(ClearPlaylist(), 0);
    EXPECT_EQ(GetEntryCount(), 2);
    EXPECT_EQ(ShownMessages(), std::vector<int>{42});
    EXPECT_STREQ(RecordedMessageAt(0)->fileName, "Party");
    EXPECT_EQ(PlaylistProbeHeld(), 0);  // probing goes on after the box

    // Yes, but the file cannot be written: the deck stays open and the file as it was.
    std::string before = ReadText(list);
    QueueMessageAnswer(MSGBOX_ANSWER_YES);
    QueueSaveDialogResult(list.c_str());
    SetMediaFileFault(MEDIA_FAULT_SHORT, 2);  // the write stops half way
    EXPECT_EQ(PlaylistMayClose(), 0);
    EXPECT_EQ(ReadText(list), before);

    // Yes: the dialog proposes the list's own file without asking before replacing it.
    QueueMessageAnswer(MSGBOX_ANSWER_YES);
    QueueSaveDialogResult(list.c_str());
    EXPECT_EQ(ClearPlaylist(), 1);
    EXPECT_EQ(SaveDialogProposedName(), list);
    EXPECT_EQ(SaveDialogAskedOverwrite(), 0);
    EXPECT_NE(ReadText(list).find(dir.File("b.wav")), std::string::npos);
    EXPECT_EQ(GetEntryCount(), 0);
}

// The list window's Save names the list after the file written and leaves nothing to save: a
// Clear right after asks nothing. A save that fails leaves the list changed, so Clear asks.
TEST_F(PlaylistModel, ASavedListHasNothingLeftToSave) {
    NamedList();
    std::string other = dir.File("Other.spl");
    QueueSaveDialogResult(other.c_str());
    SetMediaFileFault(MEDIA_FAULT_SHORT, 1);
    EXPECT_EQ(SavePlaylist(), 0);
    EXPECT_TRUE(PlaylistIsDirty());

    QueueSaveDialogResult(other.c_str());
    ASSERT_EQ(SavePlaylist(), 1);
    EXPECT_FALSE(PlaylistIsDirty());
    char first[PLAYLIST_PATH_BYTES];
    ASSERT_EQ(GetHistoryPath(1, first), 1);
    EXPECT_EQ(std::string(first), other);
    ResetMessages();
    EXPECT_EQ(ClearPlaylist(), 1);
    EXPECT_TRUE(ShownMessages().empty());
}

// The question belongs to the playlist window, and the list holds still under it: a Clear or a
// Delete clicked while "save?" is up does nothing, so Yes saves the list the question was about.
TEST_F(PlaylistModel, AnOpenQuestionIsOwnedByTheListWindowAndHoldsTheList) {
    std::string list = NamedList();
    SetPlaylistWindowOpenForTest(1);
    static int nested[3];
    SetMessageLoopHook([] {
        nested[0] = ClearPlaylist();
        nested[1] = DeleteEntry(1);
        nested[2] = SavePlaylist();
    });
    QueueMessageAnswer(MSGBOX_ANSWER_YES);
    QueueSaveDialogResult(list.c_str());
    EXPECT_EQ(ClearPlaylist(), 1);
    SetMessageLoopHook(nullptr);
    EXPECT_EQ(nested[0], 0);
    EXPECT_EQ(nested[1], 0);
    EXPECT_EQ(nested[2], 0);
    ASSERT_EQ(RecordedMessageCount(), 1);
    EXPECT_NE(RecordedMessageAt(0)->owner, nullptr);
    EXPECT_EQ(RecordedMessageAt(0)->owner, ListWindowHandle());
    EXPECT_NE(ReadText(list).find(dir.File("b.wav")), std::string::npos);
    EXPECT_EQ(MessageOwner(), nullptr) << "later boxes speak for the main window again";

    // Answered, the list works again; with the window closed the main window owns the box.
    SetPlaylistWindowOpenForTest(0);
    AddPath(dir.File("c.wav").c_str());
    EXPECT_EQ(DeleteEntry(1), 1);
    Drop({dir.File("missing.xyz")});
    ASSERT_GE(RecordedMessageCount(), 2);
    EXPECT_EQ(RecordedMessageAt(RecordedMessageCount() - 1)->owner, nullptr);
}

TEST_F(PlaylistModel, SelectFilesReplacesTheListOnlyWithSomethingPlayable) {
    Drop({dir.File("old.wav")});
    Choose(dir.path, {"a.txt", "b.doc"});
    ASSERT_EQ(SelectFiles(nullptr), 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{dir.File("old.wav")});
    EXPECT_EQ(ShownMessages(), std::vector<int>{67});

    std::string single = dir.File("new.mp3") + '\0' + '\0';
    QueueSelectFileResult(single.data(), (uint32_t)single.size());
    ASSERT_EQ(SelectFiles(nullptr), 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{dir.File("new.mp3")});
    EXPECT_EQ(SelectFiles(nullptr), 0);  // cancelled
}

TEST_F(PlaylistModel, RandomEditsAndTicksKeepTheListConsistent) {
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i) {
        files.push_back(dir.File("r" + std::to_string(i) + (i % 4 == 3 ? ".mid" : ".wav")));
        if (i % 5 != 4) WriteWave(files.back(), 500 + 250 * i);  // some missing, the ".mid" ones not MIDI
    }
    std::mt19937 rng(12);
    for (int step = 0; step < 3000 && !HasFailure(); ++step) {
        int count = GetEntryCount(), n = count ? (int)(rng() % (unsigned)count) + 1 : 1;
        switch (rng() % 8) {
        case 0:
        case 1: Drop({files[rng() % files.size()]}); break;
        case 2: DeleteEntry(n); break;
        case 3: MoveEntry(n, MOVE_UP); break;
        case 4: MoveEntry(n, MOVE_DOWN); break;
        case 5: ProbeEntry(n); break;
        case 6:
            AdvanceFakeTickCount(100);
            Settings().playSpace = rng() % 3;
            ProbeTick(rng() % 2 ? Playing : Stopped);
            break;
        case 7:
            if (rng() % 20 == 0) ClearPlaylistWithoutPrompt();
            break;
        }
        ExpectListInvariants("step " + std::to_string(step));
    }
}

}  // namespace
