// Recording that starts by itself, watched from outside under Wine: auto recording splits a
// source played track by track into one file per track, and a timer row set to "when opening
// program." records from the launch on. Sound goes into the virtual device's input; the files in
// the record folder are read the way a player would.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "record/record_test_util.h"
#include "resources/resource.h"

namespace {
using e2e::DECK_CLASS;
using e2e::DECK_TITLE;
using e2e::RATE;
using e2e::SETTINGS_KEY;
using e2e::WAIT_MS;

// Frequency of the left channel from its rising zero crossings over the loud frames (codec-free
// WAVE, so no hysteresis is needed), and how many loud frames there were.
double LoudFrequency(const std::string& audio, size_t* loudFramesOut) {
    const int LOUD = 2000;
    size_t frames = audio.size() / 4, loud = 0, crossings = 0, first = 0, last = 0;
    for (size_t i = 1; i < frames; ++i) {
        int16_t s = SampleAt(audio, 4 * i), before = SampleAt(audio, 4 * (i - 1));
        loud += std::abs(s) > LOUD;
        if (before < 0 && s >= 0) {
            if (!crossings) first = i;
            last = i;
            ++crossings;
        }
    }
    *loudFramesOut = loud;
    return crossings > 1 ? (crossings - 1) * (double)RATE / (double)(last - first) : 0.0;
}

class AutoRecordE2E : public ::testing::Test {
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
        deckLog = rig.dir + "/deck.log";  // with the status lines the face shows
        pid_t deck = StartWine(rig, DeckExePath(), {}, {"QD_USB_SIM=" + simFile, "WINEDEBUG=+debugstr"}, deckLog);
        EXPECT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, DECK_TITLE, e2e::START_MS));
        return deck;
    }
    bool WaitForStatus(const std::string& text) {
        return e2e::WaitUntil([&] { return ReadAll(deckLog).find("Quaverly Deck: " + text) != std::string::npos; },
                              WAIT_MS);
    }
    bool Command(int id) {
        int64_t result = 0;
        return SendWindowMessage(rig, DECK_CLASS, e2e::WM_COMMAND_, (uint64_t)id, 0, &result);
    }
    void Close(pid_t deck) {
        ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
        int code = -1;
        EXPECT_TRUE(WaitExit(deck, WAIT_MS, &code));
    }
    std::string File(int n) {
        char name[16];
        std::snprintf(name, sizeof name, "/S-%03d.WAV", n);
        return folder + name;
    }
    Rig rig;
    std::string folder, simFile, deckLog;
};

TEST_F(AutoRecordE2E, TwoTonesWithSilenceBetweenBecomeTwoFiles) {
    Set("RecAutoRecording", "REG_DWORD", "1");  // start and end by the level
    Set("AutoLevel", "REG_DWORD", "320");       // -40 dB
    Set("AutoStart", "REG_DWORD", "2");
    Set("AutoStop", "REG_DWORD", "1");
    pid_t deck = Start();
    ASSERT_TRUE(Command(CMD_RECORD));
    ASSERT_TRUE(Command(CMD_PLAY));  // the recorder now waits for sound
    const double hz[2] = {600, 1500};
    std::vector<int16_t> input;
    e2e::AppendTone(&input, 0, 1500);
    e2e::AppendTone(&input, hz[0], 2500);
    e2e::AppendTone(&input, 0, 2000);
    e2e::AppendTone(&input, hz[1], 2500);
    e2e::AppendTone(&input, 0, 2000);
    ASSERT_TRUE(FeedPcm(rig, input));
    ASSERT_TRUE(WaitForFile(File(2), WAIT_MS, 2 * RATE * 4));
    // The silence after the second tone ends its file: the recorder waits for a third.
    ASSERT_TRUE(WaitForStatus("Rec Standby S-003.WAV")) << ReadAll(deckLog);
    ASSERT_TRUE(Command(CMD_STOP));
    Close(deck);

    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i + 1);
        WaveView w = ViewWave(File(i + 1));
        ASSERT_TRUE(w.ok);
        size_t loud = 0;
        EXPECT_NEAR(LoudFrequency(w.audio, &loud), hz[i], 5.0) << "each file holds its own tone";
        EXPECT_NEAR((double)loud / RATE, 2.5, 0.3) << "the whole tone";
        EXPECT_LE(w.audio.size(), (size_t)4 * RATE * 4) << "and little of the silence around it";
    }
    EXPECT_FALSE(PathExists(File(3))) << "the standby after the second tone heard nothing";
}

TEST_F(AutoRecordE2E, ARowFiveTimerWhenOpeningTheProgramRecordsFromTheLaunch) {
    Set("RecAutoRecording", "REG_DWORD", "0");
    Set("TimerHour4", "REG_DWORD", "0");
    Set("TimerMinute4", "REG_DWORD", "60");  // "when opening program."
    Set("TimerMode4", "REG_DWORD", "8");     // enabled, start capture
    std::vector<int16_t> input;
    e2e::AppendTone(&input, 997, 8000);
    pid_t deck = Start();
    ASSERT_TRUE(FeedPcm(rig, input));
    ASSERT_TRUE(WaitForFile(File(1), WAIT_MS, 2 * RATE * 4)) << "no recording started";
    ASSERT_TRUE(Command(CMD_STOP));
    Close(deck);

    WaveView w = ViewWave(File(1));
    ASSERT_TRUE(w.ok);
    size_t loud = 0;
    EXPECT_NEAR(LoudFrequency(w.audio, &loud), 997, 5.0);
    std::string minute;
    ASSERT_TRUE(ReadRegistryValue(rig, SETTINGS_KEY, "TimerMinute4", &minute));
    EXPECT_EQ(minute, "0x3c") << "the row is kept for the next launch";
}
}  // namespace
