// The deck beside the test selector (Pindaro.exe) under Wine, observed from outside: docking at a
// "/DOCKING" start, following the selector's requests and moves, the magnet after a drop, undocking
// at close, the About box's version read back from its controls, and the Japanese interface.
#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include <gtest/gtest.h>
#include "resources/resource.h"
#include "tool_skip.h"
#include <sstream>

namespace {
using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::START_MS;
using e2e::WaitUntil;
const char SELECTOR_CLASS[] = "Vornex_Selector";
const int EXIT_MS = e2e::WAIT_MS;
const int DECK_W = 400, DECK_H = 105;  // normal face, single size (a fresh prefix's layout)
const unsigned WM_LBUTTONDOWN = 0x201, WM_LBUTTONUP = 0x202, WM_LBUTTONDBLCLK = 0x203;
const unsigned CTL_DOCK = 0x8001, CTL_MOVE = 0x8002;  // the test selector's own steering messages
// Double-click places on the normal face (display/face_layout.cpp): the time digits open About,
// the badge asks about the web page.
const int64_t VERSION_AREA = (45 << 16) | 240;  // the time display: About
const int64_t NAME_AREA = (55 << 16) | 45;      // the badge: web information

class Docking : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath()) || !PathExists(SelectorExePath()))
            SKIP_UNLESS_CI("Windows build missing: " << DeckExePath());
    }
    void TearDown() override {
        for (pid_t p : started) StopProcess(p);
        StopRig(&rig);
    }
    pid_t StartSelector(int left, int top) {
        logPath = rig.dir + "/selector.log";
        pid_t p = StartWine(rig, SelectorExePath(),
                            {"/LOG=Z:" + logPath, "/AT=" + std::to_string(left) + "," + std::to_string(top)});
        started.push_back(p);
        return p;
    }
    pid_t Start(const std::vector<std::string>& args, const EnvList& env = {}) {
        pid_t p = StartDeck(rig, args, env);
        started.push_back(p);
        return p;
    }
    // Whether the selector logged the line (one message: "<msg> <lParam> deck"), waiting a little
    // for messages still under way.
    bool Logged(const std::string& line) { return WaitUntil([&] { return CountLogged(line) > 0; }, e2e::WAIT_MS); }
    int CountLogged(const std::string& line) {
        std::istringstream in(ReadTextFile(logPath));
        int n = 0;
        for (std::string l; std::getline(in, l);) n += l == line;
        return n;
    }
    // The deck's left and top once it got there (bounded poll); the last seen place otherwise.
    ScreenRect DeckAt(int left, int top) {
        ScreenRect r = {-9999, -9999, 0, 0};
        WaitUntil([&] { return GetWindowPlace(rig, DECK_CLASS, &r) && r.left == left && r.top == top; }, e2e::WAIT_MS);
        return r;
    }
    // A screenshot once the screen has settled (two shots in a row alike): the About box's logo
    // dissolves in first.
    void SteadyScreenshot(const std::string& path) {
        std::string last;
        EXPECT_TRUE(WaitUntil([&] {
            std::string now = TakeScreenshot(rig, path) ? ReadTextFile(path) : "";
            bool same = !now.empty() && now == last;
            last = now;
            return same;
        }, e2e::WAIT_MS, 200));
    }
    Rig rig;
    std::string logPath;
    std::vector<pid_t> started;
};

TEST_F(Docking, TheDeckDocksFollowsTheSelectorSnapsOnByMagnetAndUndocksAtClose) {
    ASSERT_TRUE(StartRig(&rig));
    StartSelector(400, 400);
    ASSERT_TRUE(WaitForWindow(rig, SELECTOR_CLASS, "", START_MS));
    pid_t deck = Start({"/DOCKING"});
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));

    // Started with the switch: above the selector, left edges aligned, and the selector told.
    ScreenRect r = DeckAt(400, 400 - DECK_H);
    EXPECT_EQ(400, r.left);
    EXPECT_EQ(400, r.bottom);
    EXPECT_TRUE(Logged("1024 4 deck"));
    EXPECT_TRUE(Logged("1025 1 deck"));  // its size factor, then the question for the selector's
    EXPECT_TRUE(Logged("1026 0 deck"));
    EXPECT_TRUE(Logged("1027 0 deck"));

    // The selector docks on the deck's right: the deck goes to the selector's left.
    ASSERT_TRUE(SendWindowMessage(rig, SELECTOR_CLASS, CTL_DOCK, 1, 0, nullptr));
    r = DeckAt(400 - DECK_W, 400);
    EXPECT_EQ(400 - DECK_W, r.left);
    EXPECT_EQ(400, r.top);

    // Moving the selector moves the deck with it.
    ASSERT_TRUE(SendWindowMessage(rig, SELECTOR_CLASS, CTL_MOVE, 600, 500, nullptr));
    r = DeckAt(600 - DECK_W, 500);
    EXPECT_EQ(600 - DECK_W, r.left);
    EXPECT_EQ(500, r.top);

    // Undocked by the selector, the deck dropped 20 px above it (a click on the face ends the
    // drag) is pulled onto its top edge, left edges aligned, and reports side 4.
    ASSERT_TRUE(SendWindowMessage(rig, SELECTOR_CLASS, CTL_DOCK, 0, 0, nullptr));
    ASSERT_TRUE(MoveWindowTo(rig, DECK_CLASS, 630, 500 - DECK_H - 20));
    int before = CountLogged("1024 4 deck");
    ASSERT_TRUE(PostWindowMessage(rig, DECK_CLASS, WM_LBUTTONDOWN, 1, (10 << 16) | 10));
    ASSERT_TRUE(PostWindowMessage(rig, DECK_CLASS, WM_LBUTTONUP, 0, (10 << 16) | 10));
    r = DeckAt(600, 500 - DECK_H);
    EXPECT_EQ(600, r.left);
    EXPECT_EQ(500, r.bottom);
    WaitUntil([&] { return CountLogged("1024 4 deck") > before; }, e2e::WAIT_MS);
    EXPECT_EQ(before + 1, CountLogged("1024 4 deck"));

    // An input change is announced.
    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, e2e::WM_COMMAND_, CMD_INPUT_IN2, 0, nullptr));
    EXPECT_TRUE(Logged("1029 0 deck"));

    // Closing the deck undocks.
    int undocks = CountLogged("1024 0 deck");
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    int code = -1;
    ASSERT_TRUE(WaitExit(deck, EXIT_MS, &code));
    EXPECT_EQ(0, code);
    EXPECT_EQ(undocks + 1, CountLogged("1024 0 deck"));
}

TEST_F(Docking, AboutShowsTheVersionRecordAndTheInterfaceFollowsAJapaneseSystem) {
    ASSERT_TRUE(StartRig(&rig));
    pid_t deck = Start({});
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    ASSERT_TRUE(PostWindowMessage(rig, DECK_CLASS, WM_LBUTTONDBLCLK, 1, VERSION_AREA));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(
        rig, "About Quaverly Deck",
        std::string("Ver.") + DECK_VERSION_TEXT + "\\nCopyright (C) 2026 Kelvara. All rights reserved.", START_MS,
        &box));
    SteadyScreenshot(rig.dir + "/about.png");
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    int code = -1;
    ASSERT_TRUE(WaitExit(deck, EXIT_MS, &code));

    EnvList japanese = JapaneseEnv(rig);
    if (japanese.empty()) SKIP_UNLESS_CI("no ja_JP locale can be built here");
    deck = Start({}, japanese);
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    ASSERT_TRUE(PostWindowMessage(rig, DECK_CLASS, WM_LBUTTONDBLCLK, 1, NAME_AREA));
    ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE, "Kelvara のホームページへ移動します。", START_MS, &box));
    ASSERT_TRUE(PressMessageBox(rig, box, "No"));
    ASSERT_TRUE(PostWindowMessage(rig, DECK_CLASS, WM_LBUTTONDBLCLK, 1, VERSION_AREA));
    ASSERT_TRUE(WaitForMessageBox(
        rig, "Quaverly Deck のバージョン情報",
        std::string("Ver.") + DECK_VERSION_TEXT + "\\nCopyright (C) 2026 Kelvara. 無断転載禁止", START_MS, &box));
    SteadyScreenshot(rig.dir + "/about-ja.png");  // for a look at the fonts
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    ASSERT_TRUE(WaitExit(deck, EXIT_MS, &code));
    EXPECT_EQ(0, code);
}
}  // namespace
