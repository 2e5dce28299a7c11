// Playlist files: the line and field rules on memory, reading real files (CR LF, a last line
// without newline, an over-long line, the relative form after a folder moved, nesting and a list
// that names itself), the saved text, a write that fails, and the list's life across runs.
#include "base/system_info.h"
#include "media/media_file_fault.h"
#include "playlist/playlist_spl.h"
#include "playlist_test_util.h"

namespace {

struct LineCase {
    const char* name;
    const char* line;
    int kind;
    const char* first;
    const char* second;
};

TEST(SplLines, FieldsFollowTheQuotingAndSeparatorRules) {
    const LineCase cases[] = {
  // name                 line                                         kind            first             second
        {"comment",       ";PARTY.SPL\n",                                SPL_LINE_SKIP,  "",                      ""                },
        {"blank",         " \t \n",                                      SPL_LINE_SKIP,  "",                      ""                },
        {"unquoted",      "  C:\\Music\\a.wav\n",                        SPL_LINE_ENTRY, "C:\\Music\\a.wav",      "C:\\Music\\a.wav"},
        {"unquoted pair", "C:\\a.wav\t.\\a.wav trailing\n",              SPL_LINE_ENTRY, "C:\\a.wav",             ".\\a.wav"        },
        {"quoted blanks", "\"C:\\My Music\\a b.wav\"\t\".\\a b.wav\"\n", SPL_LINE_ENTRY, "C:\\My Music\\a b.wav",
         ".\\a b.wav"                                                                                                               },
        {"quote to eol",  "\"C:\\x.wav\n",                               SPL_LINE_ENTRY, "C:\\x.wav",             "C:\\x.wav"       },
        {"empty quotes",  "\"\"\t\"b.wav\"\n",                           SPL_LINE_SKIP,  "",                      ""                },
        {"no newline",    "\"C:\\last.wav\"",                            SPL_LINE_STOP,  "",                      ""                },
        {"comment no nl", ";comment",                                    SPL_LINE_SKIP,  "",                      ""                },
    };
    for (const LineCase& c : cases) {
        char first[SPL_FIELD_BYTES], second[SPL_FIELD_BYTES];
        EXPECT_EQ(ParseSplLine(c.line, first, second), c.kind) << c.name;
        if (c.kind != SPL_LINE_ENTRY) continue;
        EXPECT_STREQ(first, c.first) << c.name;
        EXPECT_STREQ(second, c.second) << c.name;
    }
    // A field keeps its first 255 characters.
    std::string longLine = "\"" + std::string(300, 'x') + "\"\n";
    char first[SPL_FIELD_BYTES], second[SPL_FIELD_BYTES];
    ASSERT_EQ(ParseSplLine(longLine.c_str(), first, second), SPL_LINE_ENTRY);
    EXPECT_EQ(std::string(first), std::string(255, 'x'));
}

TEST(SplLines, RelativeFormAndSavedText) {
    EXPECT_EQ(RelativeEntryForm("C:\\Lists\\Sub\\a.wav", "C:\\Lists\\"), ".\\Sub\\a.wav");
    EXPECT_EQ(RelativeEntryForm("c:\\LISTS\\Sub\\a.wav", "C:\\Lists\\"), ".\\Sub\\a.wav");  // own letter case
    EXPECT_EQ(RelativeEntryForm("C:\\Other\\a.wav", "C:\\Lists\\"), "C:\\Other\\a.wav");
    EXPECT_EQ(RelativeEntryForm("C:\\ListsX\\a.wav", "C:\\Lists\\"), "C:\\ListsX\\a.wav");

    static const char* entries[] = {"C:\\Lists\\Sub\\a.wav"};
    std::string text = BuildSplText("C:\\Lists\\Party.spl", 1, [](int n) { return entries[n - 1]; });
    EXPECT_EQ(text, ";PARTY.SPL\r\n\"C:\\Lists\\Sub\\a.wav\"\t\".\\Sub\\a.wav\"\r\n");

    // On a Japanese system the second byte of a character may be "\\"; it does not end a folder.
    SetNativeAnsiCodePage(932);
    char folder[SPL_FIELD_BYTES];
    FolderOfPath("C:\\Lists\\\x95\x5C.spl", folder);  // a list named with one kanji
    EXPECT_STREQ(folder, "C:\\Lists\\");
    EXPECT_EQ(RelativeEntryForm("C:\\Lists\\\x95\x5C\\a.wav", folder), ".\\\x95\x5C\\a.wav");
    SetNativeAnsiCodePage(0);
}

class PlaylistFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ResetPlaylistWorld();
        SetProgramFolderForTest((dir.path + "/program/").c_str());
        fs::create_directories(dir.path + "/program");
    }
    Scratch dir;
    static std::string Quoted(const std::string& a, const std::string& b) { return "\"" + a + "\"\t\"" + b + "\"\r\n"; }
    // Ends the run and starts the next one, with the registry and the files as they were left.
    static void Restart() {
        ASSERT_EQ(PlaylistShutdown(), 1);
        ResetPlaylistForTest();
        ASSERT_EQ(PlaylistInit(nullptr), 1);
    }
};

TEST_F(PlaylistFiles, ReadingStopsAtAnUnfinishedOrOverlongLine) {
    std::string list = dir.File("l.spl");
    WriteText(list, ";L.SPL\r\n" + Quoted(dir.File("1.wav"), "x") + "  " + dir.File("2.wav") + "\r\n\r\n" + "\"" +
                        dir.File("3.wav") + "\"");
    ASSERT_EQ(ReadPlaylistFile(list.c_str(), 1, OWNER_MAIN_WINDOW), 1);
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{dir.File("1.wav"), dir.File("2.wav")}));

    ClearPlaylistWithoutPrompt();
    WriteText(list, Quoted(dir.File("1.wav"), "x") + "\"" + std::string(800, 'y') + "\"\r\n" +
                        Quoted(dir.File("2.wav"), "x"));
    ASSERT_EQ(ReadPlaylistFile(list.c_str(), 1, OWNER_MAIN_WINDOW), 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{dir.File("1.wav")});

    EXPECT_EQ(ReadPlaylistFile(dir.File("none.spl").c_str(), 1, OWNER_MAIN_WINDOW), 0);
    ExpectListInvariants("read");
}

TEST_F(PlaylistFiles, AListMovedWithItsFilesFindsThemThroughTheRelativeForm) {
    std::string a = WriteWave(dir.File("old/Sub/a.wav"), 1000);
    std::string b = dir.File("elsewhere/b.wav");
    WriteWave(b, 1000);
    AddPath(a.c_str());
    AddPath(b.c_str());
    ASSERT_EQ(WritePlaylistFile(dir.File("old/Party.spl").c_str()), 1);
    EXPECT_EQ(ReadText(dir.File("old/Party.spl")), ";PARTY.SPL\r\n" + Quoted(a, "./Sub/a.wav") + Quoted(b, b));
    EXPECT_EQ(PlaylistIsDirty(), 0);

    // A write that fails at any of its steps leaves the saved file as it was, and nothing beside it.
    std::string saved = ReadText(dir.File("old/Party.spl"));
    AddPath(dir.File("c.wav").c_str());
    for (int kind : {MEDIA_FAULT_FAIL, MEDIA_FAULT_SHORT}) {
        for (int step = 1; step <= 4; ++step) {  // create, write, flush, swap
            SetMediaFileFault(kind, step);
            EXPECT_EQ(WritePlaylistFile(dir.File("old/Party.spl").c_str()), 0) << kind << step;
            EXPECT_EQ(ReadText(dir.File("old/Party.spl")), saved) << kind << step;
            EXPECT_EQ(std::distance(fs::directory_iterator(dir.File("old")), fs::directory_iterator()), 2);
        }
    }
    SetMediaFileFault(MEDIA_FAULT_NONE, 0);
    EXPECT_EQ(PlaylistIsDirty(), 1);
    EXPECT_EQ(MediaFilesOpen(), 0);

    fs::rename(dir.File("old"), dir.File("new"));
    ClearPlaylistWithoutPrompt();
    ASSERT_EQ(AddPath(dir.File("new/Party.spl").c_str()), 1);
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{dir.File("new/Sub/a.wav"), b}));
}

TEST_F(PlaylistFiles, NestingStopsAtTheThirdLevel) {
    // top lists three lists; each holds one sound file. The third sits at level 4.
    std::string top = dir.File("top.spl"), text;
    for (int i = 1; i <= 3; ++i) {
        std::string inner = dir.File("in" + std::to_string(i) + ".spl");
        WriteText(inner, Quoted(dir.File("s" + std::to_string(i) + ".wav"), "x"));
        text += Quoted(inner, "x");
    }
    WriteText(top, text);
    AddPath(top.c_str());
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{dir.File("s1.wav"), dir.File("s2.wav")}));

    // A list that names itself is read at levels 1, 2 and 3.
    ClearPlaylistWithoutPrompt();
    std::string self = dir.File("self.spl");
    WriteText(self, Quoted(dir.File("x.wav"), "x") + Quoted(self, "x"));
    AddPath(self.c_str());
    EXPECT_EQ(EntryPaths(), std::vector<std::string>(3, dir.File("x.wav")));
}

TEST_F(PlaylistFiles, TheUnnamedListComesBackFromItsTemporaryFile) {
    ASSERT_EQ(PlaylistInit(nullptr), 1);
    EXPECT_TRUE(RegistryKeyIsVolatile(PLAYLIST_KEY_PATH));
    AddPath(dir.File("a.wav").c_str());
    AddPath(dir.File("b.mp3").c_str());
    Restart();
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{dir.File("a.wav"), dir.File("b.mp3")}));
    EXPECT_EQ(PlaylistIsNamed(), 0);
    EXPECT_EQ(ReadText(dir.File("program/NoName.$$$")).substr(0, 13), ";NONAME.$$$\r\n");

    // An empty unnamed list still leaves its file, with only the comment line.
    ClearPlaylistWithoutPrompt();
    Restart();
    EXPECT_EQ(GetEntryCount(), 0);
    EXPECT_EQ(ReadText(dir.File("program/NoName.$$$")), ";NONAME.$$$\r\n");
}

TEST_F(PlaylistFiles, ANamedListReopensFromTheHistory) {
    std::string party = dir.File("Party.spl");
    WriteText(party, Quoted(dir.File("p.wav"), "x"));
    ASSERT_EQ(PlaylistInit(nullptr), 1);
    AddPath(dir.File("u.wav").c_str());
    Restart();  // unnamed: "NoName" is stored
    ClearPlaylistWithoutPrompt();
    AddPath(party.c_str());
    FinishAdd(1, OWNER_MAIN_WINDOW);
    ASSERT_EQ(PlaylistIsNamed(), 1);
    AddPath(dir.File("unsaved.wav").c_str());  // declined changes are not kept
    ASSERT_EQ(PlaylistShutdown(), 1);
    RegistryKeyGuard key;  // history values naming a missing file or no list file are passed over
    ASSERT_EQ(RegistryOpenKey(PLAYLIST_KEY_PATH, REGISTRY_READ_WRITE, &key.key), 1);
    RegistryWriteString(key.key, "file2", dir.File("gone.spl").c_str());
    RegistryWriteString(key.key, "file3", dir.File("p.wav").c_str());
    ResetPlaylistForTest();
    ASSERT_EQ(PlaylistInit(nullptr), 1);
    EXPECT_EQ(GetHistoryCount(), 1);
    EXPECT_EQ(EntryPaths(), std::vector<std::string>{dir.File("p.wav")});
    EXPECT_EQ(PlaylistIsNamed(), 1);
    EXPECT_EQ(PlaylistIsDirty(), 0);
    char h[PLAYLIST_PATH_BYTES];
    ASSERT_EQ(GetHistoryPath(1, h), 1);
    EXPECT_EQ(std::string(h), party);
}

// Eleven lists opened in turn: the history holds the ten most recent, newest first, and all ten
// come back after a restart.
TEST_F(PlaylistFiles, TheHistoryKeepsTheTenMostRecentListsAcrossARestart) {
    ASSERT_EQ(PlaylistInit(nullptr), 1);
    auto list = [&](int i) { return dir.File("L" + std::to_string(i) + ".spl"); };
    for (int i = 1; i <= PLAYLIST_HISTORY_MAX + 1; ++i) {
        WriteText(list(i), Quoted(dir.File("p.wav"), "x"));
        ClearPlaylistWithoutPrompt();
        AddPath(list(i).c_str());
        FinishAdd(1, OWNER_MAIN_WINDOW);
    }
    for (int run = 1; run <= 2; ++run) {
        ASSERT_EQ(GetHistoryCount(), PLAYLIST_HISTORY_MAX) << "run " << run;
        char h[PLAYLIST_PATH_BYTES];
        for (int k = 1; k <= PLAYLIST_HISTORY_MAX; ++k) {
            ASSERT_EQ(GetHistoryPath(k, h), 1);
            EXPECT_EQ(std::string(h), list(PLAYLIST_HISTORY_MAX + 2 - k)) << "run " << run << ", entry " << k;
        }
        Restart();
    }
}

TEST_F(PlaylistFiles, AStartUpThatFailedLeavesTheRegistryAlone) {
    RegistryKey key;
    ASSERT_EQ(RegistryCreateVolatileKey(PLAYLIST_KEY_PATH, &key), 1);
    RegistryWriteString(key, "file1", dir.File("x.spl").c_str());
    RegistryCloseKey(key);
    SetPlaylistInitFailForTest(1);
    EXPECT_EQ(PlaylistInit(nullptr), 0);
    EXPECT_EQ(ShownMessages(), std::vector<int>{37});
    EXPECT_EQ(PlaylistShutdown(), 1);
    EXPECT_EQ(RegistryValueCount(PLAYLIST_KEY_PATH), 1);
    EXPECT_FALSE(fs::exists(dir.File("program/NoName.$$$")));
}

}  // namespace
