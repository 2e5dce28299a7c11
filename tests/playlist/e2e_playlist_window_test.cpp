// The playlist window of Movello.exe under Wine, driven and read from outside through wintool:
// it opens from the deck's command with its title and columns, Up, Down, Delete and Clear change
// the rows as the list does, a batch of dropped files is added, a history pick loads that list,
// and the window comes back where and as large as it was, in this run and the next. Screenshots in both languages go to
// the build tree (screenshots/).
#include <gtest/gtest.h>
#include "tool_skip.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"

namespace {
namespace fs = std::filesystem;

using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::LIST_CLASS;
using e2e::SETTINGS_KEY;
using e2e::WinPath;
const char VENDOR_KEY[] = "HKCU\\SOFTWARE\\Kelvara";
const std::string LIST_VIEW = std::to_string(IDC_LIST_VIEW);
const std::string HISTORY_BOX = std::to_string(IDC_LIST_HISTORY);
const char WM_COMMAND_[] = "0x111";
const char WM_SYSCOMMAND_[] = "0x112";
const char SC_CLOSE_[] = "0xF060";
const char DROP_TAG[] = "0x51444C57";  // the window's WM_COPYDATA tag for a dropped batch
enum { CB_GETCURSEL_ = 0x147, CB_SETCURSEL_ = 0x14E, CBN_SELENDOK_ = 9, VK_RETURN_ = 0x0D, VK_ESCAPE_ = 0x1B };

// Twenty seconds of tone: long enough that no track ends while a step of the test looks at the
// current mark.
void WriteTone(const std::string& path) { e2e::WriteWave(path, e2e::Tone(20000, 440.0)); }

class PlaylistWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath())) {
            if (std::getenv("CI")) FAIL() << "Windows build missing: " << DeckExePath();
            SKIP_UNLESS_CI("Windows build missing: " << DeckExePath());
        }
        ASSERT_TRUE(StartRig(&rig));
        // As the installer does: an ordinary settings key, so the layout outlives the wineserver.
        vendorKeyExisted = RunWine(rig, "reg", {"query", VENDOR_KEY}, 60000) == 0;
        ASSERT_TRUE(CreateRegistryKey(rig, SETTINGS_KEY));
        for (const char* name : {"a", "b", "c", "d", "e", "f"}) WriteTone(File(std::string(name) + ".wav"));
    }
    void TearDown() override {
        if (deck > 0) StopProcess(deck);
        if (rig.started) {
            if (!vendorKeyExisted) RunWine(rig, "reg", {"delete", VENDOR_KEY, "/f"}, 60000);
            StopRig(&rig);
        }
    }
    std::string File(const std::string& name) const { return rig.dir + "/" + name; }

    std::string Tool(const std::vector<std::string>& args) { return WintoolAnswer(rig, args); }
    std::string Click(int button) { return Tool({"send", LIST_CLASS, WM_COMMAND_, std::to_string(button), "0"}); }
    std::string Cell(int row, int column) {
        return Tool({"lvtext", LIST_CLASS, LIST_VIEW, std::to_string(row), std::to_string(column)});
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        int count = std::atoi(Tool({"lvcount", LIST_CLASS, LIST_VIEW}).c_str());
        for (int row = 0; row < count; ++row) names.push_back(Cell(row, 1));
        return names;
    }
    std::string Selected() { return Tool({"lvselected", LIST_CLASS, LIST_VIEW}); }
    void OpenWindow() {
        ASSERT_NE(Tool({"send", DECK_CLASS, WM_COMMAND_, std::to_string(CMD_OPEN_PLAYLIST), "0"}), "(failed)");
        ASSERT_TRUE(WaitForVisibleWindow(rig, LIST_CLASS, "", e2e::WAIT_MS));
    }
    void StartDeckWith(const std::vector<std::string>& args, const EnvList& env = {}) {
        deck = StartWine(rig, DeckExePath(), args, env, rig.dir + "/deck.log");
        ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, e2e::START_MS));
    }
    void Shot(const std::string& name) {
        fs::path dir = fs::path(QD_NATIVE_BUILD_DIR) / "screenshots";
        fs::create_directories(dir);
        EXPECT_TRUE(TakeScreenshot(rig, (dir / name).string()));
    }

    // The combo box inside the history box (the one keys go to), as a hex handle.
    std::string HistoryCombo() {
        std::istringstream line(Tool({"windows", "ComboBox", LIST_CLASS}));
        std::string handle;
        line >> handle;
        return handle;
    }
    // The history box is dropped down as its own button does it (CB_SHOWDROPDOWN, which sends
    // the same drop-down notice); Down moves to the next entry, then `key` (VK_RETURN or
    // VK_ESCAPE) closes it. The keys go to the combo box as messages, as the keyboard would
    // deliver them to the focused box: a dropped combo box hands them to its list and rolls up on
    // Return (confirming) or Escape (not). Typing through X races the X keyboard focus, and a
    // real click's button-up, handled late on a loaded machine, can take back the choice the
    // Down key made.
    //
    // The pointer goes to the screen's far corner first. A dropped list follows the pointer: any
    // pointer notice while it lies over the list (Wine sends one when windows change under it)
    // makes the item under it the choice, and the rig's display starts with the pointer in the
    // middle of the screen, where the list may drop.
    void PickInHistory(int key) {
        std::string combo = HistoryCombo();
        ASSERT_NE(combo, "");
        ASSERT_EQ(std::system(("DISPLAY=" + rig.display + " timeout 10 xdotool mousemove 4000 4000").c_str()), 0);
        auto dropped = [&] { return Tool({"sendto", combo, "0x157", "0", "0"}) == "1"; };  // CB_GETDROPPEDSTATE
        auto selected = [&] { return Tool({"sendto", combo, std::to_string(CB_GETCURSEL_), "0", "0"}); };
        Tool({"sendto", combo, "0x14F", "1", "0"});  // CB_SHOWDROPDOWN
        ASSERT_TRUE(e2e::WaitUntil(dropped, e2e::WAIT_MS)) << "the history box did not drop down";
        ASSERT_EQ(selected(), "0");
        Tool({"sendto", combo, "0x100", "0x28", "0"});  // WM_KEYDOWN, VK_DOWN
        ASSERT_TRUE(e2e::WaitUntil([&] { return selected() == "1"; }, e2e::WAIT_MS)) << "Down did not move the choice";
        ASSERT_TRUE(dropped()) << "Down closed the history box";
        Tool({"sendto", combo, "0x100", std::to_string(key), "0"});  // WM_KEYDOWN
        ASSERT_TRUE(e2e::WaitUntil([&] { return !dropped(); }, e2e::WAIT_MS)) << key << " did not close the history box";
        Tool({"send", LIST_CLASS, "0", "0", "0"});  // WM_NULL: the window has handled the keys
    }

    // Wine draws the caption buttons' glyphs from its Marlett font, and shows the letter "r"
    // where it has none. The close glyph is a cross: its ink mirrors onto itself left to right,
    // which an "r" does not. The ink is read from the right end of the title bar, without the
    // long dark lines of the button's and the frame's edges.
    void ExpectCloseGlyphIsACross() {
        int left = 0, top = 0, width = 0, height = 0;
        std::istringstream(Tool({"rect", LIST_CLASS})) >> left >> top >> width >> height;
        const int W = 26, H = 26, DARK = 120, LINE = 10;
        std::string ppm = rig.dir + "/caption.ppm";
        std::string cmd = "timeout 30 import -display " + rig.display + " -window root -crop " + std::to_string(W) +
                          "x" + std::to_string(H) + "+" + std::to_string(left + width - W) + "+" +
                          std::to_string(top) + " -depth 8 " + ppm;
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        std::ifstream f(ppm, std::ios::binary);
        std::string magic;
        int w = 0, h = 0, maxval = 0;
        f >> magic >> w >> h >> maxval;
        f.get();
        ASSERT_TRUE(magic == "P6" && w == W && h == H);
        std::vector<unsigned char> rgb((size_t)W * H * 3);
        f.read((char*)rgb.data(), (std::streamsize)rgb.size());
        std::vector<int> dark((size_t)W * H), rowInk(H), columnInk(W);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const unsigned char* p = &rgb[3 * ((size_t)y * W + x)];
                int d = (p[0] + p[1] + p[2]) / 3 < DARK;
                dark[(size_t)y * W + x] = d, rowInk[y] += d, columnInk[x] += d;
            }
        int x0 = W, x1 = -1, ink = 0;
        auto glyph = [&](int x, int y) { return dark[(size_t)y * W + x] && rowInk[y] < LINE && columnInk[x] < LINE; };
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
                if (glyph(x, y)) x0 = std::min(x0, x), x1 = std::max(x1, x), ++ink;
        ASSERT_GE(ink, 5) << "no glyph on the close button";
        int mirrored = 0;
        for (int y = 0; y < H; ++y)
            for (int x = x0; x <= x1; ++x)
                if (glyph(x, y) && glyph(x0 + x1 - x, y)) ++mirrored;
        EXPECT_GE(mirrored * 10, ink * 8) << "the close glyph is not a cross (" << mirrored << " of " << ink << ")";
    }

    void CloseDeck() {
        ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
        int code = -1;
        EXPECT_TRUE(WaitExit(deck, e2e::WAIT_MS, &code));
        deck = -1;
        EXPECT_EQ(code, 0);
    }

    Rig rig;
    pid_t deck = -1;
    bool vendorKeyExisted = false;
};

TEST_F(PlaylistWindow, OpensEditsTakesDropsFollowsTheHistoryAndKeepsItsPlace) {
    ASSERT_NO_FATAL_FAILURE(StartDeckWith({WinPath(File("a.wav")), WinPath(File("b.wav")), WinPath(File("c.wav"))}));
    ASSERT_NO_FATAL_FAILURE(OpenWindow());

    EXPECT_EQ(Tool({"title", LIST_CLASS}), "Quaverly Deck Play List - No Name");
    ExpectCloseGlyphIsACross();
    const char* headers[] = {"Track number", "File name", "Time", "Title"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(Tool({"lvheader", LIST_CLASS, LIST_VIEW, std::to_string(c)}), headers[c]);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(Cell(2, 0), "003");

    // Up on the first row sends it to the end, Down on the last back to the top; the selection
    // follows the entry.
    ASSERT_EQ(Tool({"lvselect", LIST_CLASS, LIST_VIEW, "0"}), "");
    ASSERT_EQ(Selected(), "0") << "the first row did not take the selection";
    Click(IDC_LIST_UP);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.wav", "c.wav", "a.wav"}));
    EXPECT_EQ(Selected(), "2");
    Click(IDC_LIST_DOWN);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(Selected(), "0");
    Tool({"lvselect", LIST_CLASS, LIST_VIEW, "1"});
    Click(IDC_LIST_DOWN);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "c.wav", "b.wav"}));
    EXPECT_EQ(Cell(1, 2), "000:20");  // the entries a move touches are probed at once

    // Delete takes the selected entry; the last one leaves the new last row selected.
    Click(IDC_LIST_DELETE);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "c.wav"}));
    EXPECT_EQ(Selected(), "1");

    // Three dropped files are added in order and the first of them is selected. Their times are
    // probed, one at once when the user selects its row, the others in the background; none of
    // that takes the focus from where the user is: a box dropped down before stays open.
    std::string combo = HistoryCombo();
    ASSERT_NE(combo, "");
    Tool({"sendto", combo, "0x14F", "1", "0"});  // CB_SHOWDROPDOWN
    ASSERT_EQ(Tool({"sendto", combo, "0x157", "0", "0"}), "1");  // CB_GETDROPPEDSTATE
    EXPECT_EQ(Tool({"copylist", LIST_CLASS, DROP_TAG, WinPath(File("d.wav")), WinPath(File("e.wav")),
                    WinPath(File("f.wav"))}),
              "1");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "c.wav", "d.wav", "e.wav", "f.wav"}));
    EXPECT_EQ(Selected(), "2");
    Tool({"lvselect", LIST_CLASS, LIST_VIEW, "4"});
    EXPECT_EQ(Cell(4, 2), "000:20");
    EXPECT_TRUE(e2e::WaitUntil([&] { return Cell(2, 2) == "000:20" && Cell(3, 2) == "000:20"; }, e2e::WAIT_MS));
    EXPECT_EQ(Tool({"sendto", combo, "0x157", "0", "0"}), "1") << "probing took the focus: the box rolled up";
    Tool({"sendto", combo, "0x14F", "0", "0"});

    // Clear empties the window with the list.
    Click(IDC_LIST_CLEAR);
    EXPECT_EQ(Tool({"lvcount", LIST_CLASS, LIST_VIEW}), "0");

    // Two list files into the history; picking the older one from the box loads it.
    std::ofstream(File("Party.spl"), std::ios::binary)
        << ";PARTY.SPL\r\n\"" + WinPath(File("a.wav")) + "\"\r\n\"" + WinPath(File("b.wav")) + "\"\r\n";
    std::ofstream(File("Other.spl"), std::ios::binary) << ";OTHER.SPL\r\n\"" + WinPath(File("c.wav")) + "\"\r\n";
    Tool({"copylist", LIST_CLASS, DROP_TAG, WinPath(File("Party.spl"))});
    EXPECT_EQ(Tool({"title", LIST_CLASS}), "Quaverly Deck Play List - " + WinPath(File("Party.spl")));
    Click(IDC_LIST_CLEAR);
    Tool({"copylist", LIST_CLASS, DROP_TAG, WinPath(File("Other.spl"))});
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.wav"}));
    EXPECT_EQ(Tool({"cbtext", LIST_CLASS, HISTORY_BOX, "0"}), "Other");
    EXPECT_EQ(Tool({"cbtext", LIST_CLASS, HISTORY_BOX, "1"}), "Party");
    // The arrow keys move the closed box's selection without confirming it (Wine confirms it
    // anyway): the box goes back to the open list, and no list is opened.
    ASSERT_NE(HistoryCombo(), "");
    Tool({"sendto", HistoryCombo(), "0x100", "0x28", "0"});  // WM_KEYDOWN, VK_DOWN
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.wav"}));
    EXPECT_EQ(Tool({"sendchild", LIST_CLASS, HISTORY_BOX, std::to_string(CB_GETCURSEL_), "0", "0"}), "0");
    // So does a choice the user leaves with Escape, and a confirmation sent while it is closed.
    ASSERT_NO_FATAL_FAILURE(PickInHistory(VK_ESCAPE_));
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.wav"}));
    Tool({"sendchild", LIST_CLASS, HISTORY_BOX, std::to_string(CB_SETCURSEL_), "1", "0"});
    Tool({"send", LIST_CLASS, WM_COMMAND_, std::to_string((CBN_SELENDOK_ << 16) | IDC_LIST_HISTORY), "0"});
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.wav"}));
    EXPECT_EQ(Tool({"sendchild", LIST_CLASS, HISTORY_BOX, std::to_string(CB_GETCURSEL_), "0", "0"}), "0");
    // Down and Enter in the open drop-down choose the older list: that opens it.
    ASSERT_NO_FATAL_FAILURE(PickInHistory(VK_RETURN_));
    e2e::WaitUntil([&] { return Names() == std::vector<std::string>{"a.wav", "b.wav"}; }, e2e::WAIT_MS);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(Tool({"title", LIST_CLASS}), "Quaverly Deck Play List - " + WinPath(File("Party.spl")));
    EXPECT_EQ(Tool({"cbtext", LIST_CLASS, HISTORY_BOX, "0"}), "Party");  // now the most recent

    // Enter on a row plays it: the deck's current mark (image 0) moves there.
    for (const char* row : {"0", "1"}) {
        Tool({"lvselect", LIST_CLASS, LIST_VIEW, row});
        Tool({"sendchild", LIST_CLASS, LIST_VIEW, "0x100", "0x0D", "0"});  // WM_KEYDOWN, VK_RETURN
        EXPECT_EQ(Tool({"lvimage", LIST_CLASS, LIST_VIEW, row}), "0") << row;
        EXPECT_NE(Tool({"lvimage", LIST_CLASS, LIST_VIEW, row[0] == '0' ? "1" : "0"}), "0") << row;
    }
    Shot("playlist_window_en.png");

    // A plain close message does nothing; the system menu's Close does. Reopened, the window
    // is where and as large as it was left.
    ASSERT_EQ(Tool({"move", LIST_CLASS, "50", "60", "520", "400"}), "");
    Tool({"send", LIST_CLASS, "0x10", "0", "0"});
    EXPECT_EQ(CountWindows(rig, LIST_CLASS, ""), 1);
    Tool({"send", LIST_CLASS, WM_SYSCOMMAND_, SC_CLOSE_, "0"});
    EXPECT_EQ(CountWindows(rig, LIST_CLASS, ""), 0);
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    EXPECT_EQ(Tool({"rect", LIST_CLASS}), "50 60 520 400");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "b.wav"}));
    // Opening again raises the open window, restoring it when minimised, instead of making a
    // second one.
    Tool({"send", LIST_CLASS, WM_SYSCOMMAND_, "0xF020", "0"});  // SC_MINIMIZE
    EXPECT_EQ(IsWindowIconic(rig, LIST_CLASS), 1);
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    EXPECT_EQ(CountWindows(rig, LIST_CLASS, ""), 1);
    EXPECT_EQ(IsWindowIconic(rig, LIST_CLASS), 0);
    EXPECT_EQ(Tool({"rect", LIST_CLASS}), "50 60 520 400");

    // The next run of the deck opens it there too.
    ASSERT_NO_FATAL_FAILURE(CloseDeck());
    std::string left;
    EXPECT_TRUE(ReadRegistryValue(rig, SETTINGS_KEY, "Xo_List", &left));
    EXPECT_EQ(left, "0x32");
    ASSERT_NO_FATAL_FAILURE(StartDeckWith({}));
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    EXPECT_EQ(Tool({"rect", LIST_CLASS}), "50 60 520 400");
    ASSERT_NO_FATAL_FAILURE(CloseDeck());
}

TEST_F(PlaylistWindow, JapaneseHeadersAndScreenshot) {
    EnvList japanese = JapaneseEnv(rig);
    if (japanese.empty()) {
        if (std::getenv("CI")) FAIL() << "no Japanese locale";
        SKIP_UNLESS_CI("no Japanese locale");
    }
    ASSERT_NO_FATAL_FAILURE(StartDeckWith({WinPath(File("a.wav")), WinPath(File("b.wav"))}, japanese));
    ASSERT_NO_FATAL_FAILURE(OpenWindow());
    // wintool reads ANSI text in its own code page: it runs Japanese too.
    std::string out = WintoolAnswer(rig, {"lvheader", LIST_CLASS, LIST_VIEW, "0"}, japanese);
    EXPECT_NE(out.find("トラック番号"), std::string::npos) << out;
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "b.wav"}));
    Shot("playlist_window_ja.png");
    ASSERT_NO_FATAL_FAILURE(CloseDeck());
}

}  // namespace
