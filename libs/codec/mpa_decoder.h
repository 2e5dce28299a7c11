// MPEG audio frame decoder (layers I, II and III; MPEG-1, MPEG-2 and MPEG-2.5). The caller owns
// the whole state in one MpaDecoder record: no globals, no heap, so several decoders can run at
// once (the player thread and a probe) and the fuzzer sees every byte it touches.
#pragma once
#include <cstddef>
#include <cstdint>

#include "mpa_header.h"

enum : int {
    MPA_MAX_CHANNELS = 2,
    MPA_MAX_SAMPLES = 1152,      // samples per channel in the largest frame
    MPA_RESERVOIR_BYTES = 4096,  // layer III main data kept from earlier frames
    MPA_HUFF_POOL = 12288,       // Huffman lookup entries for all tables
};

// Result codes of MpaDecodeFrame (dec->lastError).
enum : int {
    MPA_OK = 0,
    MPA_ERR_HEADER = 1,     // not a valid frame header
    MPA_ERR_TRUNCATED = 2,  // fewer bytes than the header's frame size
    MPA_ERR_DATA = 3,       // inconsistent side information or bit allocation
    MPA_ERR_RESERVOIR = 4,  // layer III frame refers to main data that was never seen
    MPA_ERR_CRC = 5,        // the frame's CRC does not match its protected bits
};

// Lookup for one Huffman table: `bits` index bits at the first level; see mpa_huffman.cpp.
struct MpaHuffLookup {
    uint16_t first;  // offset of the first-level table in MpaDecoder::huffPool
    uint8_t bits;    // first-level width
    uint8_t linbits;
};

struct MpaDecoder {
    // Constants computed once by MpaDecoderInit (kept here so the codec has no globals).
    float pow43[8207];          // |i|^(4/3)
    float imdctEven[9][12];     // long-block IMDCT: even and odd halves of its 18-point
    float imdctOdd[9][12];      // cosine transform [input][output], outputs padded to 12
    float imdctScale[18];       // and the output factors 1 / (2 cos(pi (2n + 1) / 72))
    float imdctShortCos[6][6];  // short-block IMDCT kernel [input][distinct output]
    float window[4][36];        // long, start, short (first 12), stop windows
    float synthWindow[512];     // synthesis window D[i]
    int wideSynth;              // 1: the synthesis windows eight outputs at a time (AVX2 and FMA)
    float dctScale[31];         // fast 32-point DCT of the synthesis: 1 / (2 cos) per stage
    float aaCs[8], aaCa[8];     // alias reduction butterflies
    float isRatio[7][2];        // MPEG-1 intensity stereo (left, right) factors
    float lsfIntensity[2][32];  // MPEG-2 intensity factor per position, for both scales
    uint32_t huffPool[MPA_HUFF_POOL];
    MpaHuffLookup huff[32];  // by table_select
    MpaHuffLookup quad[2];   // count1 tables A and B

    int freeBytes;  // free-format streams: the frame size without padding, set by the caller

    // Stream history, cleared by MpaDecoderResetStream.
    float synthBuf[MPA_MAX_CHANNELS][2048];   // polyphase V vectors, written twice for wrap-free reads
    int synthPos;                             // newest V vector position (0..15) * 64
    float overlap[MPA_MAX_CHANNELS][18][32];  // layer III IMDCT overlap [sample][subband]
    uint8_t reservoir[MPA_RESERVOIR_BYTES];   // layer III main data of the last frames
    int reservoirBytes;
    int lastError;     // MPA_OK or MPA_ERR_* of the last call
};

// Computes the constant tables and resets the stream history. Call once per record.
void MpaDecoderInit(MpaDecoder* dec);

// Forgets all history (after a seek or a new stream); the constants stay.
void MpaDecoderResetStream(MpaDecoder* dec);

// Decodes one whole frame starting at `frame` (header included; `bytes` readable bytes).
// Writes header->samples interleaved samples per channel to pcmOut (room for
// MPA_MAX_SAMPLES * 2 floats), full scale = 1.0, channel count of the frame's header. Returns
// the samples per channel written, or 0 when no header could be read. A frame that cannot be
// decoded (truncated, inconsistent, failing its CRC, missing reservoir data) is written as
// silence and dec->lastError says why; the history is then cleared so no noise follows. A frame
// that decodes validly is never silenced, however loud it is.
int MpaDecodeFrame(MpaDecoder* dec, const uint8_t* frame, size_t bytes, float* pcmOut, MpaHeader* headerOut);
