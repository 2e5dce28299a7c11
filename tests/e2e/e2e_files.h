// What the end-to-end tests name and write from outside the deck: Wine paths, the deck's window
// classes, command ids (resources/resource.h) and settings key, stereo tones and the WAVE files
// that carry them, and the one way to wait for something the deck does.
#pragma once
#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/window_messages.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace e2e {
const int RATE = 44100;
const char* const DECK_CLASS = DECK_WINDOW_CLASS;
const char DECK_TITLE[] = "Quaverly Deck";
const char LIST_CLASS[] = "VORNEX_USB_PLAY_LIST";  // the playlist window
const char SETTINGS_KEY[] = "HKCU\\" SETTINGS_KEY_PATH;
const unsigned WM_COMMAND_ = 0x0111;
// The simulated USB host (QD_USB_SIM) a deck test starts with: the device on the root hub, on IN1
// with its digital input locked at 44100 Hz, and that input's channel status.
const char DEVICE_STATE[] =
    "hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n"
    "port ROOT0 2 vornex {media}\\0001 Kelvara Vornex USB\n"
    "reg 6 1\nreg 7 6\ninput 2 130 0 2\n";

// How long a test waits for the deck under Wine. Generous, for a loaded two-core machine: every
// wait ends as soon as its condition holds, so only a failure pays for the length.
const int START_MS = 120000;  // the deck's window shows after a start
const int WAIT_MS = 60000;    // anything else the deck is asked to do

// Checks condition every pollMs until it holds (true) or timeoutMs have passed (false, after one
// last look). The only place the end-to-end tests sleep, apart from the feeder's real-time pace.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs = 100) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
    }
    return true;
}

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
// Power of the left channel of 16-bit stereo sound at one frequency (Goertzel, per frame).
inline double PowerAt(const std::string& pcmBytes, double hz) {
    double k = 2 * std::cos(2 * M_PI * hz / RATE), s1 = 0, s2 = 0;
    size_t frames = pcmBytes.size() / 4;
    for (size_t i = 0; i < frames; ++i) {
        int16_t sample = (int16_t)((uint8_t)pcmBytes[4 * i] | (uint8_t)pcmBytes[4 * i + 1] << 8);
        double s0 = sample + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return frames ? (s1 * s1 + s2 * s2 - k * s1 * s2) / ((double)frames * frames) : 0.0;
}

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
