// Layer III Huffman coding shared by the quantisation loop and the frame writer: how many bits a
// granule's quantised lines cost (choosing regions and tables on the way), and the bitstream
// writers of side information, scale factors and Huffman code.
#pragma once
#include <cstdint>

#include "enc_bits.h"
#include "enc_layer3.h"

// Splits the big-value lines into regions, picks tables and the count1 table; returns the
// Huffman bits (part 3).
int EncL3CountBits(EncL3Granule* g, const uint16_t* sfbLong);

void EncL3WriteScalefactors(EncBitWriter* w, const EncL3Granule* g);
// The granule's Huffman code; the signs come from xr.
void EncL3WriteHuffman(EncBitWriter* w, const EncL3Granule* g, const float* xr);
void EncL3WriteSideInfo(EncBitWriter* w, int channels, int mainDataBegin, const EncL3Granule (*gr)[2]);
