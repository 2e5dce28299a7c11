// Layer III Huffman coding: table choice and bit counts for the quantisation loop, and the
// writers of side information, scale factors and Huffman code (see enc_l3_huffman.h).
#include "enc_l3_huffman.h"

#include "mpa_tables.h"

namespace {

// Bits of a region under up to three tables at once (all with escape bits or all without):
// the signs and escapes are the same for each, only the code lengths differ.
void RegionBits(const int* ix, int start, int end, const int* tables, int n, int* bitsOut) {
    const MpaHuffTable* t[3];
    for (int k = 0; k < n; ++k) t[k] = &MPA_HUFF[tables[k]];
    const bool escapes = t[0]->linbits > 0;
    int len[3] = {0, 0, 0}, signs = 0, escaped = 0;
    for (int i = start; i < end; i += 2) {
        int x = ix[i], y = ix[i + 1];
        signs += (x != 0) + (y != 0);
        if (escapes) {
            if (x >= 15) {
                x = 15;
                ++escaped;
            }
            if (y >= 15) {
                y = 15;
                ++escaped;
            }
        }
        for (int k = 0; k < n; ++k) len[k] += t[k]->codes[x * t[k]->size + y].len;
    }
    for (int k = 0; k < n; ++k) bitsOut[k] = len[k] + signs + escaped * t[k]->linbits;
}

// Chooses the cheapest table that can code a region; returns its bits, table in *tableOut.
int ChooseTable(const int* ix, int start, int end, int* tableOut) {
    int maxv = 0;
    for (int i = start; i < end; ++i)
        if (ix[i] > maxv) maxv = ix[i];
    *tableOut = 0;
    if (maxv == 0 || start >= end) return 0;
    // Candidate tables by the largest value they code without escape bits.
    static const int GROUPS[6][3] = {
        {1,  2,  3 },
        {2,  3,  0 },
        {5,  6,  0 },
        {7,  8,  9 },
        {10, 11, 12},
        {13, 15, 0 }
    };
    static const int GROUP_MAX[6] = {1, 2, 3, 5, 7, 15};
    int candidates[3], n = 0;
    if (maxv <= 15) {
        int g = 0;
        while (GROUP_MAX[g] < maxv) ++g;
        while (n < 3 && GROUPS[g][n]) {
            candidates[n] = GROUPS[g][n];
            ++n;
        }
    } else {
        // Escape tables: the first of each family (16-23, 24-31) with enough extra bits.
        for (int family = 16; family <= 24; family += 8)
            for (int t = family; t < family + 8; ++t)
                if (15 + (1 << MPA_HUFF[t].linbits) - 1 >= maxv) {
                    candidates[n++] = t;
                    break;
                }
    }
    int bits[3] = {0, 0, 0};
    RegionBits(ix, start, end, candidates, n, bits);
    int best = 0;
    for (int k = 1; k < n; ++k)
        if (bits[k] < bits[best]) best = k;
    *tableOut = candidates[best];
    return bits[best];
}

void WritePairs(EncBitWriter* w, int table, const int* ix, const float* xr, int start, int end) {
    if (table == 0) return;
    const MpaHuffTable& t = MPA_HUFF[table];
    for (int i = start; i < end; i += 2) {
        int ax = ix[i], ay = ix[i + 1];
        int cx = ax, cy = ay;
        if (t.linbits) {
            if (cx > 15) cx = 15;
            if (cy > 15) cy = 15;
        }
        const MpaHuffCode& code = t.codes[cx * t.size + cy];
        EncPutBits(w, code.code, code.len);
        if (t.linbits && ax >= 15) EncPutBits(w, uint32_t(ax - 15), t.linbits);
        if (ax) EncPutBits(w, xr[i] < 0.0f ? 1u : 0u, 1);
        if (t.linbits && ay >= 15) EncPutBits(w, uint32_t(ay - 15), t.linbits);
        if (ay) EncPutBits(w, xr[i + 1] < 0.0f ? 1u : 0u, 1);
    }
}

}  // namespace

// Splits the big-value lines into regions, picks tables and the count1 table; returns the
// Huffman bits (part 3), or a huge number when a value is out of range.
int EncL3CountBits(EncL3Granule* g, const uint16_t* sfbLong) {
    const int* ix = g->ix;
    int end = ENC_L3_LINES;
    while (end > 1 && ix[end - 1] == 0 && ix[end - 2] == 0) end -= 2;
    g->count1End = end;
    int i = end;
    while (i > 3) {
        if ((ix[i - 1] | ix[i - 2] | ix[i - 3] | ix[i - 4]) > 1) break;
        i -= 4;
    }
    g->bigValues = i / 2;
    int bigEnd = i;

    int bits = 0;
    // count1: table A (Huffman) or B (four plain bits), plus signs
    int bitsA = 0, bitsB = 0;
    for (int k = bigEnd; k < end; k += 4) {
        int v = ix[k] != 0, w = ix[k + 1] != 0, x = ix[k + 2] != 0, y = ix[k + 3] != 0;
        int signs = v + w + x + y;
        bitsA += MPA_HUFF_QUAD[0][v * 8 + w * 4 + x * 2 + y].len + signs;
        bitsB += 4 + signs;
    }
    g->count1Table = bitsB < bitsA ? 1 : 0;
    bits += bitsB < bitsA ? bitsB : bitsA;

    if (g->blockType != 0) {
        // Window-switched granules have fixed regions: 36 lines, then the rest.
        g->region1Start = 36 < bigEnd ? 36 : bigEnd;
        g->region2Start = bigEnd;
        g->region0 = 7;
        g->region1 = 0;
    } else {
        int nsfb = 0;
        while (nsfb < 22 && sfbLong[nsfb] < bigEnd) ++nsfb;
        int r0 = (nsfb * 3 + 5) / 10, r1 = (nsfb * 3 + 5) / 10;
        if (r0 > 15) r0 = 15;
        if (r1 > 7) r1 = 7;
        int a = r0 + 1 > 22 ? 22 : r0 + 1, b = r0 + r1 + 2 > 22 ? 22 : r0 + r1 + 2;
        g->region0 = r0;
        g->region1 = r1;
        g->region1Start = sfbLong[a] < bigEnd ? sfbLong[a] : bigEnd;
        g->region2Start = sfbLong[b] < bigEnd ? sfbLong[b] : bigEnd;
    }
    bits += ChooseTable(ix, 0, g->region1Start, &g->tableSelect[0]);
    bits += ChooseTable(ix, g->region1Start, g->region2Start, &g->tableSelect[1]);
    bits += ChooseTable(ix, g->region2Start, bigEnd, &g->tableSelect[2]);
    return bits;
}

void EncL3WriteScalefactors(EncBitWriter* w, const EncL3Granule* g) {
    int s1 = MPA_L3_SLEN[0][g->scalefacCompress], s2 = MPA_L3_SLEN[1][g->scalefacCompress];
    if (g->blockType == 2) {
        for (int i = 0; i < 36; ++i) EncPutBits(w, uint32_t(g->sf[i]), i < 18 ? s1 : s2);
    } else {
        for (int i = 0; i < 21; ++i) EncPutBits(w, uint32_t(g->sf[i]), i < 11 ? s1 : s2);
    }
}

void EncL3WriteHuffman(EncBitWriter* w, const EncL3Granule* g, const float* xr) {
    int bigEnd = g->bigValues * 2;
    WritePairs(w, g->tableSelect[0], g->ix, xr, 0, g->region1Start);
    WritePairs(w, g->tableSelect[1], g->ix, xr, g->region1Start, g->region2Start);
    WritePairs(w, g->tableSelect[2], g->ix, xr, g->region2Start, bigEnd);
    for (int k = bigEnd; k < g->count1End; k += 4) {
        int q[4] = {g->ix[k], g->ix[k + 1], g->ix[k + 2], g->ix[k + 3]};
        int v = q[0] != 0, x1 = q[1] != 0, x2 = q[2] != 0, y = q[3] != 0;
        int idx = v * 8 + x1 * 4 + x2 * 2 + y;
        if (g->count1Table)
            EncPutBits(w, uint32_t(15 - idx), 4);
        else
            EncPutBits(w, MPA_HUFF_QUAD[0][idx].code, MPA_HUFF_QUAD[0][idx].len);
        for (int j = 0; j < 4; ++j)
            if (q[j]) EncPutBits(w, xr[k + j] < 0.0f ? 1u : 0u, 1);
    }
}

void EncL3WriteSideInfo(EncBitWriter* w, int channels, int mainDataBegin, const EncL3Granule (*gr)[2]) {
    EncPutBits(w, uint32_t(mainDataBegin), 9);
    EncPutBits(w, 0, channels == 1 ? 5 : 3);
    EncPutBits(w, 0, 4 * channels);  // scfsi: every granule sends its own scale factors
    for (int g = 0; g < 2; ++g)
        for (int ch = 0; ch < channels; ++ch) {
            const EncL3Granule& x = gr[g][ch];
            EncPutBits(w, uint32_t(x.part23), 12);
            EncPutBits(w, uint32_t(x.bigValues), 9);
            EncPutBits(w, uint32_t(x.globalGain), 8);
            EncPutBits(w, uint32_t(x.scalefacCompress), 4);
            if (x.blockType != 0) {
                EncPutBits(w, 1, 1);
                EncPutBits(w, uint32_t(x.blockType), 2);
                EncPutBits(w, 0, 1);  // no mixed blocks
                EncPutBits(w, uint32_t(x.tableSelect[0]), 5);
                EncPutBits(w, uint32_t(x.tableSelect[1]), 5);
                EncPutBits(w, 0, 9);  // subblock gains
            } else {
                EncPutBits(w, 0, 1);
                EncPutBits(w, uint32_t(x.tableSelect[0]), 5);
                EncPutBits(w, uint32_t(x.tableSelect[1]), 5);
                EncPutBits(w, uint32_t(x.tableSelect[2]), 5);
                EncPutBits(w, uint32_t(x.region0), 4);
                EncPutBits(w, uint32_t(x.region1), 3);
            }
            EncPutBits(w, 0, 1);  // preflag
            EncPutBits(w, 0, 1);  // scalefac_scale
            EncPutBits(w, uint32_t(x.count1Table), 1);
        }
}
