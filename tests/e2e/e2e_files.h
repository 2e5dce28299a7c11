// What the end-to-end tests name and write from outside the deck: Wine paths, the deck's window
// class and settings key, stereo tones and the WAVE files that carry them.
#pragma once
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "base/window_messages.h"

namespace e2e {
const int RATE = 44100;
const char* const DECK_CLASS = DECK_WINDOW_CLASS;
const char SETTINGS_KEY[] = "HKCU\\SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\Settings";

// A path of the host as Wine's drive Z: names it, and back.
inline std::string WinPath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}
inline std::string UnixPath(std::string winPath) {
    if (winPath.size() > 2 && (winPath[0] == 'Z' || winPath[0] == 'z') && winPath[1] == ':') winPath.erase(0, 2);
    for (char& c : winPath)
        if (c == '\\') c = '/';
    return winPath;
}

// Stereo 16-bit PCM: a sine of hz (0: silence) for ms, appended.
inline void AppendTone(std::vector<int16_t>* pcm, double hz, int ms) {
    for (int i = 0; i < RATE * ms / 1000; ++i) {
        int16_t v = hz > 0 ? (int16_t)(12000 * std::sin(2 * M_PI * hz * i / RATE)) : 0;
        pcm->push_back(v);
        pcm->push_back(v);
    }
}
inline std::vector<int16_t> Tone(int ms, double hz) {
    std::vector<int16_t> pcm;
    AppendTone(&pcm, hz, ms);
    return pcm;
}

// A 16-bit stereo WAVE file of the samples, with a "DISP" title when one is given.
inline void WriteWave(const std::string& path, const std::vector<int16_t>& pcm, const std::string& title = "") {
    std::string b = "RIFF....WAVEfmt ";
    auto le = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b += (char)(v >> (8 * i));
    };
    le(16, 4), le(1, 2), le(2, 2), le(RATE, 4), le(RATE * 4, 4), le(4, 2), le(16, 2);
    b += "data";
    le((uint32_t)(pcm.size() * 2), 4);
    b.append((const char*)pcm.data(), pcm.size() * 2);
    if (!title.empty()) {
        b += "DISP";
        le((uint32_t)(4 + title.size() + 1), 4);
        le(1, 4);  // text
        b += title;
        b += '\0';
        if (b.size() % 2) b += '\0';
    }
    uint32_t riff = (uint32_t)b.size() - 8;
    for (int i = 0; i < 4; ++i) b[4 + i] = (char)(riff >> (8 * i));
    std::ofstream(path, std::ios::binary) << b;
}
}  // namespace e2e
