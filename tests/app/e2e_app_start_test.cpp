// Start and end of the deck under Wine: the first start shows the main window, a second start
// raises it and exits, files of a second start are handed over one message each, a start
// without any sound device reports its error number and leaves the stored settings alone, and
// an idle deck closes with code 0.
#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include <gtest/gtest.h>
#include "tool_skip.h"
#include <sys/stat.h>
#include <fstream>

namespace {
using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::SETTINGS_KEY;
using e2e::START_MS;
const int EXIT_MS = e2e::WAIT_MS;

class DeckStart : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PathExists(DeckExePath()) || !PathExists(WintoolExePath()))
            SKIP_UNLESS_CI("Windows build missing: " << DeckExePath());
    }
    void TearDown() override {
        for (pid_t p : started) StopProcess(p);
        StopRig(&rig);
    }
    pid_t Start(const std::vector<std::string>& args) {
        pid_t p = StartDeck(rig, args);
        started.push_back(p);
        return p;
    }
    Rig rig;
    std::vector<pid_t> started;
};

TEST_F(DeckStart, FirstStartShowsTheDeckAndASecondStartOnlyRaisesIt) {
    ASSERT_TRUE(StartRig(&rig));
    pid_t first = Start({});
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    EXPECT_EQ(1, CountWindows(rig, DECK_CLASS, DECK_TITLE));
    std::string shot = rig.dir + "/deck.png";
    EXPECT_TRUE(TakeScreenshot(rig, shot));

    // Minimized, it is restored by the second start, which then ends without a window of its own.
    const unsigned WM_SYSCOMMAND = 0x112, SC_MINIMIZE = 0xF020;
    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, WM_SYSCOMMAND, SC_MINIMIZE, 0, nullptr));
    ASSERT_EQ(1, IsWindowIconic(rig, DECK_CLASS));
    pid_t second = Start({});
    int code = -1;
    ASSERT_TRUE(WaitExit(second, EXIT_MS, &code));
    EXPECT_EQ(0, code);
    EXPECT_EQ(1, CountWindows(rig, DECK_CLASS, DECK_TITLE));
    EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowIconic(rig, DECK_CLASS) == 0; }, e2e::WAIT_MS)) << "restored";

    // Closing an idle deck ends it with code 0.
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    ASSERT_TRUE(WaitExit(first, EXIT_MS, &code));
    EXPECT_EQ(0, code);
    EXPECT_EQ(0, CountWindows(rig, DECK_CLASS, ""));
}

TEST_F(DeckStart, AnIdleDeckAllowsSuspendAndEndsWithTheSession) {
    ASSERT_TRUE(StartRig(&rig));
    pid_t deck = Start({});
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    const unsigned WM_QUERYENDSESSION = 0x11, WM_POWERBROADCAST = 0x218, PBT_APMQUERYSUSPEND = 0;
    int64_t result = -1;
    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0, &result));
    EXPECT_EQ(0, result) << "suspend allowed";
    ASSERT_TRUE(SendWindowMessage(rig, DECK_CLASS, WM_QUERYENDSESSION, 0, 0, &result));
    EXPECT_EQ(1, result) << "end of session allowed";
    int code = -1;
    ASSERT_TRUE(WaitExit(deck, EXIT_MS, &code)) << "the deck tears itself down";
    EXPECT_EQ(0, code);
}

TEST_F(DeckStart, FilesOfASecondStartAreHandedOverOneByOne) {
    ASSERT_TRUE(StartRig(&rig));
    std::string log = rig.dir + "/handoff.log";
    pid_t fake = StartWine(rig, WintoolExePath(), {"fakedeck", log, "600000"});
    started.push_back(fake);
    ASSERT_TRUE(WaitForFile(log, START_MS, 6));  // "ready\n"

    pid_t second = Start(
        {"/DOCKING", "C:\\music\\one.wav", "/other", "c:\\x\\movello.exe", "D:\\two.mp3", "Z:\\tmp\\three four.mid"});
    int code = -1;
    ASSERT_TRUE(WaitExit(second, EXIT_MS, &code));
    EXPECT_EQ(0, code);
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    ASSERT_TRUE(WaitExit(fake, EXIT_MS, &code));

    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    ASSERT_EQ(4u, lines.size()) << ReadTextFile(log);
    EXPECT_EQ("ready", lines[0]);
    EXPECT_EQ("1\t17\tC:\\music\\one.wav\tzero", lines[1]);
    EXPECT_EQ("0\t11\tD:\\two.mp3\tzero", lines[2]);
    EXPECT_EQ("0\t22\tZ:\\tmp\\three four.mid\tzero", lines[3]);
}

TEST_F(DeckStart, WithoutAnySoundDeviceTheStartFailsWithErrorOneAndKeepsTheStoredSettings) {
    RigOptions options;
    options.pulse = false;
    ASSERT_TRUE(StartRig(&rig, options));
    // Values the failed start must not replace with its built-in ones.
    const std::pair<const char*, const char*> stored[] = {
        {"RecordFrequency", "48000"},
        {"RecordChannel",   "1"    },
        {"RecordBps",       "24"   }
    };
    std::vector<RegistryValue> values;
    for (const auto& v : stored) values.push_back({v.first, "REG_DWORD", v.second});
    ASSERT_TRUE(SetRegistryValues(rig, SETTINGS_KEY, values));
    pid_t deck = Start({});
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE, "Fail to initialize.", START_MS, &box));
    for (const MessageBoxInfo& b : ListMessageBoxes(rig)) EXPECT_NE("CheckDialog", b.caption);
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));

    ASSERT_TRUE(WaitForMessageBox(rig, "CheckDialog", "Error No1", EXIT_MS, &box));
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
    int code = -1;
    ASSERT_TRUE(WaitExit(deck, EXIT_MS, &code));
    EXPECT_EQ(1, code);
    for (const auto& v : stored) {
        std::string data;
        EXPECT_TRUE(ReadRegistryValue(rig, SETTINGS_KEY, v.first, &data)) << v.first;
        EXPECT_EQ(std::stoul(v.second), std::stoul(data, nullptr, 0)) << v.first;
    }
}
TEST_F(DeckStart, TheFailureMessageFollowsTheUserInterfaceLanguage) {
    RigOptions options;
    options.pulse = false;
    ASSERT_TRUE(StartRig(&rig, options));
    EnvList japanese = JapaneseEnv(rig);
    if (japanese.empty()) SKIP_UNLESS_CI("no ja_JP locale can be built here");
    pid_t deck = StartDeck(rig, {}, japanese);
    started.push_back(deck);
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE,
                                  "\xE5\x88\x9D\xE6\x9C\x9F\xE5\x8C\x96\xE3\x81\xAB\xE5\xA4\xB1"
                                  "\xE6\x95\x97\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\xE3\x80\x82",
                                  START_MS, &box));  // "初期化に失敗しました。"
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
    ASSERT_TRUE(WaitForMessageBox(rig, "CheckDialog", "Error No1", EXIT_MS, &box));
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
    int code = -1;
    ASSERT_TRUE(WaitExit(deck, EXIT_MS, &code));
    EXPECT_EQ(1, code);
}
}  // namespace
