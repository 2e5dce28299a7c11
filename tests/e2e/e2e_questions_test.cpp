// The moments around a recording and the questions of the deck's other windows, watched from
// outside under Wine: a file handed to the deck in record standby, a close right after Stop, Stop
// after auto recording has waited a long time for sound, a disk filled by another program, a timer
// on a first run; the playlist window and the Edit sheet disabled under their own boxes, the Tag
// Editor asking once, and the Divide page keeping its place across tabs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "record/record_test_util.h"
#include "resources/resource.h"

namespace {
using namespace e2e;
const char LIST_KEY[] = "HKCU\\SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\ListInformation";
const unsigned WM_COMMAND_MSG = WM_COMMAND_, WM_CLOSE_MSG = 0x0010;

class QuestionsE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartRig(&rig));
        DeckPlace place = MakeDeckPlace(rig);
        ASSERT_FALSE(place.folder.empty());
        folder = place.folder;
        simFile = place.simFile;
        ASSERT_TRUE(SetDeckSettings(rig, folder));
    }
    void TearDown() override { StopRig(&rig); }

    void Set(const std::string& name, const std::string& type, const std::string& data) {
        ASSERT_TRUE(SetRegistryValues(rig, SETTINGS_KEY, {{name, type, data}})) << name;
    }
    pid_t Start() {
        deckLog = rig.dir + "/deck.log";
        pid_t deck = StartWine(rig, DeckExePath(), {}, {"QD_USB_SIM=" + simFile, "WINEDEBUG=+debugstr"}, deckLog);
        EXPECT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
        return deck;
    }
    bool Command(int id) {
        int64_t result = 0;
        return SendWindowMessage(rig, DECK_CLASS, WM_COMMAND_MSG, (uint64_t)id, 0, &result);
    }
    // Waits until the deck's status line (its debug output) has shown text.
    bool WaitForStatus(const std::string& text, int timeoutMs) {
        return WaitUntil([&] { return ReadAll(deckLog).find("Quaverly Deck: " + text) != std::string::npos; },
                         timeoutMs);
    }
    // Stop and close posted back to back, as a script or a remote does it: both are handled
    // before the next tick. The deck must end without a box in between.
    void StopAndCloseAtOnce(pid_t deck) {
        ASSERT_EQ(RunWintool(rig, {"postclass", DECK_CLASS, std::to_string(WM_COMMAND_MSG), std::to_string(CMD_STOP),
                                   "0", std::to_string(WM_CLOSE_MSG), "0", "0"}),
                  0);
        int code = -1;
        bool ended = WaitExit(deck, WAIT_MS, &code);
        std::string boxes;
        if (!ended)
            for (const MessageBoxInfo& box : ListMessageBoxes(rig)) boxes += box.text + "\n";
        ASSERT_TRUE(ended) << "the deck is still open; boxes:\n" << boxes;
        EXPECT_EQ(code, 0);
    }
    std::string Tool(const std::vector<std::string>& args) {
        std::string answer = WintoolAnswer(rig, args);
        EXPECT_NE(answer, "(failed)") << args[0];
        return answer;
    }
    // Waits until the window's enabled state is `enabled`.
    bool WaitEnabled(const std::string& cls, const std::string& title, bool enabled, int timeoutMs) {
        return WaitUntil(
            [&] { return Tool({"enabled", cls.empty() ? "-" : cls, title.empty() ? "-" : title}) == (enabled ? "1" : "0"); },
            timeoutMs, 200);
    }
    std::string File(int n) {
        char name[16];
        std::snprintf(name, sizeof name, "/S-%03d.WAV", n);
        return folder + name;
    }
    Rig rig;
    std::string folder, simFile, deckLog;
};

// A second start hands a file over while the deck stands by to record: the file waits at the end
// of the list, and nothing is recorded.
TEST_F(QuestionsE2E, AFileHandedOverInRecordStandbyWaitsInTheListAndRecordsNothing) {
    std::vector<int16_t> tone;
    AppendTone(&tone, 997, 8000);
    std::string track = rig.dir + "/handed.wav";
    WriteWave(track, tone);
    pid_t deck = Start();
    ASSERT_TRUE(FeedPcm(rig, tone));
    ASSERT_TRUE(Command(CMD_RECORD));
    ASSERT_TRUE(WaitForStatus("Rec Pause S-001.WAV", WAIT_MS)) << ReadAll(deckLog);
    int code = -1;
    pid_t second = StartDeck(rig, {WinPath(track)});
    ASSERT_TRUE(WaitExit(second, WAIT_MS, &code)) << "the second start hands its file over and ends";
    EXPECT_FALSE(WaitForFile(File(1), 3000)) << "the hand-off started a recording";
    EXPECT_EQ(ReadAll(deckLog).find("Quaverly Deck: Recording"), std::string::npos);
    StopAndCloseAtOnce(deck);

    std::string noName;
    ASSERT_TRUE(ReadRegistryValue(rig, LIST_KEY, "NoName", &noName));
    EXPECT_NE(ReadAll(UnixPath(noName)).find("handed.wav"), std::string::npos) << "the handed file is in the list";
}

// Stop and close in one go end the recording, keep its file and close the deck.
TEST_F(QuestionsE2E, CloseRightAfterStopClosesTheDeckAndKeepsTheRecording) {
    std::vector<int16_t> tone;
    AppendTone(&tone, 997, 6000);
    pid_t deck = Start();
    ASSERT_TRUE(FeedPcm(rig, tone));
    ASSERT_TRUE(Command(CMD_RECORD));
    ASSERT_TRUE(Command(CMD_PLAY));
    ASSERT_TRUE(WaitForFile(File(1), WAIT_MS, RATE * 4));
    StopAndCloseAtOnce(deck);
    WaveView w = ViewWave(File(1));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.riffSize + 8, w.fileSize);
}

// Auto recording made three files and then waited for sound longer than the capture ring lasts:
// Stop ends it without "Could not capture audio.", and the deck closes right after.
TEST_F(QuestionsE2E, StopAfterAutoRecordingWaitedLongEndsQuietly) {
    Set("RecAutoRecording", "REG_DWORD", "1");  // start and end by the level
    Set("AutoLevel", "REG_DWORD", "320");
    Set("AutoStart", "REG_DWORD", "2");
    Set("AutoStop", "REG_DWORD", "1");
    pid_t deck = Start();
    ASSERT_TRUE(Command(CMD_RECORD));
    ASSERT_TRUE(Command(CMD_PLAY));
    std::vector<int16_t> input;
    for (double hz : {600.0, 1000.0, 1500.0}) {
        AppendTone(&input, 0, 1500);
        AppendTone(&input, hz, 1500);
    }
    ASSERT_TRUE(FeedPcm(rig, input));
    ASSERT_TRUE(WaitForFile(File(3), WAIT_MS, RATE * 4));
    // The third file ends with the silence after it; then the input delivers six seconds more
    // silence, longer than the ring's four, before Stop.
    ASSERT_TRUE(WaitForStatus("Rec Standby S-004.WAV", WAIT_MS)) << ReadAll(deckLog);
    ASSERT_TRUE(FeedPcm(rig, Tone(6000, 0)));
    ASSERT_TRUE(WaitForFeedPlayed(rig, WAIT_MS));
    StopAndCloseAtOnce(deck);
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(ViewWave(File(n)).ok) << n;
    EXPECT_FALSE(PathExists(File(4)));
}

// Another program fills the disk while a WAVE recording runs: the deck stops with its message
// and keeps a file whose sizes match it, without the torn tail of the write that failed.
TEST_F(QuestionsE2E, ADiskFilledFromOutsideLeavesAWholeWaveFile) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting the small disk needs root";
    std::string disk = rig.dir + "/small-disk";
    ASSERT_EQ(std::system(("mkdir -p '" + disk + "'").c_str()), 0);
    // 16 MiB: room for the recording above the deck's 10 MiB reserve, filled at once from outside.
    ASSERT_EQ(std::system(("mount -t tmpfs -o size=16m qd-small-disk '" + disk + "'").c_str()), 0);
    struct Unmount {
        std::string dir;
        ~Unmount() {
            if (std::system(("umount '" + dir + "'").c_str()) != 0) ADD_FAILURE() << "umount " << dir;
        }
    } unmount{disk};
    Set("RecFileName", "REG_SZ", WinPath(disk) + "\\S-");
    std::vector<int16_t> tone;
    AppendTone(&tone, 997, 20000);
    pid_t deck = Start();
    ASSERT_TRUE(FeedPcm(rig, tone));
    ASSERT_TRUE(Command(CMD_RECORD));
    ASSERT_TRUE(Command(CMD_PLAY));
    std::string recording = disk + "/S-001.WAV";
    ASSERT_TRUE(WaitForFile(recording, WAIT_MS, 2 * RATE * 4));
    EXPECT_NE(std::system(("dd if=/dev/zero of='" + disk + "/filler' bs=64k 2>/dev/null").c_str()), 0)
        << "dd stops at the full disk";
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE, "", WAIT_MS, &box));
    EXPECT_TRUE(box.text.find("Could not write to") == 0 || box.text.find("No more disk space") == 0) << box.text;
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    int code = -1;
    EXPECT_TRUE(WaitExit(deck, WAIT_MS, &code));
    WaveView w = ViewWave(recording);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.riffSize + 8, w.fileSize) << "the RIFF size matches the file; " << box.text;
    // After the audio only the input's status item may follow (it fits once the tail is cut).
    std::string after = ReadAll(recording).substr(std::min<size_t>(w.fileSize, 46u + w.dataSize));
    EXPECT_TRUE(after.empty() || after.compare(0, 4, "LIST") == 0) << after.size() << " bytes torn off a write";
    EXPECT_GE(w.dataSize, 2u * RATE * 4);
}

// A first run whose only instruction is a timer row "when opening program": no record path has
// been chosen, and nobody is there to answer the name dialog. The recording goes into the default
// folder, named by the status line, and holds the input.
TEST_F(QuestionsE2E, ATimerOnAFirstRunRecordsIntoTheDefaultFolder) {
    RunWine(rig, "reg", {"delete", SETTINGS_KEY, "/v", "RecFileName", "/f"}, WAIT_MS);
    Set("TimerHour4", "REG_DWORD", "0");
    Set("TimerMinute4", "REG_DWORD", "60");  // "when opening program."
    Set("TimerMode4", "REG_DWORD", "8");     // enabled, start capture
    std::vector<int16_t> tone;
    AppendTone(&tone, 997, 10000);
    pid_t deck = Start();
    ASSERT_TRUE(FeedPcm(rig, tone));
    ASSERT_TRUE(WaitForStatus("Recording ", WAIT_MS)) << "the timer's recording waits at a dialog";
    std::string log = ReadAll(deckLog);
    size_t at = log.find("Quaverly Deck: Recording ") + std::strlen("Quaverly Deck: Recording ");
    // The trace prints the line as a C string: backslashes doubled, the newline as "\n".
    std::string shown;
    for (size_t i = at; i < log.size() && log[i] != '"' && log[i] != '\n'; ++i) {
        if (log[i] == '\\' && i + 1 < log.size()) {
            if (log[i + 1] == 'n') break;
            ++i;
        }
        shown += log[i];
    }
    ASSERT_GT(shown.size(), 3u);
    ASSERT_EQ(shown[1], ':') << "the status names the whole path: " << shown;
    std::string unixPath = UnixPath(shown);
    if (shown[0] == 'C' || shown[0] == 'c') unixPath = rig.winePrefix + "/drive_c" + unixPath.substr(2);
    ASSERT_TRUE(WaitForFile(unixPath, WAIT_MS, 2 * RATE * 4)) << unixPath;
    ASSERT_TRUE(Command(CMD_STOP));
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    int code = -1;
    EXPECT_TRUE(WaitExit(deck, WAIT_MS, &code));
    WaveView w = ViewWave(unixPath);
    EXPECT_TRUE(w.ok);
    std::remove(unixPath.c_str());  // the prefix's folders outlive the rig
}

// ---- boxes and the windows they speak for ----------------------------------------------------

const std::string LIST_VIEW = std::to_string(IDC_LIST_VIEW);
const char SHEET_TITLE[] = "Edit";
const unsigned WM_HSCROLL_MSG = 0x114, TBM_SETPOS_MSG = 0x405, PSM_SETCURSEL_MSG = 0x400 + 101;
const unsigned TB_THUMBPOSITION_CODE = 4;

// The list's "save?" question belongs to the playlist window: the window is disabled under it
// (no second Clear can run) and takes input again once it is answered.
TEST_F(QuestionsE2E, TheListsQuestionDisablesThePlaylistWindowUntilAnswered) {
    std::vector<int16_t> tone;
    AppendTone(&tone, 440, 1000);
    for (const char* name : {"a.wav", "b.wav"}) WriteWave(rig.dir + "/" + name, tone);
    std::string party = rig.dir + "/Party.spl";
    std::ofstream(party, std::ios::binary) << ";PARTY.SPL\r\n\"" + WinPath(rig.dir + "/a.wav") + "\"\r\n";
    pid_t deck = Start();
    ASSERT_TRUE(Command(CMD_OPEN_PLAYLIST));
    ASSERT_TRUE(WaitForVisibleWindow(rig, LIST_CLASS, "", WAIT_MS));
    const std::string dropTag = "0x51444C57";  // the playlist window's tag for a dropped batch
    Tool({"copylist", LIST_CLASS, dropTag, WinPath(party)});
    // The list keeps its name through a one-file drop only once a probe pass has taken in the
    // entries it was loaded with (before that the drop renames it "No Name", and Clear has
    // nothing to ask): wait for the loaded entry's time, as a user's drop comes long after.
    ASSERT_TRUE(WaitUntil([&] { return Tool({"lvtext", LIST_CLASS, LIST_VIEW, "0", "2"}) == "000:01"; }, WAIT_MS))
        << Tool({"lvtext", LIST_CLASS, LIST_VIEW, "0", "2"});
    Tool({"copylist", LIST_CLASS, dropTag, WinPath(rig.dir + "/b.wav")});  // the named list changes
    ASSERT_EQ(Tool({"lvcount", LIST_CLASS, LIST_VIEW}), "2");

    ASSERT_TRUE(PostWindowMessage(rig, LIST_CLASS, WM_COMMAND_MSG, IDC_LIST_CLEAR, 0));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE, "", WAIT_MS, &box))
        << "rows: " << Tool({"lvcount", LIST_CLASS, LIST_VIEW}) << ", title: " << Tool({"title", LIST_CLASS});
    EXPECT_NE(box.text.find("Party"), std::string::npos) << box.text;
    EXPECT_TRUE(WaitEnabled(LIST_CLASS, "", false, WAIT_MS)) << "the playlist window stays usable under its question";
    ASSERT_TRUE(PressMessageBox(rig, box, "Cancel"));
    EXPECT_TRUE(WaitEnabled(LIST_CLASS, "", true, WAIT_MS));
    EXPECT_EQ(Tool({"lvcount", LIST_CLASS, LIST_VIEW}), "2") << "Cancel keeps the list";
    EXPECT_TRUE(ListMessageBoxes(rig).empty());
    StopProcess(deck);
}

// The Edit sheet opened on a file whose title is too long for the tag: the notice is owned by
// the sheet, which is disabled while it is up, and it is shown once.
TEST_F(QuestionsE2E, TheTagEditorsNoticeDisablesTheSheetAndIsShownOnce) {
    std::vector<int16_t> tone;
    AppendTone(&tone, 440, 2000);
    std::string track = rig.dir + "/long-title.wav";
    WriteWave(track, tone, "A title far longer than thirty letters");
    deckLog = rig.dir + "/deck.log";
    pid_t deck = StartWine(rig, DeckExePath(), {WinPath(track)}, {"QD_USB_SIM=" + simFile}, deckLog);
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    ASSERT_TRUE(Command(CMD_STOP));  // the file given plays at once
    ASSERT_TRUE(PostWindowMessage(rig, DECK_CLASS, WM_COMMAND_MSG, CMD_FILE_PROPERTY, 0));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE, "", WAIT_MS, &box));
    EXPECT_NE(box.text.find("30 letters"), std::string::npos) << box.text;
    ASSERT_TRUE(WaitForWindow(rig, "#32770", SHEET_TITLE, WAIT_MS));
    EXPECT_TRUE(WaitEnabled("#32770", SHEET_TITLE, false, WAIT_MS)) << "the sheet stays usable under its notice";
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
    EXPECT_TRUE(WaitEnabled("#32770", SHEET_TITLE, true, WAIT_MS));
    EXPECT_FALSE(WaitForMessageBox(rig, DECK_TITLE, "", 3000)) << "the notice came again";
    StopProcess(deck);
}

// The Divide page keeps the preview's place while another tab is in front.
TEST_F(QuestionsE2E, TheDividePageKeepsThePreviewPlaceAcrossTabs) {
    std::vector<int16_t> tone;
    AppendTone(&tone, 440, 4000);
    std::string track = rig.dir + "/four.wav";
    WriteWave(track, tone);
    deckLog = rig.dir + "/deck.log";
    pid_t deck = StartWine(rig, DeckExePath(), {WinPath(track)}, {"QD_USB_SIM=" + simFile}, deckLog);
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
    ASSERT_TRUE(Command(CMD_STOP));
    ASSERT_TRUE(PostWindowMessage(rig, DECK_CLASS, WM_COMMAND_MSG, CMD_FILE_PROPERTY, 0));
    ASSERT_TRUE(WaitForWindow(rig, "#32770", SHEET_TITLE, WAIT_MS));
    std::string sheet = Tool({"find", "#32770", SHEET_TITLE});
    auto showPage = [&](int index, int probeId) {
        Tool({"post", sheet, std::to_string(PSM_SETCURSEL_MSG), std::to_string(index), "0"});
        return WaitForControl(rig, SHEET_TITLE, probeId, WAIT_MS);
    };
    std::string bar = showPage(1, IDC_POSITION_BAR);
    ASSERT_FALSE(bar.empty());
    // The thumb dropped half way: the preview goes to 2 s.
    Tool({"sendto", bar, std::to_string(TBM_SETPOS_MSG), "1", "500"});
    Tool({"post", Tool({"parent", bar}), std::to_string(WM_HSCROLL_MSG), std::to_string(TB_THUMBPOSITION_CODE),
          "0x" + bar});
    auto positionShows = [&](const std::string& want) {
        std::string shown;
        WaitUntil([&] {
            return (shown = Tool({"gettext", WaitForControl(rig, SHEET_TITLE, IDC_POSITION_TIME, WAIT_MS)})) == want;
        }, WAIT_MS);
        return shown;
    };
    ASSERT_EQ(positionShows(" 000:00:02.0"), " 000:00:02.0");
    // The page's timer ticks are delivered here, so that they have surely run: one while the
    // page is behind another tab (its preview is closed and reads 0), one once it is in front.
    std::string page = Tool({"parent", bar});
    const std::string WM_TIMER_MSG = "0x113", PAGE_TIMER = "1";
    ASSERT_FALSE(showPage(0, IDC_TAG_TITLE).empty());
    Tool({"sendto", page, WM_TIMER_MSG, PAGE_TIMER, "0"});
    ASSERT_FALSE(showPage(1, IDC_POSITION_BAR).empty());
    Tool({"sendto", page, WM_TIMER_MSG, PAGE_TIMER, "0"});
    EXPECT_EQ(Tool({"gettext", WaitForControl(rig, SHEET_TITLE, IDC_POSITION_TIME, WAIT_MS)}), " 000:00:02.0")
        << "the place is forgotten";
    StopProcess(deck);
}
}  // namespace
