// Constant tables of MPEG audio (layers I, II, III; MPEG-1, MPEG-2 and MPEG-2.5), shared by the
// decoder and the encoder. Plain data only: no state, no initialisation at run time, so both
// sides (and the fuzzer) see exactly the same numbers.
#pragma once
#include <cstdint>

// ---- Frame header -------------------------------------------------------------------------
// Version index used throughout the codec: 0 MPEG-1, 1 MPEG-2 (LSF), 2 MPEG-2.5.
// (The header's two version bits map 3 -> 0, 2 -> 1, 0 -> 2; value 1 is reserved.)
enum : int { MPA_MPEG1 = 0, MPA_MPEG2 = 1, MPA_MPEG25 = 2 };

// Bit rates in kbit/s: [lsf][layer - 1][bitrate index], lsf = 0 for MPEG-1 and 1 for MPEG-2 and
// MPEG-2.5. Index 0 is free format (0 here), index 15 is forbidden (0 here).
extern const uint16_t MPA_BITRATE_KBPS[2][3][16];

// Sample rates in Hz: [version index][sample-rate index 0..2].
extern const uint32_t MPA_SAMPLE_RATE[3][3];

// Samples per frame per channel: [version index][layer - 1] (384, 1152, 1152 or 576).
extern const uint16_t MPA_FRAME_SAMPLES[3][3];

// ---- Layers I and II --------------------------------------------------------------------------
// Scale factors of layers I and II: 2^(1 - i/3) for i = 0..62; entry 63 is invalid (0).
extern const double MPA_SCALEFACTOR[64];

// Quantisation classes of layer II. A sample code q of a class with n steps dequantises to
// (2q - (n - 1)) / n (times the scale factor); this also holds for layer I with n = 2^bits - 1.
// Grouped classes (3, 5 and 9 steps) pack three samples in one code of `bits` bits:
// code = s0 + n*s1 + n*n*s2.
struct MpaQuantClass {
    uint16_t steps;   // number of quantisation steps n
    uint8_t bits;     // bits per sample, or per group of three when grouped
    uint8_t grouped;  // 1 when three samples share one code word
};
enum : int { MPA_L2_CLASS_COUNT = 17 };
extern const MpaQuantClass MPA_L2_CLASSES[MPA_L2_CLASS_COUNT];

// One subband's row of a layer II allocation table: the allocation field is `nbal` bits wide;
// allocation value a (1 .. 2^nbal - 1) selects class MPA_L2_CLASSES[cls[a]]; a = 0 means no
// samples. Unused entries are -1.
struct MpaL2Row {
    uint8_t nbal;
    int8_t cls[16];
};

// A layer II allocation table: `sblimit` subbands, row per subband.
struct MpaL2Table {
    uint8_t sblimit;
    const MpaL2Row* rows[32];
};

// The five allocation tables: MPEG-1 tables A (27 subbands), B (30), C (8), D (12), and the
// MPEG-2/2.5 low-sample-rate table (30).
enum : int { MPA_L2_TABLE_A = 0, MPA_L2_TABLE_B, MPA_L2_TABLE_C, MPA_L2_TABLE_D, MPA_L2_TABLE_LSF };
extern const MpaL2Table MPA_L2_TABLES[5];

// Picks the allocation table for a frame: versionIndex as above, sampleRate in Hz, bitrate in
// kbit/s of the whole frame, channels 1 or 2. Returns one of MPA_L2_TABLE_*. Free format
// (bitrate 0) is treated as the highest bit rate.
int MpaL2SelectTable(int versionIndex, uint32_t sampleRate, int bitrateKbps, int channels);

// ---- Layer III -----------------------------------------------------------------------------------
// Scale-factor band boundaries (in spectral lines) by sample-rate slot = versionIndex * 3 +
// sample-rate index (0-2: 44.1/48/32 kHz, 3-5: 22.05/24/16 kHz, 6-8: 11.025/12/8 kHz).
// Long blocks: 22 bands over 576 lines; short blocks: 13 bands over 192 lines per window.
extern const uint16_t MPA_SFB_LONG[9][23];
extern const uint16_t MPA_SFB_SHORT[9][14];

// MPEG-1 scalefac_compress -> (slen1, slen2): MPA_L3_SLEN[0][c], MPA_L3_SLEN[1][c].
extern const uint8_t MPA_L3_SLEN[2][16];

// Pre-emphasis added to long-block scale factors when preflag is set (22 bands).
extern const uint8_t MPA_L3_PRETAB[22];

// MPEG-2/2.5 scale-factor partition sizes: [table 0..5][block kind][partition], block kind
// 0 = long/start/stop, 1 = short, 2 = mixed. Tables 0-2 are for the normal case and 3-5 for
// the intensity-stereo right channel (see the scalefac_compress split in the decoder).
extern const uint8_t MPA_L3_LSF_NSFB[6][3][4];

// Huffman code word of one (x, y) pair, or of one count1 quadruple: the code's `len` low bits.
struct MpaHuffCode {
    uint16_t code;
    uint8_t len;
};

// Big-value Huffman table: x and y range over 0 .. size-1 (15 stands for "15 or more" with
// `linbits` extra bits when linbits > 0); codes[x * size + y]. Tables 0, 4 and 14 have
// size 0 and no codes (table 0 codes all-zero regions; 4 and 14 are not used).
struct MpaHuffTable {
    uint8_t size;
    uint8_t linbits;
    const MpaHuffCode* codes;
};
extern const MpaHuffTable MPA_HUFF[32];

// count1 tables A (index 0, count1table_select 0) and B (index 1): codes[v*8 + w*4 + x*2 + y]
// for the four magnitudes v, w, x, y (each 0 or 1).
extern const MpaHuffCode MPA_HUFF_QUAD[2][16];

// ---- Synthesis -----------------------------------------------------------------------------------
// Synthesis window, times 65536 (exact integers): W[k] for k = 0..256. The 512 coefficients
// that weight the V vector (V[0..63] newest, U built from V as in the standard flow) are
// D[i] = W[min(i, 512 - i)], negated where i / 64 is odd.
extern const int32_t MPA_SYNTH_WINDOW[257];
