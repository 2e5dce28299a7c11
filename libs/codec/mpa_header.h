// MPEG audio frame header: the 32-bit word at the start of every frame, decoded into a plain
// record. A free-format header (bit-rate index 0) carries no frame size: it is read only when the
// caller knows the stream's unpadded frame size (found by the stream scan).
#pragma once
#include <cstddef>
#include <cstdint>

enum : int {
    MPA_HEADER_BYTES = 4,
    MPA_MODE_STEREO = 0,
    MPA_MODE_JOINT = 1,
    MPA_MODE_DUAL = 2,
    MPA_MODE_MONO = 3,
    MPA_MAX_FRAME_BYTES = 1732,  // largest legal frame: layer II at 384 kbit/s and 32 kHz, padded
    MPA_MIN_FREE_BYTES = 21,     // a header and the smallest side information
    // Free format goes beyond the bit-rate table: up to 640 kbit/s layer III at 32 kHz, which
    // common encoders make and players accept (frame size without padding).
    MPA_MAX_FREE_BYTES = 2880,
};

struct MpaHeader {
    int versionIndex;  // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    int versionBit;    // the header's ID bit (1 = MPEG-1)
    int layer;         // 1, 2 or 3
    int layerCode;     // the two layer bits as coded (3 = layer I ... 1 = layer III)
    int crc;           // 1 when a 16-bit CRC follows the header
    int bitrateIndex;
    int bitrateKbps;
    int sampleRateIndex;
    uint32_t sampleRate;  // Hz
    int padding;
    int privateBit;
    int mode;  // MPA_MODE_*
    int modeExtension;
    int copyright;
    int original;
    int emphasis;
    int channels;    // 1 or 2
    int frameBytes;  // whole frame including header
    int samples;     // samples per channel in this frame
    int freeBytes;   // free format: the stream's frame size without padding; else 0
};

// Decodes a header word (big-endian first four bytes of a frame). Returns 1 when the word is a
// valid header and fills *out; returns 0 otherwise. A free-format header is valid only with
// freeBytes, the stream's unpadded frame size (MPA_MIN_FREE_BYTES..MPA_MAX_FREE_BYTES).
int MpaParseHeader(uint32_t word, MpaHeader* out, int freeBytes = 0);

// 1 when the word is a free-format header that would be valid given its frame size.
int MpaIsFreeFormat(uint32_t word);

// Reads the big-endian header word at p (4 bytes must be readable).
inline uint32_t MpaHeaderWord(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// 1 when two headers belong to the same stream (version, layer, sample rate and free format or
// not agree).
int MpaSameStream(const MpaHeader* a, const MpaHeader* b);
