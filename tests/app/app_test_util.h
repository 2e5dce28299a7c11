// Files the shell's tests hand to the deck.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

// A 16-bit stereo WAVE file of silence at rate, seconds long: its bytes, or written to path.
inline std::string SilentWave(uint32_t rate, uint32_t seconds) {
    const uint32_t data = rate * 4 * seconds;
    std::string b;
    auto le = [&b](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b += (char)(v >> (8 * i));
    };
    b += "RIFF", le(36 + data, 4), b += "WAVEfmt ", le(16, 4), le(1, 2), le(2, 2), le(rate, 4), le(rate * 4, 4);
    le(4, 2), le(16, 2), b += "data", le(data, 4), b.resize(b.size() + data, '\0');
    return b;
}
inline std::string WriteSilentWave(const std::string& path, uint32_t seconds) {
    std::ofstream(path, std::ios::binary) << SilentWave(44100, seconds);
    return path;
}
