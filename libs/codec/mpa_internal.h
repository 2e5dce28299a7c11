// Stage functions shared by the decoder's source files (not part of the codec's public API).
#pragma once
#include "mpa_bits.h"
#include "mpa_decoder.h"
#include <cstring>

const double MPA_PI = 3.14159265358979323846;

// Four floats as one SIMD value (GCC and Clang vector extension; plain SSE2 on x86-64).
typedef float F4 __attribute__((vector_size(16)));

inline F4 Load4(const float* p) {
    F4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store4(float* p, F4 v) { std::memcpy(p, &v, sizeof v); }

// Layer III granule/channel record, from the side information.
struct MpaGranule {
    int part23Length;
    int bigValues;
    int globalGain;
    int scalefacCompress;
    int windowSwitching;
    int blockType;
    int mixed;
    int tableSelect[3];
    int subblockGain[3];
    int region0Count;
    int region1Count;
    int preflag;
    int scalefacScale;
    int count1Table;
    // derived
    int region1Start;  // first line of region 1
    int region2Start;  // first line of region 2
};

// Huffman (mpa_huffman.cpp)
void MpaHuffInit(MpaDecoder* dec);
// Decodes the big-value and count1 regions of one granule into is[576] (signed integer
// magnitudes); reads up to bit position endBit. Returns the number of lines that may be
// non-zero (a multiple of 2 or 4, at most 576), or -1 on corrupt data.
int MpaHuffDecode(const MpaDecoder* dec, MpaBits* bits, size_t endBit, const MpaGranule* g, int sfbSlot, int is[576]);

// Synthesis (mpa_synth.cpp): `count` time slots of 32 subband samples per channel -> 32 PCM
// samples per slot and channel, written interleaved to out. The subbands of slot t, channel ch
// start at subbands[t * slotStride + ch * chStride].
void MpaSynthInit(MpaDecoder* dec);
void MpaSynthSlots(MpaDecoder* dec, int nch, const float* subbands, int slotStride, int chStride, int count,
                   float* out);
// Advances the shared V-vector position after all channels of one time slot.
void MpaSynthAdvance(MpaDecoder* dec);

// IMDCT (mpa_imdct.cpp): 576 lines of one granule/channel -> 18 time slots of 32 subbands,
// out[t][sb]. blockType as in the side information; mixed keeps two long subbands.
void MpaImdctInit(MpaDecoder* dec);
void MpaImdct(MpaDecoder* dec, int ch, const float xr[576], int blockType, int mixed, int activeLines,
              float out[18][32]);

// Stereo (mpa_stereo.cpp): joint-stereo processing of one granule in place.
struct MpaStereoInput {
    const MpaHeader* header;
    const MpaGranule* granule;  // right channel's granule record (block type decides bands)
    const int* rightLong;       // right channel scale factors of the long bands [22]
    const int* rightShort;      // and of the short bands, [sfb * 3 + window]
    const int* illegalPos;      // MPEG-2: illegal intensity position per band (long 0..21,
                                // short 22 + sfb), else null
    int sfbSlot;
    int lsfIntensityScale;  // MPEG-2 intensity scale bit
    int rightNonzero;       // lines of the right channel that may be non-zero
    int activeLines;        // lines of either channel that may be non-zero
};
void MpaStereoInit(MpaDecoder* dec);
void MpaStereo(const MpaDecoder* dec, const MpaStereoInput* in, float left[576], float right[576]);

// Layers I and II (mpa_layer12.cpp): decode the audio data after the header (and CRC).
int MpaDecodeLayer1(MpaDecoder* dec, const MpaHeader* h, MpaBits* bits, float* pcmOut);
int MpaDecodeLayer2(MpaDecoder* dec, const MpaHeader* h, MpaBits* bits, float* pcmOut);
// Bits of the audio data (from the first byte after the CRC word) that the frame's CRC covers:
// the bit allocation, and for layer II the scale-factor selection as well.
size_t MpaLayer12ProtectedBits(const MpaHeader* h, const uint8_t* data, size_t bytes);

// Layer III (mpa_layer3.cpp).
void MpaLayer3Init(MpaDecoder* dec);
int MpaDecodeLayer3(MpaDecoder* dec, const MpaHeader* h, const uint8_t* frame, size_t frameBytes, float* pcmOut);
// Bytes of layer III side information (the part the CRC covers).
int MpaLayer3SideInfoBytes(const MpaHeader* h);
// Adds a frame's main data to the reservoir without decoding it (a frame whose side
// information is known to be damaged still carries main data later frames point into).
void MpaLayer3KeepMainData(MpaDecoder* dec, const MpaHeader* h, const uint8_t* frame, size_t frameBytes);
