// qdctl.exe against a running deck under Wine, as the README's scripting recipes use it: a
// recording started and stopped a minute apart (as two scheduled tasks would), checked by the
// file it wrote; a list played to its end while qdctl waits; the status printed every second
// until the deck closes. Along the way the deck's own refusals come back with its own words.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "record/record_test_util.h"
#include "tool_skip.h"

namespace {
using namespace e2e;
const char QDTONE[] = QD_BINARY_DIR "/bin/qdtone";  // our tone writer
// The device on IN1 with its digital input locked, without the input's channel status.
const char QDCTL_DEVICE_STATE[] =
    "hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n"
    "port ROOT0 2 vornex {media}\\0001 Kelvara Vornex USB\n"
    "reg 6 1\nreg 7 6\n";
const int QDCTL_MS = 90000;  // one qdctl run, Wine's start included, on a loaded machine

// A number field of qdctl's JSON status ("recorded_ms":61000), or -1.
long long JsonNumber(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos ? -1 : std::atoll(json.c_str() + at + key.size() + 3);
}

class Qdctl : public ::testing::Test {
protected:
    void SetUp() override {
        qdctl = WindowsBinDir() + "/qdctl.exe";
        if (!PathExists(DeckExePath()) || !PathExists(qdctl)) SKIP_UNLESS_CI("Windows build missing: " << qdctl);
        ASSERT_TRUE(StartRig(&rig));
        DeckPlace place = MakeDeckPlace(rig, QDCTL_DEVICE_STATE);
        ASSERT_FALSE(place.folder.empty());
        folder = place.folder;
        simFile = place.simFile;
    }
    void TearDown() override {
        for (pid_t p : started) StopProcess(p);
        StopRig(&rig);
    }
    void SetSetting(const std::string& name, const std::string& type, const std::string& data) {
        ASSERT_TRUE(SetRegistryValues(rig, SETTINGS_KEY, {{name, type, data}})) << name;
    }
    pid_t StartDeckHere() {
        deckLog = rig.dir + "/deck.log";  // with the status lines the face shows, as the tick shows them
        pid_t deck = StartWine(rig, DeckExePath(), {}, {"QD_USB_SIM=" + simFile, "WINEDEBUG=+debugstr"}, deckLog);
        started.push_back(deck);
        EXPECT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, START_MS));
        return deck;
    }
    // qdctl with the arguments; its exit code, and what it printed (stdout and stderr).
    int Run(const std::vector<std::string>& args, std::string* out = nullptr) {
        std::string text;
        int code = RunWine(rig, qdctl, args, QDCTL_MS, &text);
        if (out) *out = text;
        return code;
    }
    std::string JsonStatus() {
        std::string out;
        EXPECT_EQ(Run({"status", "--json"}, &out), 0) << out;
        return out;
    }
    Rig rig;
    std::string qdctl, folder, simFile, deckLog;
    std::vector<pid_t> started;
};
}  // namespace

// Recipe: record from 20:00 to 21:00 with two scheduled tasks, here a minute apart.
TEST_F(Qdctl, ScheduledRecordingOfAMinuteWritesAMinute) {
    ASSERT_TRUE(SetDeckSettings(rig, folder, {}, true));  // the day's first Record: its notice is due
    pid_t deck = StartDeckHere();  // the rig's input plays silence: a recording all the same

    std::string out;
    ASSERT_EQ(Run({"record", "--start"}, &out), 0) << out;
    // The scheduler's hour, here a minute: the time the deck has recorded tells when it is over.
    long long recorded = 0;
    WaitUntil([&] { return (recorded = JsonNumber(JsonStatus(), "recorded_ms")) >= 60000; }, 4 * 60000, 0);
    ASSERT_GE(recorded, 60000);

    ASSERT_EQ(Run({"status"}, &out), 0);
    EXPECT_NE(out.find("Recording S-001.WAV 001:"), std::string::npos) << out;
    EXPECT_EQ(Run({"quit"}, &out), 1) << "the deck does not close while recording";
    EXPECT_NE(out.find("Please close this application after the recording stops."), std::string::npos) << out;
    ASSERT_EQ(Run({"stop"}, &out), 0) << out;
    EXPECT_NE(JsonStatus().find("\"state\":\"stopped\""), std::string::npos) << "the recording is cued";

    WaveView w = ViewWave(folder + "/S-001.WAV");
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.rate, 44100u);
    double seconds = (double)w.audio.size() / (4.0 * RATE);
    EXPECT_GE(seconds, 60.0);
    EXPECT_LT(seconds, 75.0) << "stopped by the second command, not left running";

    EXPECT_EQ(Run({"quit"}, &out), 0) << out;
    int code = -1;
    EXPECT_TRUE(WaitExit(deck, WAIT_MS, &code));
    EXPECT_EQ(Run({"status"}, &out), 3) << "no deck any more";
}

// Recipe: play a list to its end, waiting for it in the script.
TEST_F(Qdctl, PlaysAListAndWaitsForItsEnd) {
    std::string a = rig.dir + "/first.wav", b = rig.dir + "/second.wav";
    ASSERT_EQ(std::system((std::string(QDTONE) + " 440 2000 " + a + " && " + QDTONE + " 660 2000 " + b).c_str()), 0);
    StartDeckHere();
    std::string out;
    EXPECT_EQ(Run({"play", "2", "3"}, &out), 2) << "usage";
    ASSERT_EQ(Run({"repeat", "off"}, &out), 0) << out;
    ASSERT_EQ(Run({"open", a, b}, &out), 0) << out;  // Unix paths, as a shell under Wine gives them
    ASSERT_EQ(Run({"play"}, &out), 0) << out;
    auto playing = std::chrono::steady_clock::now();
    ASSERT_EQ(Run({"wait", "stopped", "--timeout", "120"}, &out), 0) << out;
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - playing).count();
    EXPECT_GT(waited, 3.0) << "both tracks played before the wait ended";
    std::string json = JsonStatus();
    EXPECT_EQ(JsonNumber(json, "track"), 1) << json;
    EXPECT_EQ(JsonNumber(json, "count"), 2) << json;
    EXPECT_NE(json.find("first.wav"), std::string::npos) << "the list stands at its top again: " << json;
}

// Recipe: the status every second, until the deck closes. Also: a box open on the deck holds
// every command but status.
TEST_F(Qdctl, StatusEverySecondUntilTheDeckCloses) {
    SetSetting("RecFileName", "REG_SZ", WinPath(folder) + "\\S-");  // auto recording as it comes
    pid_t deck = StartDeckHere();
    std::string out;
    ASSERT_EQ(Run({"record"}, &out), 0) << out;
    // Close is refused with a box once the face shows record standby; the box holds the deck.
    ASSERT_TRUE(WaitUntil([&] { return ReadTextFile(deckLog).find("S-001.WAV") != std::string::npos; }, WAIT_MS)) << "the face shows the record file";
    ASSERT_TRUE(PostWindowMessage(rig, DECK_CLASS, 0x0010 /* WM_CLOSE */, 0, 0));
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(rig, DECK_TITLE, "", WAIT_MS, &box));
    EXPECT_EQ(Run({"stop"}, &out), 1) << out;
    EXPECT_NE(out.find("waiting for an answer"), std::string::npos) << out;
    ASSERT_EQ(Run({"status"}, &out), 0) << "status is always answered";
    EXPECT_NE(out.find("Rec standby S-001.WAV 000:00"), std::string::npos) << out;
    ASSERT_TRUE(PressMessageBox(rig, box, "OK"));
    ASSERT_EQ(Run({"stop"}, &out), 0) << out;

    // A caller that never takes its reply holds the deck for the reply's timeout only: the caller
    // hears nothing and says so, and the deck answers the next one.
    auto deaf = std::chrono::steady_clock::now();
    EXPECT_EQ(RunWine(rig, qdctl, {"status"}, QDCTL_MS, &out, {"QDCTL_TEST_DEAF=1"}), 3) << out;
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - deaf).count(), 20.0);
    EXPECT_NE(out.find("did not answer"), std::string::npos) << out;
    ASSERT_EQ(Run({"status"}, &out), 0) << out;

    // A request whose reply would go to the deck itself is dropped unread.
    ASSERT_EQ(RunWintool(rig, {"copydata", DECK_CLASS, "0x5144434C", "QDCTL 1\nrecord\n"}), 0);
    EXPECT_TRUE(ListMessageBoxes(rig).empty());

    std::string log = rig.dir + "/every.log";
    pid_t every = StartWine(rig, qdctl, {"status", "--every", "1"}, {}, log);
    started.push_back(every);
    size_t lines = 0;
    WaitUntil([&] {
        std::string text = ReadTextFile(log);
        lines = 0;
        for (size_t at = text.find("No track #0/0"); at != std::string::npos; at = text.find("No track #0/0", at + 1))
            ++lines;
        return lines >= 3;
    }, QDCTL_MS);
    ASSERT_GE(lines, 3u) << ReadTextFile(log);
    ASSERT_EQ(Run({"quit"}, &out), 0) << out;
    int code = -1;
    EXPECT_TRUE(WaitExit(deck, WAIT_MS, &code));
    EXPECT_TRUE(WaitExit(every, WAIT_MS, &code));
    EXPECT_EQ(code, 0) << "the watch ends with the deck";
}
