// Layer III Huffman coding shared by the quantisation loop and the frame writer: how many bits a
// granule's quantised lines cost (choosing regions and tables on the way), and the bitstream
// writers of side information, scale factors and Huffman code.
#pragma once
#include <cstdint>

#include "enc_bits.h"
#include "enc_layer3.h"

// Fills t->pairBits (the code lengths of each group of candidate tables, packed for counting).
void EncL3InitHuffman(EncL3Tables* t);

// Splits the big-value lines into regions, picks tables and the count1 table; returns the
// Huffman bits (part 3). No line at or past `lines` may be non-zero.
int EncL3CountBits(const EncL3Tables* t, EncL3Granule* g, const uint16_t* sfbLong, int lines = ENC_L3_LINES);

void EncL3WriteScalefactors(EncBitWriter* w, const EncL3Granule* g);
// The granule's Huffman code; the signs come from xr.
void EncL3WriteHuffman(EncBitWriter* w, const EncL3Granule* g, const float* xr);
void EncL3WriteSideInfo(EncBitWriter* w, int channels, int mainDataBegin, const EncL3Granule (*gr)[2]);
