// The deck's first use, checked from outside: started with a WAVE and an MP3 it shows no box,
// plays the WAVE (through the MCI window) and then the MP3 (through the player library), records
// two seconds of a tone into a WAVE and closes with code 0. Shared by the end-to-end tests that
// run the deck somewhere new: other screens and systems, a package unpacked, another build.
#pragma once
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "e2e/e2e_files.h"
#include "e2e/rig.h"
#include "record/record_test_util.h"
#include "resources/resource.h"

namespace deck_check {
using e2e::DECK_CLASS;
using e2e::PowerAt;
using e2e::RATE;
using e2e::SETTINGS_KEY;
using e2e::Tone;
using e2e::WinPath;
using e2e::WriteWave;
const double WAVE_HZ = 440.0, MP3_HZ = 523.25, RECORD_HZ = 997.0;  // the MP3 is the demo list's chime

inline bool Command(const Rig& rig, int id) {
    int64_t result = 0;
    return SendWindowMessage(rig, DECK_CLASS, e2e::WM_COMMAND_, (uint64_t)id, 0, &result);
}

inline std::string Boxes(const Rig& rig) {
    std::string boxes;
    for (const MessageBoxInfo& b : ListMessageBoxes(rig)) boxes += b.caption + ": " + b.text + "\n";
    return boxes;
}

// Runs deckExe (a Windows path or one under the rig's Wine) through its first use with the MP3
// at mp3; shown() is called once the deck's window shows.
inline void PlayAndRecord(const Rig& rig, const std::string& deckExe, const std::string& mp3,
                          const std::function<void()>& shown = [] {}) {
    std::string folder = MakeDeckPlace(rig).folder;
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(SetDeckSettings(rig, folder));

    std::string wave = rig.dir + "/a440.wav";
    WriteWave(wave, Tone(6000, WAVE_HZ));
    std::string played = rig.dir + "/wave.raw";
    pid_t sink = StartSinkRecording(rig, played);
    pid_t deck = StartWine(rig, deckExe, {WinPath(wave), WinPath(mp3)}, {}, rig.dir + "/deck.log");
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, e2e::DECK_TITLE, e2e::START_MS)) << Boxes(rig);
    EXPECT_EQ("", Boxes(rig)) << "no box at the start";
    shown();

    // The first file plays at once.
    e2e::WaitUntil([&] { return PowerAt(ReadAll(played), WAVE_HZ) > 1000.0; }, e2e::WAIT_MS);
    StopSinkRecording(sink);
    EXPECT_GT(PowerAt(ReadAll(played), WAVE_HZ), 1000.0) << "the WAVE is heard";
    // Next: the MP3. Only the last second and a half counts, as the WAVE may still be heard
    // while the player switches.
    played = rig.dir + "/mp3.raw";
    sink = StartSinkRecording(rig, played);
    EXPECT_TRUE(Command(rig, CMD_NEXT));
    auto lastPart = [&] {
        std::string part = ReadAll(played);
        part.erase(0, part.size() > RATE * 4 * 3 / 2 ? part.size() - RATE * 4 * 3 / 2 : 0);
        return part;
    };
    e2e::WaitUntil([&] {
        std::string part = lastPart();
        return part.size() == RATE * 4 * 3 / 2 && PowerAt(part, MP3_HZ) > 10 * PowerAt(part, WAVE_HZ) &&
               PowerAt(part, MP3_HZ) > 1000.0;
    }, e2e::WAIT_MS);
    StopSinkRecording(sink);
    std::string mp3Part = lastPart();
    EXPECT_GT(PowerAt(mp3Part, MP3_HZ), 1000.0) << "the MP3 is heard";
    EXPECT_GT(PowerAt(mp3Part, MP3_HZ), 10 * PowerAt(mp3Part, WAVE_HZ));

    ASSERT_TRUE(Command(rig, CMD_STOP));
    ASSERT_TRUE(FeedPcm(rig, Tone(6000, RECORD_HZ)));
    ASSERT_TRUE(Command(rig, CMD_RECORD));
    ASSERT_TRUE(Command(rig, CMD_PLAY));
    struct stat st;  // the recording's length: two seconds on the disk
    e2e::WaitUntil([&] { return stat((folder + "/S-001.WAV").c_str(), &st) == 0 && st.st_size >= 44 + 176400; },
                   e2e::WAIT_MS);
    ASSERT_TRUE(Command(rig, CMD_STOP));
    EXPECT_EQ("", Boxes(rig)) << "no box after playing and recording";
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    int code = -1;
    std::string report;
    if (!WaitClosed(rig, deck, e2e::WAIT_MS, e2e::WAIT_MS, &code, &report))
        ADD_FAILURE() << "the deck did not end; boxes:\n" << Boxes(rig) << report;
    EXPECT_EQ(0, code);
    WaveView v = ViewWave(folder + "/S-001.WAV");
    ASSERT_TRUE(v.ok) << "the recording is there and its sizes hold";
    EXPECT_GE(v.dataSize, 176400u) << "about two seconds";
    EXPECT_GT(PowerAt(v.audio, RECORD_HZ), 1000.0) << "of the tone fed in";
}
}  // namespace deck_check
