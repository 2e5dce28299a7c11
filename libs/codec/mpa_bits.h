// Bit reader over a byte buffer, most significant bit first, as MPEG audio streams are written.
// Reading past the end yields zero bits and sets `overrun`, so a truncated frame can never make
// the decoder read outside its buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

struct MpaBits {
    const uint8_t* data;  // first byte
    size_t bitCount;      // readable bits
    size_t pos;           // next bit to read
    int overrun;          // 1 once a read went past the end
};

void MpaBitsInit(MpaBits* bits, const uint8_t* data, size_t bytes);

// Reads n bits (0..25) as an unsigned value.
inline uint32_t MpaBitsPeek(const MpaBits* bits, int n) {
    if (n == 0) return 0;
    size_t bytePos = bits->pos >> 3;
    size_t total = (bits->bitCount + 7) >> 3;
    uint32_t word = 0;
    if (bytePos + 4 <= total) {
        uint8_t b[4];
        std::memcpy(b, bits->data + bytePos, 4);
        word = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    } else {
        for (int i = 0; i < 4; ++i) {
            word <<= 8;
            if (bytePos + i < total) word |= bits->data[bytePos + i];
        }
    }
    word <<= (bits->pos & 7);
    return word >> (32 - n);
}

inline uint32_t MpaBitsRead(MpaBits* bits, int n) {
    uint32_t v = MpaBitsPeek(bits, n);
    bits->pos += n;
    if (bits->pos > bits->bitCount) bits->overrun = 1;
    return v;
}

inline void MpaBitsSkip(MpaBits* bits, size_t n) {
    bits->pos += n;
    if (bits->pos > bits->bitCount) bits->overrun = 1;
}

inline size_t MpaBitsLeft(const MpaBits* bits) { return bits->pos >= bits->bitCount ? 0 : bits->bitCount - bits->pos; }
