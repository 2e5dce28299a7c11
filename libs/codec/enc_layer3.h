// Layer III: hybrid filterbank (MDCT over the subbands, long and short blocks), the
// quantisation loops driven by the psychoacoustic model's allowed noise per scale-factor band,
// Huffman coding, side information and the bit reservoir, which lets a frame borrow bytes that
// earlier frames left unused.
#pragma once
#include <cstdint>

#include "enc_psy.h"

enum : int {
    ENC_L3_LINES = 576,
    ENC_L3_HOLD_BYTES = 4 * 1729 + 64,  // frames waiting for their main data area to fill
    ENC_L3_MAX_HELD_FRAMES = 8
};

struct EncL3Tables {
    float mdctLong[36][20];  // cosine, long blocks [input][output], outputs padded to 20
    float mdctShort[12][8];  // window times cosine, one short block [input][output], padded
    float window[4][36];     // long, start, short (first 12), stop
    float aliasCs[8], aliasCa[8];
    float pow43[8208];  // |q|^(4/3) for noise measurement
    // By k = global gain - 2 * scale factor + 64: the quantiser's input scale
    // 2^(-3/16 (k - 274)) and the dequantiser's step 2^((k - 274) / 4).
    float quantScale[320], dequantStep[320];
    // Per group of candidate Huffman tables, by x * 16 + y: the code lengths of the pair under
    // each candidate in 16-bit fields 0..2 and its sign bits in field 3, so that one addition
    // per pair counts a region under every candidate (see enc_l3_huffman.cpp).
    uint64_t pairBits[7][256];
};

struct EncL3Channel {
    float prevSub[18][32];  // subband samples of the granule before the coded one (MDCT overlap)
    float heldSub[18][32];  // the newest granule, coded with the next frame
    float segEnergy[3];     // energy of the last three sixths of a granule (attack detection)
};

// One granule of one channel as coded.
struct EncL3Granule {
    int ix[ENC_L3_LINES];  // quantised magnitudes in bitstream order (short: band, window, line)
    int part23;            // bits of scale factors and Huffman code
    int part2;             // of which scale factors
    int bigValues;
    int count1End;  // one past the last non-zero quadruple
    int globalGain;
    int scalefacCompress;
    int blockType;
    int tableSelect[3];
    int region0, region1;  // region counts (long blocks)
    int region1Start, region2Start;
    int count1Table;
    int sf[39];  // long: 21 bands; short: 12 bands x 3 windows, band-major
};

struct EncL3HeldFrame {
    int start;      // offset in held[]
    int mainStart;  // first main-data byte (after header and side information)
    int end;        // one past the frame's last byte
};

struct EncLayer3 {
    EncL3Tables tables;
    EncL3Channel ch[2];
    uint8_t held[ENC_L3_HOLD_BYTES];  // frames not yet handed out
    int heldLen;
    EncL3HeldFrame frames[ENC_L3_MAX_HELD_FRAMES];
    int frameCount;
    int fillFrame;                    // frame whose main data area is being filled
    int fillPos;                      // next main-data byte in held[]
    int heldAttack;                   // the held granule's coded block must be short
    int heldLateAttack;               // a transient in the last third of the held granule
    int blockType;                    // of the last granule planned (0 long, 1 start, 2 short, 3 stop)
    int firstGain[2];                 // per channel: the last granule's gain before any scale factor
    float lowpassLong[ENC_L3_LINES];  // gain per MDCT line of a long block (the lowpass)
    float lowpassShort[192];          // and per line of one short block
    // work areas of one frame
    float xr[2][2][ENC_L3_LINES];  // [granule][channel] spectrum
    float xr34[ENC_L3_LINES];      // |xr|^(3/4) of the granule being coded
    EncL3Granule gr[2][2];         // coded granules
    EncL3Granule trial;            // the quantisation loop's current attempt
    uint8_t mainBuf[512 + 1729];   // main data of one frame
};

void EncL3InitTables(EncL3Tables* t);
void EncL3Reset(EncLayer3* l3);
// Sets the lowpass: lines up to about 94 % of cutoffHz pass, a cosine taper reaches zero at
// cutoffHz. Without a call nothing is cut.
void EncL3SetLowpass(EncLayer3* l3, int sampleRate, float cutoffHz);

// What one frame needs besides its subband samples.
struct EncL3Frame {
    int channels;
    int rateSlot;                   // scale-factor band table: 0 44.1 kHz, 1 48 kHz, 2 32 kHz
    int frameBytes;                 // this frame's length including padding
    uint8_t header[4];              // the frame header; the mode extension is filled in here
    float ratio[2][2][22];          // [granule][channel][band]: allowed noise / signal energy
    float ratioShort[2][2][3][13];  // the same per short window and band
    float pe[2][2];                 // perceptual entropy per granule and channel
    int blockType[2];               // per granule, from EncL3PlanBlocks (both channels alike)
};

// Decides the block types of the frame's two coded granules from the transients in its subband
// samples (call once per frame, before the analysis and EncL3EncodeFrame).
void EncL3PlanBlocks(EncLayer3* l3, int channels, const float subband[][36][32], int* blockTypeOut);

// Encodes a frame. Appends every frame whose main data area is complete to out and returns
// the bytes appended (-1 when cap is too small).
int EncL3EncodeFrame(EncLayer3* l3, const EncL3Frame* f, const float subband[][36][32], uint8_t* out, int cap);

// Hands out the frames still held, their unused main data bytes zero. Returns bytes written.
int EncL3Finish(EncLayer3* l3, uint8_t* out, int cap);
