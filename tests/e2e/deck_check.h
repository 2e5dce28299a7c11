// The deck's first use, checked from outside: started with a WAVE and an MP3 it shows no box,
// plays the WAVE (through the MCI window) and then the MP3 (through the player library), records
// two seconds of a tone into a WAVE and closes with code 0. Shared by the end-to-end tests that
// run the deck somewhere new: other screens and systems, a package unpacked, another build.
#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "e2e/rig.h"
#include "record/record_test_util.h"
#include "resources/resource.h"

namespace deck_check {
const int RATE = 44100;
const char DECK_CLASS[] = "Vornex_Deck_Controller";
const char SETTINGS_KEY[] = "HKCU\\SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\Settings";
const double WAVE_HZ = 440.0, MP3_HZ = 523.25, RECORD_HZ = 997.0;  // the MP3 is the demo list's chime

inline std::vector<int16_t> Tone(int ms, double hz) {
    std::vector<int16_t> pcm;
    for (int i = 0; i < RATE * ms / 1000; ++i) {
        int16_t v = (int16_t)(12000 * std::sin(2 * M_PI * hz * i / RATE));
        pcm.push_back(v);
        pcm.push_back(v);
    }
    return pcm;
}

inline void WriteWave(const std::string& path, const std::vector<int16_t>& pcm) {
    std::string b = "RIFF....WAVEfmt ";
    auto le = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b += (char)(v >> (8 * i));
    };
    le(16, 4), le(1, 2), le(2, 2), le(RATE, 4), le(RATE * 4, 4), le(4, 2), le(16, 2);
    b += "data";
    le((uint32_t)(pcm.size() * 2), 4);
    b.append((const char*)pcm.data(), pcm.size() * 2);
    uint32_t riff = (uint32_t)b.size() - 8;
    for (int i = 0; i < 4; ++i) b[4 + i] = (char)(riff >> (8 * i));
    std::ofstream(path, std::ios::binary) << b;
}

// Power of the left channel at one frequency (Goertzel, per frame).
inline double PowerAt(const std::string& pcmBytes, double hz) {
    double k = 2 * std::cos(2 * M_PI * hz / RATE), s1 = 0, s2 = 0;
    size_t frames = pcmBytes.size() / 4;
    for (size_t i = 0; i < frames; ++i) {
        double s0 = SampleAt(pcmBytes, 4 * i) + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return frames ? (s1 * s1 + s2 * s2 - k * s1 * s2) / ((double)frames * frames) : 0.0;
}

inline std::string WinPath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

inline bool Command(const Rig& rig, int id) {
    int64_t result = 0;
    return SendWindowMessage(rig, DECK_CLASS, 0x0111, (uint64_t)id, 0, &result);
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
    std::string folder = rig.dir + "/rec";
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    ASSERT_TRUE(CreateRegistryKey(rig, SETTINGS_KEY));
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    const std::pair<const char*, std::string> settings[] = {
        {"RecFileName",      WinPath(folder) + "\\S-"            },
        {"RecordFormat",     "0"                                 },
        {"RecAutoRecording", "0"                                 },
        {"LastYear",         std::to_string(local.tm_year + 1900)},
        {"LastMonth",        std::to_string(local.tm_mon + 1)    },
        {"LastDay",          std::to_string(local.tm_mday)       },
    };
    for (const auto& s : settings) {
        std::string type = std::string(s.first) == "RecFileName" ? "REG_SZ" : "REG_DWORD";
        ASSERT_EQ(0, RunWine(rig, "reg", {"add", SETTINGS_KEY, "/v", s.first, "/t", type, "/d", s.second, "/f"}, 60000));
    }

    std::string wave = rig.dir + "/a440.wav";
    WriteWave(wave, Tone(6000, WAVE_HZ));
    std::string played = rig.dir + "/wave.raw";
    pid_t sink = StartSinkRecording(rig, played);
    pid_t deck = StartWine(rig, deckExe, {WinPath(wave), WinPath(mp3)}, {}, rig.dir + "/deck.log");
    ASSERT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, "Quaverly Deck", 60000)) << Boxes(rig);
    EXPECT_EQ("", Boxes(rig)) << "no box at the start";
    shown();

    // The first file plays at once.
    usleep(2000 * 1000);
    StopSinkRecording(sink);
    EXPECT_GT(PowerAt(ReadAll(played), WAVE_HZ), 1000.0) << "the WAVE is heard";
    // Next: the MP3. Only the last second and a half counts, as the WAVE may still be heard
    // while the player switches.
    played = rig.dir + "/mp3.raw";
    sink = StartSinkRecording(rig, played);
    EXPECT_TRUE(Command(rig, CMD_NEXT));
    usleep(3000 * 1000);
    StopSinkRecording(sink);
    std::string mp3Part = ReadAll(played);
    mp3Part.erase(0, mp3Part.size() > RATE * 4 * 3 / 2 ? mp3Part.size() - RATE * 4 * 3 / 2 : 0);
    EXPECT_GT(PowerAt(mp3Part, MP3_HZ), 1000.0) << "the MP3 is heard";
    EXPECT_GT(PowerAt(mp3Part, MP3_HZ), 10 * PowerAt(mp3Part, WAVE_HZ));

    ASSERT_TRUE(Command(rig, CMD_STOP));
    ASSERT_TRUE(FeedPcm(rig, Tone(6000, RECORD_HZ)));
    ASSERT_TRUE(Command(rig, CMD_RECORD));
    ASSERT_TRUE(Command(rig, CMD_PLAY));
    usleep(2000 * 1000);  // the recording's length
    ASSERT_TRUE(Command(rig, CMD_STOP));
    EXPECT_EQ("", Boxes(rig)) << "no box after playing and recording";
    ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
    int code = -1;
    std::string report;
    if (!WaitClosed(rig, deck, 30000, 60000, &code, &report))
        ADD_FAILURE() << "the deck did not end; boxes:\n" << Boxes(rig) << report;
    EXPECT_EQ(0, code);
    WaveView v = ViewWave(folder + "/S-001.WAV");
    ASSERT_TRUE(v.ok) << "the recording is there and its sizes hold";
    EXPECT_GE(v.dataSize, 176400u) << "about two seconds";
    EXPECT_GT(PowerAt(v.audio, RECORD_HZ), 1000.0) << "of the tone fed in";
}
}  // namespace deck_check
