// Bit writer for building MPEG audio frames in a caller-owned byte buffer. Writes most
// significant bit first, as the frame layout wants; never writes past the buffer's end.
#pragma once
#include <cstdint>
#include <cstring>

struct EncBitWriter {
    uint8_t* buf;      // destination, zeroed by EncBitsStart
    uint32_t capBits;  // capacity in bits
    uint32_t posBits;  // bits written so far
};

inline void EncBitsStart(EncBitWriter* w, uint8_t* buf, uint32_t capBytes) {
    w->buf = buf;
    w->capBits = capBytes * 8;
    w->posBits = 0;
    std::memset(buf, 0, capBytes);
}

// Appends the low `count` bits of value (count <= 32). Bits beyond the capacity are dropped,
// which a correct caller never asks for.
inline void EncPutBits(EncBitWriter* w, uint32_t value, int count) {
    while (count > 0) {
        if (w->posBits >= w->capBits) return;
        uint32_t byte = w->posBits >> 3;
        int freeInByte = 8 - int(w->posBits & 7);
        int take = count < freeInByte ? count : freeInByte;
        uint32_t part = (value >> (count - take)) & ((1u << take) - 1u);
        w->buf[byte] |= uint8_t(part << (freeInByte - take));
        w->posBits += uint32_t(take);
        count -= take;
    }
}
