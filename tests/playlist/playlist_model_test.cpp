// The playlist model with the real media probe: adding and refusing files with their messages,
// the 999-entry limit, probing and the totals, moves and rotations, the history, the save
// prompt, and a long random run with the invariants checked after every change.
#include <random>

#include "playlist_test_util.h"

namespace {

class PlaylistModel : public ::testing::Test {
protected:
    void SetUp() override { ResetPlaylistWorld(); }
    Scratch dir;

    // A drop of several paths on the main window, as the shell hands them over.
    void Drop(const std::vector<std::string>& paths) {
        MarkBeforeDrop();
        for (const std::string& p : paths) AddPath(p.c_str());
        FinishAdd((int)paths.size(), OWNER_MAIN_WINDOW);
    }
    // A multi-selection of the "Select File" dialog: folder, names, final zero.
    static void QueueSelection(const std::string& folder, const std::vector<std::string>& names) {
        std::string buf = folder + '\0';
        for (const std::string& n : names) buf += n + '\0';
        buf += '\0';
        QueueSelectFileResult(buf.data(), (uint32_t)buf.size());
    }
};

TEST_F(PlaylistModel, ProbingFillsLengthsTitlesAndTheTotal) {
    std::string a = WriteWave(dir.File("a.wav"), 2000), b = WriteWave(dir.File("b.WAV"), 3000);
    WriteText(dir.File("junk.mp3"), "not sound at all");
    Drop({a, b, dir.File("junk.mp3"), dir.File("gone.mid")});
    ASSERT_EQ(GetEntryCount(), 4);
    ExpectListInvariants("added");

    const char* titles[] = {"No Title", "No Title", "Illegal File", "File Not Found"};
    const uint32_t lengths[] = {2000, 3000, 0, 0};
    for (int n = 1; n <= 4; ++n) {
        ASSERT_EQ(ProbeEntry(n), 1);
        PlaylistEntry e;
        ASSERT_EQ(GetEntry(n, &e), 1);
        EXPECT_STREQ(e.title, titles[n - 1]) << n;
        EXPECT_EQ(e.durationMs, lengths[n - 1]) << n;
        EXPECT_EQ(e.probeState, lengths[n - 1] ? (uint32_t)Probed : (uint32_t)Failed) << n;
    }
    EXPECT_EQ(ProbeEntry(5), 0);
    ProbeEntry(1);  // probed once only
    EXPECT_EQ(GetTotalMs(), 5000u);
    ExpectListInvariants("probed");
}

TEST_F(PlaylistModel, TotalsWithAndWithoutTheGap) {
    Drop({WriteWave(dir.File("1.wav"), 60000), WriteWave(dir.File("2.wav"), 60000),
          WriteWave(dir.File("3.wav"), 60000)});
    for (int n = 1; n <= 3; ++n) ProbeEntry(n);
    EXPECT_EQ(GetTotalMs(), 180000u);
    EXPECT_EQ(GetTotalWithGapsMs(), 188000u);

    Settings().playSpace = 0;
    ProbeTick(Stopped);
    EXPECT_EQ(GetShownTotalMs(), 180000u);
    Settings().playSpace = 1;  // MD gap on: the window's total follows at the next tick
    ProbeTick(Stopped);
    EXPECT_EQ(GetShownTotalMs(), 188000u);

    ASSERT_EQ(DeleteEntry(2), 1);
    EXPECT_EQ(GetTotalMs(), 120000u);
    EXPECT_EQ(GetTotalWithGapsMs(), 124000u);
    EXPECT_EQ(GetShownTotalMs(), 124000u);
    ExpectListInvariants("deleted");
    ClearPlaylistWithoutPrompt();
    EXPECT_EQ(GetTotalMs(), 0u);
    EXPECT_EQ(GetShownTotalMs(), 0u);
}

TEST_F(PlaylistModel, ExtensionsDecideWhatIsTakenAndWhatIsReported) {
    // Letter case does not matter; every ".mp?" kind is a sound file.
    Drop({dir.File("a.MP3"), dir.File("b.Mpa"), dir.File("c.mp2")});
    EXPECT_EQ(GetEntryCount(), 3);
    EXPECT_TRUE(ShownMessages().empty());

    // One unsupported file alone: its path, a blank and the "cannot be played" text.
    std::string ogg = dir.File("song.ogg");
    Drop({ogg});
    EXPECT_EQ(GetEntryCount(), 3);
    ASSERT_EQ(RecordedMessageCount(), 1);
    EXPECT_EQ(RecordedMessageAt(0)->stringId, 40);
    EXPECT_EQ(RecordedMessageAt(0)->join, JOIN_SPACE);
    EXPECT_EQ(std::string(RecordedMessageAt(0)->fileName), ogg);

    // Among several, the general message; the supported one is still added.
    ResetMessages();
    Drop({dir.File("d.wav"), ogg});
    EXPECT_EQ(GetEntryCount(), 4);
    EXPECT_EQ(ShownMessages(), std::vector<int>{67});

    // The temporary list file is never taken as a list outside the restore.
    EXPECT_EQ(AddPath(dir.File("NoName.$$$").c_str()), 0);
    ExpectListInvariants("extensions");
}

TEST_F(PlaylistModel, AFullListRefusesTheRestAndSaysSoOnce) {
    for (int i = 0; i < 998; ++i) AddPath(dir.File("t" + std::to_string(i) + ".wav").c_str());
    FinishAdd(998, OWNER_MAIN_WINDOW);
    ResetMessages();
    Drop({dir.File("x.wav"), dir.File("y.wav")});
    EXPECT_EQ(GetEntryCount(), 999);
    EXPECT_EQ(EntryPaths().back(), dir.File("x.wav"));
    EXPECT_EQ(ShownMessages(), std::vector<int>{60});
    ExpectListInvariants("full");

    // Choosing 1,000 files for an empty list: 999 are added and the 1,000th is never tried.
    ResetPlaylistWorld();
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) names.push_back("f" + std::to_string(i) + ".wav");
    QueueSelection(dir.path + "/", names);
    ASSERT_EQ(SelectFiles(nullptr), 1);
    EXPECT_EQ(GetEntryCount(), 999);
    EXPECT_TRUE(ShownMessages().empty());
}

TEST_F(PlaylistModel, ADialogPathTooLongForAnEntryIsReportedAndRefused) {
    std::string longName(250, 'n');
    QueueSelection(dir.path + "/", {"ok.wav", longName + ".wav"});
    ASSERT_EQ(SelectFiles(nullptr), 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{dir.File("ok.wav")});
    EXPECT_EQ(ShownMessages(), std::vector<int>{54});
    EXPECT_EQ(std::string(Settings().selectDir), dir.path + "/");  // the next dialog opens here
}

TEST_F(PlaylistModel, MovesSwapNeighboursAndRotateAtTheEnds) {
    std::vector<std::string> p;
    for (int i = 1; i <= 4; ++i) p.push_back(WriteWave(dir.File(std::to_string(i) + ".wav"), 1000 * i));
    Drop(p);
    ProbeEntry(3);

    ASSERT_EQ(MoveEntryUp(1), 1);  // the first goes to the end
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{p[1], p[2], p[3], p[0]}));
    ASSERT_EQ(MoveEntryDown(4), 1);  // the last comes back to the top
    EXPECT_EQ(EntryPaths(), p);
    ASSERT_EQ(MoveEntryDown(2), 1);
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{p[0], p[2], p[1], p[3]}));
    ASSERT_EQ(MoveEntryUp(3), 1);
    EXPECT_EQ(EntryPaths(), p);
    EXPECT_EQ(MoveEntryUp(5), 0);
    EXPECT_EQ(MoveEntryDown(0), 0);

    // The length travels with its entry, and the entries concerned were probed on the way.
    PlaylistEntry e;
    for (int n = 1; n <= 4; ++n) {
        ASSERT_EQ(GetEntry(n, &e), 1);
        EXPECT_EQ(e.durationMs, 1000u * n) << n;
    }
    EXPECT_EQ(PlaylistIsDirty(), 1);
    ExpectListInvariants("moved");
}

TEST_F(PlaylistModel, HistoryKeepsTenMostRecentFirstAndTakesTheNewLetterCase) {
    for (int i = 1; i <= 11; ++i) PushHistory(("C:\\Lists\\L" + std::to_string(i) + ".spl").c_str());
    ASSERT_EQ(GetHistoryCount(), 10);
    char h[PLAYLIST_PATH_BYTES];
    GetHistoryPath(1, h);
    EXPECT_STREQ(h, "C:\\Lists\\L11.spl");
    GetHistoryPath(10, h);
    EXPECT_STREQ(h, "C:\\Lists\\L2.spl");  // L1, the oldest, was dropped

    PushHistory("c:\\lists\\l5.SPL");
    EXPECT_EQ(GetHistoryCount(), 10);
    GetHistoryPath(1, h);
    EXPECT_STREQ(h, "c:\\lists\\l5.SPL");
    GetHistoryPath(2, h);
    EXPECT_STREQ(h, "C:\\Lists\\L11.spl");
    EXPECT_EQ(PlaylistIsNamed(), 1);
}

TEST_F(PlaylistModel, ClearingAChangedNamedListAsksFirst) {
    std::string list = dir.File("Party.spl");
    WriteText(list, "\"" + dir.File("a.wav") + "\"\n");
    AddPath(list.c_str());
    FinishAdd(1, OWNER_MAIN_WINDOW);
    ASSERT_EQ(PlaylistIsNamed(), 1);
    ASSERT_EQ(PlaylistIsDirty(), 0);
    AddPath(dir.File("b.wav").c_str());
    ASSERT_EQ(PlaylistIsDirty(), 1);

    QueueMessageAnswer(MSGBOX_ANSWER_CANCEL);
    EXPECT_EQ(ClearPlaylist(), 0);
    EXPECT_EQ(GetEntryCount(), 2);
    ASSERT_EQ(RecordedMessageCount(), 1);
    EXPECT_EQ(RecordedMessageAt(0)->stringId, 42);
    EXPECT_STREQ(RecordedMessageAt(0)->fileName, "Party");  // the list's name without folder and extension
    EXPECT_EQ(PlaylistProbeHeld(), 0);                      // probing goes on after the box

    // Yes: the save dialog proposes the list's own file and does not ask before replacing it.
    QueueMessageAnswer(MSGBOX_ANSWER_YES);
    QueueSaveDialogResult(list.c_str());
    EXPECT_EQ(ClearPlaylist(), 1);
    EXPECT_EQ(std::string(SaveDialogProposedName()), list);
    EXPECT_EQ(SaveDialogAskedOverwrite(), 0);
    EXPECT_NE(ReadText(list).find(dir.File("b.wav")), std::string::npos);
    EXPECT_EQ(GetEntryCount(), 0);
    EXPECT_EQ(PlaylistIsNamed(), 0);
}

TEST_F(PlaylistModel, ASaveThatCannotBeWrittenKeepsTheDeckOpen) {
    std::string list = dir.File("Party.spl");
    WriteText(list, "\"" + dir.File("a.wav") + "\"\n");
    AddPath(list.c_str());
    FinishAdd(1, OWNER_MAIN_WINDOW);
    AddPath(dir.File("b.wav").c_str());
    std::string before = ReadText(list);

    QueueMessageAnswer(MSGBOX_ANSWER_YES);
    QueueSaveDialogResult(list.c_str());
    FailListWritesForTest(1);
    EXPECT_EQ(PlaylistMayClose(), 0);
    EXPECT_EQ(ReadText(list), before);
    EXPECT_EQ(PlaylistIsDirty(), 1);

    QueueMessageAnswer(MSGBOX_ANSWER_NO);  // the user gives the changes up
    EXPECT_EQ(PlaylistMayClose(), 1);
}

TEST_F(PlaylistModel, SelectFilesReplacesTheListOnlyWithSomethingPlayable) {
    Drop({dir.File("old.wav")});
    QueueSelection(dir.path, {"a.txt", "b.doc"});
    ASSERT_EQ(SelectFiles(nullptr), 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{dir.File("old.wav")});
    EXPECT_EQ(ShownMessages(), std::vector<int>{67});

    std::string single = dir.File("new.mp3");
    std::string buf = single + '\0' + '\0';
    QueueSelectFileResult(buf.data(), (uint32_t)buf.size());
    ASSERT_EQ(SelectFiles(nullptr), 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{single});

    QueueSelectFileResult(nullptr, 0);  // Cancel changes nothing
    EXPECT_EQ(SelectFiles(nullptr), 0);
    EXPECT_EQ(GetEntryCount(), 1);
}

TEST_F(PlaylistModel, RandomEditsKeepTheListConsistent) {
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i) {
        std::string name = dir.File("r" + std::to_string(i) + (i % 4 == 3 ? ".mid" : ".wav"));
        if (i % 5 != 4) WriteWave(name, 500 + 250 * i);  // some are missing, the MIDI ones are not MIDI
        files.push_back(name);
    }
    std::mt19937 rng(12);
    for (int step = 0; step < 3000; ++step) {
        int count = GetEntryCount();
        int n = count ? (int)(rng() % (unsigned)count) + 1 : 1;
        switch (rng() % 8) {
        case 0:
        case 1: Drop({files[rng() % files.size()]}); break;
        case 2: DeleteEntry(n); break;
        case 3: MoveEntryUp(n); break;
        case 4: MoveEntryDown(n); break;
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
        ExpectListInvariants(("step " + std::to_string(step)).c_str());
        if (HasFatalFailure() || HasNonfatalFailure()) return;
    }
}

}  // namespace
