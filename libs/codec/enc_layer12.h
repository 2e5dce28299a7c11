// Layers I and II: scale factors, bit allocation driven by the signal-to-mask ratios, and the
// frame layout after the header.
#pragma once
#include "enc_bits.h"

// Writes one frame's body (after the 32-bit header, which the caller has written into w).
// subband[ch][t][sb]: 12 (layer I) or 36 (layer II) samples per subband; smrDb[ch][sb]: the
// psychoacoustic model's signal-to-mask ratio; frameBits: the frame's total size in bits.
void EncLayer1Body(EncBitWriter* w, int channels, const float subband[][36][32], const float smrDb[][32],
                   int frameBits);
// Layer II stereo: the subband from which on the two channels can share their samples (joint
// stereo bound: 4, 8, 12 or 16), where coding them once and rescaling each channel leaves an
// error well below the mask; 32 when the channels differ too much for that.
int EncLayer2JointBound(int sampleRate, int bitrateKbps, const float subband[][36][32], const float smrDb[][32]);
// bound: subbands from it on are coded jointly (stereo only; 32 for none).
void EncLayer2Body(EncBitWriter* w, int channels, int sampleRate, int bitrateKbps, const float subband[][36][32],
                   const float smrDb[][32], int frameBits, int bound);
