// Layer III Huffman coding: table choice and bit counts for the quantisation loop, and the
// writers of side information, scale factors and Huffman code (see enc_l3_huffman.h).
#include "enc_l3_huffman.h"

#include "mpa_tables.h"

namespace {

// Candidate tables by the largest value they code without escape bits; group 6 holds the
// escape tables, whose candidates are one of each family (16-23, 24-31) with enough linbits.
const int GROUPS[6][3] = {
    {1,  2,  3 },
    {2,  3,  0 },
    {5,  6,  0 },
    {7,  8,  9 },
    {10, 11, 12},
    {13, 15, 0 }
};
const int GROUP_MAX[6] = {1, 2, 3, 5, 7, 15};
const int ESCAPE_GROUP = 6;

uint64_t Field(uint64_t packed, int k) { return (packed >> (16 * k)) & 0xFFFF; }

// Sum of the packed entries of a region's pairs: at most 288 pairs of codes of at most 19 bits,
// so no field overflows into the next.
uint64_t RegionSum(const uint64_t* entries, const int* ix, int start, int end) {
    uint64_t sum = 0;
    for (int i = start; i < end; i += 2) {
        const int x = ix[i] < 15 ? ix[i] : 15, y = ix[i + 1] < 15 ? ix[i + 1] : 15;
        sum += entries[x * 16 + y];
    }
    return sum;
}

// Chooses the cheapest table that can code a region; returns its bits, table in *tableOut.
int ChooseTable(const EncL3Tables* tables, const int* ix, int start, int end, int* tableOut) {
    int maxv = 0;
    for (int i = start; i < end; ++i)
        if (ix[i] > maxv) maxv = ix[i];
    *tableOut = 0;
    if (maxv == 0 || start >= end) return 0;
    int candidates[3], n = 0, group;
    if (maxv <= 15) {
        group = 0;
        while (GROUP_MAX[group] < maxv) ++group;
        while (n < 3 && GROUPS[group][n]) {
            candidates[n] = GROUPS[group][n];
            ++n;
        }
    } else {
        group = ESCAPE_GROUP;
        for (int family = 16; family <= 24; family += 8)
            for (int t = family; t < family + 8; ++t)
                if (15 + (1 << MPA_HUFF[t].linbits) - 1 >= maxv) {
                    candidates[n++] = t;
                    break;
                }
    }
    const uint64_t sum = RegionSum(tables->pairBits[group], ix, start, end);
    const int signs = int(Field(sum, 3));
    // escape group: field 2 counts the values that carry linbits
    const int escaped = group == ESCAPE_GROUP ? int(Field(sum, 2)) : 0;
    int best = -1, bestBits = 0;
    for (int k = 0; k < n; ++k) {
        const int bits = int(Field(sum, k)) + signs + escaped * MPA_HUFF[candidates[k]].linbits;
        if (best < 0 || bits < bestBits) {
            best = k;
            bestBits = bits;
        }
    }
    *tableOut = candidates[best];
    return bestBits;
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

void EncL3InitHuffman(EncL3Tables* t) {
    for (int group = 0; group <= ESCAPE_GROUP; ++group)
        for (int x = 0; x < 16; ++x)
            for (int y = 0; y < 16; ++y) {
                uint64_t e = uint64_t((x != 0) + (y != 0)) << 48;
                if (group == ESCAPE_GROUP) {
                    // tables 16 and 24 stand for their families (same codes, other linbits)
                    e |= uint64_t(MPA_HUFF[16].codes[x * 16 + y].len);
                    e |= uint64_t(MPA_HUFF[24].codes[x * 16 + y].len) << 16;
                    e |= uint64_t((x == 15) + (y == 15)) << 32;
                } else if (x <= GROUP_MAX[group] && y <= GROUP_MAX[group]) {
                    for (int k = 0; k < 3 && GROUPS[group][k]; ++k) {
                        const MpaHuffTable& h = MPA_HUFF[GROUPS[group][k]];
                        e |= uint64_t(h.codes[x * h.size + y].len) << (16 * k);
                    }
                }
                t->pairBits[group][x * 16 + y] = e;
            }
}

// Splits the big-value lines into regions, picks tables and the count1 table; returns the
// Huffman bits (part 3), or a huge number when a value is out of range.
int EncL3CountBits(const EncL3Tables* t, EncL3Granule* g, const uint16_t* sfbLong, int lines) {
    const int* ix = g->ix;
    int end = (lines + 1) & ~1;
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
    bits += ChooseTable(t, ix, 0, g->region1Start, &g->tableSelect[0]);
    bits += ChooseTable(t, ix, g->region1Start, g->region2Start, &g->tableSelect[1]);
    bits += ChooseTable(t, ix, g->region2Start, bigEnd, &g->tableSelect[2]);
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
