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
    uint32_t rate = 44100, block = channels * bits / 8;
    Bytes b;
    AppendText(&b, "RIFF");
    AppendLe32(&b, 0);
    AppendText(&b, "WAVEfmt ");
    AppendLe32(&b, 16);
    uint8_t fmt[16] = {1, 0, uint8_t(channels), 0};
    for (int i = 0; i < 4; i++) fmt[4 + i] = uint8_t(rate >> (8 * i)), fmt[8 + i] = uint8_t((rate * block) >> (8 * i));
    fmt[12] = uint8_t(block), fmt[14] = uint8_t(bits);
    AppendBytes(&b, fmt, 16);
    if (junkBytes) {
        AppendText(&b, "JUNK");
        AppendLe32(&b, junkBytes);
        b.resize(b.size() + junkBytes, 0);
    }
    AppendText(&b, "data");
    AppendLe32(&b, dataBytes);
    for (uint32_t i = 0; i < dataBytes; i++) b.push_back(uint8_t(i * 7 + (i >> 8) + seed));
    if (dataBytes & 1) b.push_back(0);
    if (title) {
        uint32_t n = uint32_t(std::strlen(title)) + 1;
        AppendText(&b, "DISP");
        AppendLe32(&b, n + 4);
        AppendLe32(&b, 1);
        AppendBytes(&b, title, n);
        if (n & 1) b.push_back(0);
    }
    uint32_t riff = uint32_t(b.size() - 8);
    std::memcpy(&b[4], &riff, 4);
    return b;
}
