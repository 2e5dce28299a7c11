// The playlist window's decisions (title, placement, layout, cells, panel, history box, where the
// selection goes) as tables, and what the window is told when the list changes, through the
// native stand-in of the window with the real model behind it.
#include "playlist/playlist_view.h"
#include "playlist/playlist_window.h"

#include "resources/resource.h"

#include "playlist_test_util.h"
#include "skin_picture.h"

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
              "98/25@6 0/5@36 0/5@42 30/5@48 10/5@54 70/5@64 0/5@71 25/5@77 "
              "145/5@106 50/5@113 50/5@119 5/5@125 124/16@141 149/5@162 ");
    // From two files on the longer word; the pending mark while some entry waits for its probe.
    EXPECT_EQ(Panel(0, 12, 1),
              "98/25@6 0/5@36 0/5@42 0/5@48 0/5@54 70/5@64 0/5@71 0/5@77 154/17@85 "
              "145/5@106 50/5@113 5/5@119 10/5@125 124/20@141 149/5@162 ");
    EXPECT_NE(Panel(0, 0, 0).find("124/16@141"), std::string::npos);  // an empty list: the short word
}

// The panel's glyph row as a user reads it: the glyphs are copied from the generated strip onto
// the display's background, and each number's area is read back by cutting it at blank columns
// and matching every piece against the strip's digits ('?' for a piece that is no digit, such
// as two digits run together).
class PanelReading : public ::testing::Test {
protected:
    enum { MINUTES_AT = 36, SECONDS_AT = 71, COUNT_AT = 113, SEPARATOR_AT = 64, PENDING_AT = 85, WORD_AT = 141 };
    void SetUp() override {
        ASSERT_TRUE(ReadPicture(SkinManifest()["IDB_RATE_GLYPHS"], &strip)) << "skingen did not run";
        background = strip.At(52, 5);  // inside the blank glyph
        for (int d = 0; d < 10; ++d) digits[d] = Piece(strip, 5 * d, 5 * d + 5);
    }
    // The columns of [from, to) of a PANEL_GLYPH_H-high picture that hold ink, as one string.
    std::string Piece(const Picture& p, int from, int to) const {
        std::string s;
        for (int x = from; x < to; ++x) {
            std::string column;
            int ink = 0;
            for (int y = 0; y < PANEL_GLYPH_H; ++y) {
                ink |= p.At(x, y) != background;
                column += p.At(x, y) != background ? '#' : '.';
            }
            if (ink) s += column + "|";
        }
        return s;
    }
    void Render(uint32_t ms, int count) {
        row.w = PANEL_W, row.h = PANEL_GLYPH_H;
        row.px.assign((size_t)row.w * row.h, background);
        PanelGlyph g[PANEL_MAX_GLYPHS];
        int n = PanelGlyphs(ms, count, 0, g);
        for (int i = 0; i < n; ++i)
            for (int y = 0; y < PANEL_GLYPH_H; ++y)
                for (int x = 0; x < g[i].width; ++x) row.px[(size_t)y * row.w + g[i].dstX + x] = strip.At(g[i].srcX + x, y);
    }
    std::string Read(int from, int to) const {
        std::string text;
        for (int x = from; x < to;) {
            if (Piece(row, x, x + 1).empty()) {
                ++x;
                continue;
            }
            int end = x;
            while (end < to && !Piece(row, end, end + 1).empty()) ++end;
            std::string piece = Piece(row, x, end);
            char c = '?';
            for (int d = 0; d < 10; ++d)
                if (piece == digits[d]) c = (char)('0' + d);
            text += c;
            x = end;
        }
        return text;
    }
    Picture strip, row;
    uint32_t background = 0;
    std::string digits[10];
};

TEST_F(PanelReading, EveryDigitReadsBackInEveryPlace) {
    for (int d = 0; d <= 9; ++d) {
        int tens = d < 6 ? d : 5;  // the seconds' tens go up to 5
        Render((uint32_t)(d * 1111) * 60000u + (uint32_t)(10 * tens + d) * 1000u, d * 111);
        SCOPED_TRACE(d);
        EXPECT_EQ(Read(MINUTES_AT, SEPARATOR_AT), std::string(4, (char)('0' + d)));
        EXPECT_EQ(Read(SECONDS_AT, PENDING_AT), std::string(1, (char)('0' + tens)) + (char)('0' + d));
        EXPECT_EQ(Read(COUNT_AT, WORD_AT), d ? std::string(3, (char)('0' + d)) : "0");
    }
    Render(28000, 10);  // ten files, 28 seconds: the 1 must not melt into the 0
    EXPECT_EQ(Read(MINUTES_AT, SEPARATOR_AT), "0000");
    EXPECT_EQ(Read(SECONDS_AT, PENDING_AT), "28");
    EXPECT_EQ(Read(COUNT_AT, WORD_AT), "10");
    Render(0, 1000);  // more than the list can hold reads as its limit
    EXPECT_EQ(Read(COUNT_AT, WORD_AT), "999");
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
    ASSERT_EQ(MoveEntry(3, MOVE_UP), 1);
    EXPECT_EQ(Log().refreshAll, 0);
    ASSERT_EQ(Log().rowCalls, 2);
    EXPECT_EQ(Log().rows[0] + Log().rows[1], 5);  // rows 2 and 3
    EXPECT_EQ(Log().totalMs, 2000u);              // both moved entries were probed on the way
    ASSERT_EQ(MoveEntry(3, MOVE_DOWN), 1);               // the last goes round to the top: every row
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

// Row icons and the panel's pending mark follow the files as they are now: a file deleted after
// its probe shows as missing, a file that failed its probe keeps the mark up, and only a list
// whose every entry has its length drops it.
TEST_F(ListWindowUpdates, RowIconsAndThePendingMarkFollowTheFiles) {
    std::string a = WriteWave(dir.File("a.wav"), 1000), b = WriteWave(dir.File("b.wav"), 1000);
    std::string junk = dir.File("junk.wav");
    WriteText(junk, "not a sound");
    Drop({a, b, junk});
    PlaylistEntry e;
    auto icon = [&](int n, int current) {
        EXPECT_EQ(GetEntry(n, &e), 1);
        return ListRowIcon(e, n, current);
    };
    EXPECT_EQ(AnyEntryNotProbed(), 1);
    for (int n = 1; n <= 3; ++n) ProbeEntry(n);
    EXPECT_EQ(icon(3, 0), ROW_ICON_FILE) << "there, though not sound";
    EXPECT_EQ(AnyEntryNotProbed(), 1) << "the failed probe keeps the mark";
    ASSERT_EQ(DeleteEntry(3), 1);
    EXPECT_EQ(AnyEntryNotProbed(), 0);

    fs::remove(b);
    EXPECT_EQ(icon(2, 0), ROW_ICON_MISSING) << "deleted after its probe";
    EXPECT_EQ(icon(2, 2), ROW_ICON_CURRENT) << "the current mark wins";
    EXPECT_EQ(icon(1, 0), ROW_ICON_FILE);
    WriteWave(b, 1000);
    EXPECT_EQ(icon(2, 0), ROW_ICON_FILE) << "back again";
    ExpectListInvariants("after the icons");
}
