// The playlist window's decisions (title, placement, layout, cells, panel, history box, where the
// selection goes) as tables, and what the window is told when the list changes, through the
// native stand-in of the window with the real model behind it.
#include "playlist/playlist_view.h"
#include "playlist/playlist_window.h"

#include "resources/resource.h"

#include "playlist_test_util.h"

namespace {

PlaylistEntry Entry(uint32_t state, uint32_t ms, const char* title = "t") {
    return PlaylistEntry{"C:\\m\\a.wav", "a.wav", title, ms, state};
}

TEST(ListView, TitleNamesThePlaylistFileOrNoName) {
    char t[LIST_TITLE_BYTES];
    ListWindowTitle("C:\\Lists\\Party.spl", t, sizeof t);
    EXPECT_STREQ(t, "Quaverly Deck Play List - C:\\Lists\\Party.spl");
    ListWindowTitle("No Name", t, sizeof t);
    EXPECT_STREQ(t, "Quaverly Deck Play List - No Name");
    ListWindowTitle("", t, sizeof t);
    EXPECT_STREQ(t, "Quaverly Deck Play List - No Name");
}

TEST(ListView, StoredPositionIsPulledBackOnScreen) {
    struct Case {
        int x, y, w, h, wantX, wantY;
    } cases[] = {
  // x, y, width, height -> x, y on a 1024 x 768 screen
        {100, 50,  400,  360, 100, 50 }, // already on screen
        {900, 600, 400,  360, 624, 408}, // past the right and bottom edges: the whole window shows
        {-30, -5,  400,  360, 0,   0  }, // past the left and top edges
        {624, 408, 400,  360, 624, 408}, // exactly at the far corner
        {500, 10,  1200, 900, 0,   0  }, // larger than the screen: the caption stays reachable
    };
    for (const Case& c : cases) {
        int x = c.x, y = c.y;
        ClampListWindow(1024, 768, c.w, c.h, &x, &y);
        EXPECT_EQ(x, c.wantX) << c.x;
        EXPECT_EQ(y, c.wantY) << c.y;
    }
}

TEST(ListView, ControlsFollowTheClientSize) {
    for (int w : {400, 640}) {
        for (int h : {180, 500}) {
            ListWindowLayout l = LayOutListWindow(w, h, 10, 32);
            EXPECT_EQ(l.list.x, 10);
            EXPECT_EQ(l.list.y, 36);                 // 4 below the history box
            EXPECT_EQ(l.list.x + l.list.w, w - 10);  // right margin
            EXPECT_EQ(l.list.y + l.list.h, h - 28);  // bottom margin
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(l.buttons[i].x, 10 + 42 * i);
                EXPECT_EQ(l.buttons[i].y, h - 24);
            }
            EXPECT_EQ(l.buttons[6].x, w - 50);  // Close keeps its place from the right
            EXPECT_EQ(l.panel.x, w - 190);
            EXPECT_EQ(l.panel.y + l.panel.h / 2, 21);  // centred on the history box
        }
    }
    // Save and Add sit in the other order in the button bitmap.
    EXPECT_EQ(ButtonBitmapColumn(3), 5);
    EXPECT_EQ(ButtonBitmapColumn(4), 3);
    EXPECT_EQ(ButtonBitmapColumn(6), 6);
}

TEST(ListView, CellTexts) {
    struct Case {
        uint32_t state, ms;
        const char* time;
    } cases[] = {
        {Probed,   59499,      "000:59" },
        {Probed,   59500,      "001:00" }, // rounded to the second
        {Probed,   3599500,    "060:00" },
        {Probed,   4294967295, "9999:47"}, // minutes stop at 9,999; no wrap near 2^32
        {Unprobed, 0,          "???:??" },
        {Failed,   0,          "???:??" },
    };
    char text[LIST_CELL_BYTES];
    for (const Case& c : cases) {
        ListCellText(Entry(c.state, c.ms), 1, 2, text, sizeof text);
        EXPECT_STREQ(text, c.time) << c.ms;
    }
    PlaylistEntry e = Entry(Probed, 1000, "Song");
    ListCellText(e, 7, 0, text, sizeof text);
    EXPECT_STREQ(text, "007");
    ListCellText(e, 999, 0, text, sizeof text);
    EXPECT_STREQ(text, "999");
    ListCellText(e, 7, 1, text, sizeof text);
    EXPECT_STREQ(text, "a.wav");
    ListCellText(e, 7, 3, text, sizeof text);
    EXPECT_STREQ(text, "Song");
}

TEST(ListView, RowIcons) {
    EXPECT_EQ(ListRowIcon(Entry(Probed, 1000), 3, 3), ROW_ICON_CURRENT);
    EXPECT_EQ(ListRowIcon(Entry(Failed, 0, "File Not Found"), 3, 3), ROW_ICON_CURRENT);  // the mark wins
    EXPECT_EQ(ListRowIcon(Entry(Failed, 0, "File Not Found"), 2, 3), ROW_ICON_MISSING);
    EXPECT_EQ(ListRowIcon(Entry(Failed, 0, "Illegal File"), 2, 3), ROW_ICON_FILE);  // there, but not sound
    EXPECT_EQ(ListRowIcon(Entry(Unprobed, 0), 1, 0), ROW_ICON_FILE);                // 0 marks no row
}

// The panel as a string: each glyph's strip position at its panel position.
std::string Panel(uint32_t ms, int count, int pending) {
    PanelGlyph g[PANEL_MAX_GLYPHS];
    int n = PanelGlyphs(ms, count, pending, g);
    EXPECT_LE(n, PANEL_MAX_GLYPHS);
    std::string s;
    for (int i = 0; i < n; ++i) {
        EXPECT_LE(g[i].dstX + g[i].width, PANEL_W);
        s += std::to_string(g[i].srcX) + "/" + std::to_string(g[i].width) + "@" + std::to_string(g[i].dstX) + " ";
    }
    return s;
}

TEST(ListView, TotalsPanel) {
    // 62 min 5 s of one file, all probed: label, 0062, separator, 05, count "  1", the short word.
    EXPECT_EQ(Panel(3725000, 1, 0),
              "98/25@6 0/5@36 0/5@41 30/5@46 10/5@51 70/5@64 0/5@71 25/5@76 "
              "145/5@106 50/5@113 50/5@118 5/5@123 124/16@141 149/5@162 ");
    // From two files on the longer word; the pending mark while some entry waits for its probe.
    EXPECT_EQ(Panel(0, 12, 1),
              "98/25@6 0/5@36 0/5@41 0/5@46 0/5@51 70/5@64 0/5@71 0/5@76 154/17@85 "
              "145/5@106 50/5@113 5/5@118 10/5@123 124/20@141 149/5@162 ");
    EXPECT_NE(Panel(0, 0, 0).find("124/16@141"), std::string::npos);  // an empty list: the short word
    EXPECT_NE(Panel(0, 999, 0).find("45/5@113 45/5@118 45/5@123"), std::string::npos);
}

TEST(ListView, HistoryBoxItems) {
    HistoryBoxPlan named = PlanHistoryBox(1, 3);
    EXPECT_EQ(named.historyItems, 3);
    EXPECT_EQ(named.noNameItem, 0);
    EXPECT_EQ(named.selected, 0);  // the open list is entry 1
    HistoryBoxPlan unnamed = PlanHistoryBox(0, 2);
    EXPECT_EQ(unnamed.historyItems, 2);
    EXPECT_EQ(unnamed.noNameItem, 1);
    EXPECT_EQ(unnamed.selected, 2);  // "No name", after the history
    EXPECT_EQ(HistoryEntryOfItem(unnamed, 0), 1);
    EXPECT_EQ(HistoryEntryOfItem(unnamed, 1), 2);
    EXPECT_EQ(HistoryEntryOfItem(unnamed, 2), 0);  // "No name" opens nothing
    HistoryBoxPlan empty = PlanHistoryBox(1, 0);
    EXPECT_EQ(empty.historyItems + empty.noNameItem, 0);
    EXPECT_EQ(PlanHistoryBox(0, 0).selected, 0);
}

TEST(ListView, SelectionFollowsTheEntry) {
    struct Case {
        int n, count, up, down, deleted;
    } cases[] = {
  // row, count -> after Up, after Down, after Delete
        {3, 5, 2, 4, 3},
        {1, 5, 5, 2, 1}, // the first entry goes round to the end
        {5, 5, 4, 1, 4}, // the last to the top; deleting it selects the new last row
        {1, 1, 1, 1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RowAfterMoveUp(c.n, c.count), c.up) << c.n;
        EXPECT_EQ(RowAfterMoveDown(c.n, c.count), c.down) << c.n;
        EXPECT_EQ(RowAfterDelete(c.n, c.count - 1), c.deleted) << c.n;
    }
    EXPECT_EQ(RowAfterDelete(0, 4), 4);  // nothing selected: the last row
}

class ListWindowUpdates : public ::testing::Test {
protected:
    void SetUp() override {
        ResetPlaylistWorld();
        SetPlaylistWindowOpenForTest(1);
        ResetListWindowCallsForTest();
    }
    void TearDown() override { SetPlaylistWindowOpenForTest(0); }
    const ListWindowCalls& Log() { return ListWindowCallLog(); }
    int Drop(const std::vector<std::string>& paths) {
        std::string batch;
        for (const std::string& p : paths) batch += p + '\0';
        return AddDroppedFiles(batch.c_str());
    }
    Scratch dir;
};

TEST_F(ListWindowUpdates, DropAddsInOrderAndSelectsTheFirstNewRow) {
    EXPECT_EQ(Drop({WriteWave(dir.File("a.wav"), 1000)}), 1);
    EXPECT_EQ(Drop({WriteWave(dir.File("b.wav"), 1000), dir.File("c.ogg"), WriteWave(dir.File("d.wav"), 1000)}), 2);
    EXPECT_EQ(EntryPaths(), (std::vector<std::string>{dir.File("a.wav"), dir.File("b.wav"), dir.File("d.wav")}));
    EXPECT_EQ(ShownMessages(), std::vector<int>{STR_FORMATS_NOT_SUPPORTED});  // one report for the batch
    EXPECT_GE(Log().refreshAll, 2);
    EXPECT_EQ(Drop({dir.File("e.ogg")}), 0);  // nothing new, nothing to select
    EXPECT_STREQ(Log().name, "No Name");
}

TEST_F(ListWindowUpdates, MovesRedrawOnlyWhatMoved) {
    Drop({WriteWave(dir.File("1.wav"), 1000), WriteWave(dir.File("2.wav"), 1000), WriteWave(dir.File("3.wav"), 1000)});
    ResetListWindowCallsForTest();
    ASSERT_EQ(MoveEntryUp(3), 1);
    EXPECT_EQ(Log().refreshAll, 0);
    ASSERT_EQ(Log().rowCalls, 2);
    EXPECT_EQ(Log().rows[0] + Log().rows[1], 5);  // rows 2 and 3
    EXPECT_EQ(Log().totalMs, 2000u);              // both moved entries were probed on the way
    ASSERT_EQ(MoveEntryDown(3), 1);               // the last goes round to the top: every row
    EXPECT_EQ(Log().refreshAll, 1);
    ExpectListInvariants("after the moves");
}

TEST_F(ListWindowUpdates, ProbingCurrentMarkAndDeleteReachTheWindow) {
    Drop({WriteWave(dir.File("1.wav"), 2000), WriteWave(dir.File("2.wav"), 3000)});
    ResetListWindowCallsForTest();
    ProbeTick(Stopped);
    ASSERT_EQ(Log().rowCalls, 1);
    EXPECT_EQ(Log().rows[0], 1);
    EXPECT_EQ(Log().totalMs, 2000u);
    EXPECT_EQ(Log().totalCount, 2);

    SetCurrentNumber(2);
    SetCurrentNumber(2);  // unchanged: the mark stays
    EXPECT_EQ(Log().markCalls, 1);
    EXPECT_EQ(Log().marked, 2);

    EXPECT_EQ(DeleteFromListWindow(2), 1);  // the last row went: the new last row is selected
    EXPECT_EQ(GetCurrentNumber(), 0);       // the current entry was deleted
    EXPECT_EQ(Log().marked, 0);
    EXPECT_EQ(DeleteFromListWindow(5), -1);
    EXPECT_EQ(DeleteFromListWindow(1), 0);
    EXPECT_EQ(GetEntryCount(), 0);
    EXPECT_STREQ(Log().name, "No Name");
    EXPECT_EQ(Log().totalMs, 0u);
}

TEST_F(ListWindowUpdates, AListFileNamesTheWindowAndItsHistory) {
    std::string list = dir.File("Party.spl");
    WriteText(list, "\"" + WriteWave(dir.File("a.wav"), 1000) + "\"\n");
    Drop({list});
    EXPECT_STREQ(Log().name, list.c_str());
    EXPECT_EQ(Log().historyNamed, 1);
    ASSERT_EQ(ClearPlaylist(), 1);
    EXPECT_STREQ(Log().name, "No Name");
    EXPECT_EQ(Log().historyNamed, 0);
    EXPECT_EQ(GetEntryCount(), 0);
}

}  // namespace
