// WAVE files built byte by byte for the file tools' tests.
#pragma once
#include <cstring>
#include "media_test_util.h"

// A PCM WAVE file at 44.1 kHz, 16-bit stereo unless told: each byte of sound a function of its
// index and the seed (so a shifted cut or the wrong file's sound shows), behind a "JUNK" chunk
// of junkBytes when asked (the sound then starts later than the usual 44 bytes), and followed by
// a "DISP" title chunk when given one.
inline Bytes MakeWave(uint32_t dataBytes, uint16_t channels = 2, uint16_t bits = 16, const char* title = nullptr,
                      uint32_t junkBytes = 0, uint8_t seed = 0) {
    const uint32_t block = channels * bits / 8;
    const uint32_t fmt[4] = {1u | uint32_t(channels) << 16, 44100, 44100 * block, block | uint32_t(bits) << 16};
    Bytes b;
    auto chunk = [&](const char* id, uint32_t bytes) {
        AppendText(&b, id);
        AppendLe32(&b, bytes);
    };
    chunk("RIFF", 0);
    AppendText(&b, "WAVE");
    chunk("fmt ", 16);
    for (uint32_t v : fmt) AppendLe32(&b, v);
    if (junkBytes) chunk("JUNK", junkBytes), b.resize(b.size() + junkBytes, 0);
    chunk("data", dataBytes);
    for (uint32_t i = 0; i < dataBytes; i++) b.push_back(uint8_t(i * 7 + (i >> 8) + seed));
    if (dataBytes & 1) b.push_back(0);
    if (title) {
        uint32_t n = uint32_t(std::strlen(title)) + 1;
        chunk("DISP", n + 4);
        AppendLe32(&b, 1);
        AppendBytes(&b, title, n);
        if (n & 1) b.push_back(0);
    }
    uint32_t riff = uint32_t(b.size() - 8);
    std::memcpy(&b[4], &riff, 4);
    return b;
}
