// The deck's controls under Wine, driven with a real mouse and keyboard on the rig's display
// (xdotool) and observed from outside: the right-click menu and its check marks (read from the
// screen), menu items and accelerators reaching their commands, and the sliders following the
// face's mode and size.
#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "hardware/slider.h"
#include <gtest/gtest.h>
#include "tool_skip.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

namespace {
using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::SETTINGS_KEY;
using e2e::START_MS;
using e2e::WAIT_MS;
using e2e::WaitUntil;
const char MENU_CLASS[] = "#32768";
const char SLIDER_CLASS[] = "USB_AUDIO_SLIDER";
const int EXIT_MS = e2e::WAIT_MS;
const int FACE_SPOT_X = 100, FACE_SPOT_Y = 50;  // an empty spot of the face at either size

struct Win {
    int id = 0, visible = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};

class DeckControls : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath()))
            SKIP_UNLESS_CI("Windows build missing: " << DeckExePath());
        if (std::system("command -v xdotool >/dev/null && command -v import >/dev/null") != 0)
            SKIP_UNLESS_CI("xdotool or ImageMagick missing");
        ASSERT_TRUE(StartRig(&rig));
        ForgetLayout();
    }
    void Start(const std::vector<std::string>& args) {
        deck = StartDeck(rig, args);
        ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    }
    // Ten seconds of a quiet 440 Hz tone as 16-bit stereo WAVE; the deck's path for it.
    std::string WriteTone() {
        std::string path = rig.dir + "/tone.wav";
        std::vector<int16_t> pcm = e2e::Tone(10000, 440.0);
        for (int16_t& v : pcm) v /= 4;
        e2e::WriteWave(path, pcm);
        return e2e::WinPath(path);
    }
    void TearDown() override {
        if (deck > 0) StopProcess(deck);
        if (rig.started) ForgetLayout();
        StopRig(&rig);
    }
    // The prefix is shared with the other end-to-end tests: each test starts from the default
    // face and leaves it so, whatever an earlier run stored.
    void ForgetLayout() {
        for (const char* value : {"Mag", "Mode", "Top"})
            RunWine(rig, "reg", {"delete", SETTINGS_KEY, "/v", value, "/f"}, 60000);
    }

    // The mouse and keyboard of the rig's display, e.g. "key alt+i".
    void Xdo(const std::string& args) {
        std::string cmd = "DISPLAY=" + rig.display + " timeout 10 xdotool " + args;
        ASSERT_EQ(0, std::system(cmd.c_str())) << cmd;
    }
    // Waits until the X keyboard focus is on the deck (Wine's window carries its title), so that
    // keys typed next reach it and not the window that had the focus before.
    void WaitForDeckFocus() {
        std::string cmd = "DISPLAY=" + rig.display + " timeout 10 xdotool getwindowfocus getwindowname 2>/dev/null";
        EXPECT_TRUE(WaitUntil([&] {
            std::string name;
            if (FILE* p = popen(cmd.c_str(), "r")) {
                char line[256];
                while (std::fgets(line, sizeof line, p)) name += line;
                pclose(p);
            }
            return name == std::string(DECK_TITLE) + "\n";
        }, WAIT_MS)) << "the deck never got the keyboard focus";
    }
    // Keys for the deck, e.g. "alt+i".
    void Keys(const std::string& keys) {
        WaitForDeckFocus();
        Xdo("key " + keys);
    }
    // A click activates the deck first, as a user's would.
    void RightClickFace() { RightClickAt(std::to_string(FACE_SPOT_X) + " " + std::to_string(FACE_SPOT_Y)); }
    void RightClickAt(const std::string& point) {
        Xdo("mousemove " + point + " click 1");
        WaitForDeckFocus();
        Xdo("click 3");
    }

    // Top-level windows of a class, or its children inside the deck.
    std::vector<Win> Windows(const std::string& cls, bool children) {
        std::string out;
        std::vector<std::string> args = {"windows", cls};
        if (children) args.push_back(DECK_CLASS);
        RunWine(rig, WintoolExePath(), args, 20000, &out);
        std::vector<Win> found;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            Win w;
            std::string handle;
            std::istringstream f(line);
            if (f >> handle >> w.id >> w.visible >> w.left >> w.top >> w.right >> w.bottom) found.push_back(w);
        }
        return found;
    }
    bool WaitForMenu(bool open, Win* menuOut = nullptr) {
        return WaitUntil([&] {
            for (const Win& w : Windows(MENU_CLASS, false))
                if (w.visible) {
                    if (menuOut) *menuOut = w;
                    return open;
                }
            return !open;
        }, WAIT_MS);
    }
    Win Slider(int id) {
        for (const Win& w : Windows(SLIDER_CLASS, true))
            if (w.id == id) return w;
        return Win();
    }
    Win DeckWindow() {
        std::vector<Win> w = Windows(DECK_CLASS, false);
        return w.empty() ? Win() : w[0];
    }
    // A rectangle of the screen as grey levels 0..255, row by row; empty when it cannot be read.
    std::vector<int> Grab(int left, int top, int width, int height) {
        std::string ppm = rig.dir + "/grab.ppm";
        char crop[64];
        std::snprintf(crop, sizeof crop, "%dx%d+%d+%d", width, height, left, top);
        std::string cmd =
            "timeout 30 import -display " + rig.display + " -window root -crop " + crop + " -depth 8 " + ppm;
        if (std::system(cmd.c_str()) != 0) return {};
        std::ifstream f(ppm, std::ios::binary);
        std::string magic;
        int w = 0, h = 0, maxval = 0;
        f >> magic >> w >> h >> maxval;
        f.get();
        if (magic != "P6" || maxval != 255 || w != width || h != height) return {};
        std::vector<unsigned char> rgb((size_t)w * h * 3);
        f.read((char*)rgb.data(), (std::streamsize)rgb.size());
        std::vector<int> grey((size_t)w * h);
        for (size_t i = 0; i < grey.size(); ++i) grey[i] = (rgb[i * 3] + rgb[i * 3 + 1] + rgb[i * 3 + 2]) / 3;
        return grey;
    }

    // The rows of the menu's check-mark column that hold dark pixels, grouped into marks: the
    // y of each mark's centre, from the menu's top. Item texts start right of the column.
    std::vector<int> CheckMarks(const Win& menu) {
        const int COLUMN_X0 = 3, COLUMN_W = 16, DARK = 100;
        int h = menu.bottom - menu.top;
        std::vector<int> grey = Grab(menu.left, menu.top, COLUMN_W, h);
        if (grey.empty()) return {};
        std::vector<int> marks;
        int start = -1;
        for (int y = 0; y <= h; ++y) {
            bool dark = false;
            for (int x = COLUMN_X0; y < h && x < COLUMN_W; ++x) dark = dark || grey[(size_t)y * COLUMN_W + x] < DARK;
            if (dark && start < 0) start = y;
            if (!dark && start >= 0) {
                marks.push_back((start + y - 1) / 2);
                start = -1;
            }
        }
        return marks;
    }

    // Where a slider's thumb is drawn: the column, from the slider's left, that is brightest on
    // average (the thumb is the light tile on a dark strip); -1 when the screen cannot be read.
    int ThumbColumn(const Win& s) {
        int w = s.right - s.left, h = s.bottom - s.top;
        std::vector<int> grey = Grab(s.left, s.top, w, h);
        if (grey.empty()) return -1;
        int best = -1, bestSum = -1;
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int y = 0; y < h; ++y) sum += grey[(size_t)y * w + x];
            if (sum > bestSum) bestSum = sum, best = x;
        }
        return best;
    }

    Rig rig;
    pid_t deck = -1;
};

TEST_F(DeckControls, TheRightClickMenuShowsItsChecksAndItsItemsActOnTheDeck) {
    Start({});
    // Fresh settings and no device: power off (as read from the absent device) is the only check.
    RightClickFace();
    Win menu;
    ASSERT_TRUE(WaitForMenu(true, &menu));
    std::vector<int> marks = CheckMarks(menu);
    ASSERT_EQ(1u, marks.size());
    EXPECT_LT(marks[0], 25) << "the first item";

    // "Double size(&D)" by its key: the face and the sliders double.
    Keys("d");
    ASSERT_TRUE(WaitForMenu(false));
    ASSERT_TRUE(WaitUntil([&] { return DeckWindow().right - DeckWindow().left == 800; }, WAIT_MS));
    Win volume = Slider(IDC_SLIDER_VOLUME), position = Slider(IDC_SLIDER_POSITION);
    EXPECT_EQ(306, volume.left - DeckWindow().left);
    EXPECT_EQ(228, volume.right - volume.left);
    EXPECT_EQ(18, volume.bottom - volume.top);
    EXPECT_EQ(272, position.right - position.left);
    EXPECT_GT(ThumbColumn(volume), 228 - 16) << "the same tiles, scaled";

    // Now checked too, four rows and a separator below the first.
    RightClickFace();
    ASSERT_TRUE(WaitForMenu(true, &menu));
    marks = CheckMarks(menu);
    ASSERT_EQ(2u, marks.size());
    EXPECT_GT(marks[1] - marks[0], 50);
    EXPECT_LT(marks[1] - marks[0], 70) << "not the next item, Always on top";
    Keys("Escape");
    ASSERT_TRUE(WaitForMenu(false));

    // The size is the user's: it is stored when the deck closes.
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    int code = -1;
    ASSERT_TRUE(WaitExit(deck, EXIT_MS, &code));
    EXPECT_EQ(0, code) << "the deck ended cleanly";
    deck = -1;
    std::string mag;
    ASSERT_TRUE(ReadRegistryValue(rig, SETTINGS_KEY, "Mag", &mag));
    EXPECT_EQ("0x2", mag);
}

// A face changed in mode or size looks exactly like the same face composed afresh on the deck's
// redraw request: nothing of the old layout (a slider drawn at its old place) stays behind.
TEST_F(DeckControls, AChangedFaceLooksLikeTheSameFaceComposedAfresh) {
    Start({});
    int mode = 0, mag = 1;
    // A face point in screen pixels.
    auto at = [&](int x, int y) {
        Win d = DeckWindow();
        return std::to_string(d.left + x * mag) + " " + std::to_string(d.top + y * mag);
    };
    // The face's pixels once two grabs in a row agree (the mouse is off the deck, so no tooltip).
    auto steadyFace = [&] {
        Xdo("mousemove 1000 700");
        Win d = DeckWindow();
        std::vector<int> last, now;
        WaitUntil([&] {
            now = Grab(d.left, d.top, d.right - d.left, d.bottom - d.top);
            bool same = !now.empty() && now == last;
            last = now;
            return same;
        }, WAIT_MS, 200);
        return now;
    };
    struct Change {
        bool size;  // else the mode
        const char* name;
    } changes[] = {
        {true, "normal: to double size"}, {false, "double: to thin"},    {true, "thin: to single size"},
        {false, "single: to normal"},     {false, "single: to thin"},    {true, "thin: to double size"},
        {false, "double: to normal"},     {true, "normal: to single size"},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        if (c.size) {  // from the right-click menu, on an empty spot (beside Repeat in the thin face)
            RightClickAt(mode ? at(316, 10) : at(100 / mag, 50 / mag));
            ASSERT_TRUE(WaitForMenu(true));
            Keys("d");
            ASSERT_TRUE(WaitForMenu(false));
            mag = 3 - mag;
        } else {  // the Normal/Thin mode key (after Alt+X Wine draws its system-menu icon on the face)
            Xdo("mousemove " + (mode ? at(386, 10) : at(384, 16)) + " click 1");
            mode = 1 - mode;
        }
        ASSERT_TRUE(WaitUntil([&] {
            Win d = DeckWindow();
            return d.right - d.left == 400 * mag && d.bottom - d.top == (mode ? 20 : 105) * mag;
        }, WAIT_MS));
        std::vector<int> changed = steadyFace();
        ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, DECK_MSG_REDRAW_FACE, 0, 0, nullptr));
        std::vector<int> composed = steadyFace();
        ASSERT_FALSE(changed.empty());
        ASSERT_EQ(changed.size(), composed.size());
        Win d = DeckWindow();
        int w = d.right - d.left, differ = 0, x0 = w, y0 = 1 << 20, x1 = -1, y1 = -1;
        for (size_t i = 0; i < changed.size(); ++i)
            if (changed[i] != composed[i]) {
                int x = (int)i % w, y = (int)i / w;
                ++differ, x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
        EXPECT_EQ(differ, 0) << "pixels that only a full redraw puts right, within " << x0 << "," << y0 << " - " << x1
                             << "," << y1;
    }
}

TEST_F(DeckControls, AcceleratorsAndSlidersFollowTheUser) {
    Start({WriteTone()});
    Win volume = Slider(IDC_SLIDER_VOLUME), position = Slider(IDC_SLIDER_POSITION);
    ASSERT_TRUE(volume.visible && position.visible);
    EXPECT_EQ(153, volume.left - DeckWindow().left);
    EXPECT_EQ(57, volume.top - DeckWindow().top);
    EXPECT_EQ(114, volume.right - volume.left);
    EXPECT_EQ(131, position.left - DeckWindow().left);
    EXPECT_EQ(136, position.right - position.left);
    // The tone from the command line plays at once; Stop winds it back to its start.
    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, e2e::WM_COMMAND_, CMD_STOP, 0, nullptr));
    WaitUntil([&] { return ThumbColumn(position) >= 0 && ThumbColumn(position) < 8; }, WAIT_MS);
    // Drawn from their tiles: full volume (no mixer line the deck may use under Wine) puts the
    // volume thumb at the right end, the stopped track's start puts the position thumb at the left.
    EXPECT_GT(ThumbColumn(volume), 114 - 8);
    EXPECT_GE(ThumbColumn(position), 0);
    EXPECT_LT(ThumbColumn(position), 8);

    // Both sliders taken with the real mouse: the volume dragged past its right end, the
    // position from its left end to the middle of the strip.
    // The volume thumb stays at full volume (there is no mixer line to follow); the position drag
    // goes on once its thumb has followed the first step.
    int y = (volume.top + volume.bottom) / 2;
    Xdo("mousemove " + std::to_string(volume.left + 2) + " " + std::to_string(y) + " mousedown 1");
    Xdo("mousemove " + std::to_string(volume.left + 50) + " " + std::to_string(y) + " mousemove " +
        std::to_string(volume.right + 20) + " " + std::to_string(y) + " mouseup 1");
    y = (position.top + position.bottom) / 2;
    Xdo("mousemove " + std::to_string(position.left + 2) + " " + std::to_string(y) + " mousedown 1");
    Xdo("mousemove " + std::to_string(position.left + 30) + " " + std::to_string(y));
    EXPECT_TRUE(WaitUntil([&] { return ThumbColumn(position) >= 8; }, WAIT_MS)) << "the position thumb follows";
    Xdo("mousemove " + std::to_string((position.left + position.right) / 2) + " " + std::to_string(y) + " mouseup 1");
    WaitUntil([&] { return std::abs(ThumbColumn(position) - 136 / 2) < 10; }, WAIT_MS);
    int64_t result = -1;
    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, 0 /* WM_NULL */, 0, 0, &result));
    // The position drag went to the deck: the cued tone was wound to its middle, where the
    // position thumb now stays (it would follow the play position otherwise).
    int column = ThumbColumn(position);
    EXPECT_GT(column, 136 / 2 - 12);
    EXPECT_LT(column, 136 / 2 + 6);

    // Alt+X: the thin face hides both sliders; again: normal face, both back.
    Xdo("mousemove " + std::to_string(FACE_SPOT_X) + " " + std::to_string(FACE_SPOT_Y) + " click 1");
    Keys("alt+x");
    EXPECT_TRUE(WaitUntil([&] { return !Slider(IDC_SLIDER_VOLUME).visible && !Slider(IDC_SLIDER_POSITION).visible; }, WAIT_MS)) << "thin face";
    Keys("alt+x");
    EXPECT_TRUE(WaitUntil([&] { return Slider(IDC_SLIDER_VOLUME).visible && Slider(IDC_SLIDER_POSITION).visible; }, WAIT_MS)) << "normal face";

    // Alt+I iconizes the deck, as the Iconize button's tooltip says.
    Keys("alt+i");
    EXPECT_TRUE(WaitUntil([&] { return IsWindowIconic(rig, DECK_CLASS) == 1; }, WAIT_MS));
}
}  // namespace
