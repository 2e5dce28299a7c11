// Layer III Huffman decoding: two-level lookup tables built from the shared code lists, and the
// big-value and count1 region decoders.
#include <cstring>

#include "mpa_internal.h"
#include "mpa_tables.h"

namespace {

// Pool entries: a leaf holds (bits consumed at this level) | x << 8 | y << 16, and flags: x
// non-zero, y non-zero, x or y is 15 (may carry linbits); a link to a second-level table has the
// top bit set, the table's offset in the low 16 bits and its width in bits 16..23.
const uint32_t HUFF_LINK = 0x80000000u;
const int HUFF_FIRST_BITS = 8;
const uint32_t HUFF_NZ_X = 1u << 24;
const uint32_t HUFF_NZ_Y = 1u << 25;
const uint32_t HUFF_ESCAPE = 1u << 26;

// The flags of a pair's leaf entry.
uint32_t PairFlags(uint32_t x, uint32_t y) {
    return (x ? HUFF_NZ_X : 0u) | (y ? HUFF_NZ_Y : 0u) | (x == 15 || y == 15 ? HUFF_ESCAPE : 0u);
}

// Builds the lookup for `count` codes; value(i) gives the packed (x | y << 8) of code i.
// Returns the first-level offset; *used advances.
template <typename ValueFn>
MpaHuffLookup BuildLookup(uint32_t* pool, int* used, const MpaHuffCode* codes, int count, ValueFn value) {
    int maxLen = 0;
    for (int i = 0; i < count; ++i)
        if (codes[i].len > maxLen) maxLen = codes[i].len;
    int k = maxLen < HUFF_FIRST_BITS ? maxLen : HUFF_FIRST_BITS;
    MpaHuffLookup lk{};
    lk.first = uint16_t(*used);
    lk.bits = uint8_t(k);
    uint32_t* first = pool + *used;
    *used += 1 << k;
    std::memset(first, 0, sizeof(uint32_t) << k);
    // widths of the second-level tables
    int subWidth[256] = {0};
    for (int i = 0; i < count; ++i) {
        int len = codes[i].len;
        if (len > k) {
            int prefix = codes[i].code >> (len - k);
            if (len - k > subWidth[prefix]) subWidth[prefix] = len - k;
        }
    }
    for (int p = 0; p < (1 << k); ++p) {
        if (!subWidth[p]) continue;
        first[p] = HUFF_LINK | uint32_t(*used) | uint32_t(subWidth[p]) << 16;
        std::memset(pool + *used, 0, sizeof(uint32_t) << subWidth[p]);
        *used += 1 << subWidth[p];
    }
    for (int i = 0; i < count; ++i) {
        int len = codes[i].len;
        uint32_t code = codes[i].code;
        uint32_t v = value(i);
        if (len <= k) {
            uint32_t start = code << (k - len);
            for (uint32_t j = 0; j < (1u << (k - len)); ++j) first[start + j] = uint32_t(len) | v << 8;
        } else {
            uint32_t link = first[code >> (len - k)];
            int w = (link >> 16) & 0xFF;
            uint32_t* sub = pool + (link & 0xFFFF);
            int rest = len - k;
            uint32_t low = code & ((1u << rest) - 1);
            uint32_t start = low << (w - rest);
            for (uint32_t j = 0; j < (1u << (w - rest)); ++j) sub[start + j] = uint32_t(rest) | v << 8;
        }
    }
    return lk;
}

// A 64-bit window on the bit reader for the Huffman loops: one refill serves a whole pair
// (code of at most 19 bits, two sign bits and up to 2 x 13 linbits). Past the end it reads zeros.
struct BitCache {
    const uint8_t* data;
    size_t totalBytes;
    size_t nextByte;  // next byte to load
    uint64_t acc;     // bits, most significant first
    int count;        // valid bits in acc
    size_t pos;       // absolute bit position of acc's first bit

    void Start(const MpaBits* bits) {
        data = bits->data;
        totalBytes = (bits->bitCount + 7) >> 3;
        nextByte = bits->pos >> 3;
        acc = 0;
        count = 0;
        pos = bits->pos & ~size_t(7);
        Refill();
        Skip(int(bits->pos & 7));
    }
    inline void Refill() {
        if (count <= 56 && nextByte + 8 <= totalBytes) {
            // whole bytes that fit after the valid bits; the partial byte shifted in as well
            // is loaded again, with the same bits, next time
            const uint8_t* p = data + nextByte;
            uint64_t w = 0;
            for (int i = 0; i < 8; ++i) w = (w << 8) | p[i];
            int bytes = (63 - count) >> 3;
            acc |= w >> count;
            count += bytes * 8;
            nextByte += size_t(bytes);
            return;
        }
        while (count <= 56) {
            uint64_t b = nextByte < totalBytes ? data[nextByte] : 0;
            ++nextByte;
            acc |= b << (56 - count);
            count += 8;
        }
    }
    inline uint32_t Peek(int n) const { return n ? uint32_t(acc >> (64 - n)) : 0; }
    inline void Skip(int n) {
        acc <<= n;
        count -= n;
        pos += size_t(n);
    }
    inline uint32_t Read(int n) {
        uint32_t v = Peek(n);
        Skip(n);
        return v;
    }
    // Applies the sign bit that follows a non-zero magnitude; zero takes no bit. Branch-free,
    // as the signs are as good as random.
    inline int Signed(int v) {
        int nz = v != 0;
        int s = int(acc >> 63) & nz;
        Skip(nz);
        return (v ^ -s) + s;
    }
    void Finish(MpaBits* bits) const {
        bits->pos = pos;
        if (pos > bits->bitCount) bits->overrun = 1;
    }
};

// Decodes one symbol; returns its leaf entry shifted down by 8 (value and flags).
inline uint32_t DecodeSymbol(const uint32_t* pool, const MpaHuffLookup& lk, BitCache* bits) {
    uint32_t e = pool[lk.first + bits->Peek(lk.bits)];
    if (e & HUFF_LINK) {
        bits->Skip(lk.bits);
        int w = (e >> 16) & 0xFF;
        e = pool[(e & 0xFFFF) + bits->Peek(w)];
    }
    bits->Skip(int(e & 0xFF));
    return e >> 8;
}

// Applies sign bits that follow a code to the values whose bit in `nonzero` is set (bit 0 for
// the first value), in order, and consumes them. The sign positions depend only on the flags,
// so the shifts do not wait for one another.
template <int N>
inline void ApplySigns(BitCache* bits, int* v, const int* nonzero) {
    uint64_t a = bits->acc;
    int at = 0;
    for (int i = 0; i < N; ++i) {
        int s = int((a << at) >> 63) & nonzero[i];
        v[i] = (v[i] ^ -s) + s;
        at += nonzero[i];
    }
    bits->Skip(at);
}

}  // namespace

void MpaHuffInit(MpaDecoder* dec) {
    int used = 0;
    MpaHuffLookup shared[32] = {};
    for (int t = 0; t < 32; ++t) {
        const MpaHuffTable& tab = MPA_HUFF[t];
        dec->huff[t] = MpaHuffLookup{0, 0, tab.linbits};
        if (!tab.codes) continue;
        // tables 16..23 and 24..31 share their codes: build once
        int owner = t;
        for (int o = 0; o < t; ++o)
            if (MPA_HUFF[o].codes == tab.codes) {
                owner = o;
                break;
            }
        if (owner != t) {
            dec->huff[t] = shared[owner];
            dec->huff[t].linbits = tab.linbits;
            continue;
        }
        int size = tab.size;
        shared[t] = BuildLookup(dec->huffPool, &used, tab.codes, size * size, [size](int i) {
            uint32_t x = uint32_t(i / size), y = uint32_t(i % size);
            return x | y << 8 | PairFlags(x, y) >> 8;
        });
        shared[t].linbits = tab.linbits;
        dec->huff[t] = shared[t];
    }
    for (int q = 0; q < 2; ++q)
        dec->quad[q] = BuildLookup(dec->huffPool, &used, MPA_HUFF_QUAD[q], 16, [](int i) { return uint32_t(i); });
}

int MpaHuffDecode(const MpaDecoder* dec, MpaBits* reader, size_t endBit, const MpaGranule* g, int sfbSlot,
                  int is[576]) {
    (void)sfbSlot;
    BitCache cache;
    cache.Start(reader);
    BitCache* bits = &cache;
    int bigLines = g->bigValues * 2;
    if (bigLines > 576) bigLines = 576;
    int regionEnd[3] = {g->region1Start, g->region2Start, bigLines};
    if (regionEnd[0] > bigLines) regionEnd[0] = bigLines;
    if (regionEnd[1] > bigLines) regionEnd[1] = bigLines;
    if (regionEnd[1] < regionEnd[0]) regionEnd[1] = regionEnd[0];
    int line = 0;
    for (int r = 0; r < 3; ++r) {
        int sel = g->tableSelect[r];
        const MpaHuffLookup& lk = dec->huff[sel];
        if (!MPA_HUFF[sel].codes) {
            // table 0: all zero; tables 4 and 14 do not exist
            if (sel != 0 && line < regionEnd[r]) return -1;
            for (; line < regionEnd[r]; ++line) is[line] = 0;
            continue;
        }
        int linbits = lk.linbits;
        for (; line < regionEnd[r]; line += 2) {
            bits->Refill();
            uint32_t v = DecodeSymbol(dec->huffPool, lk, bits);
            int xy[2] = {int(v & 0xFF), int((v >> 8) & 0xFF)};
            if ((v & (HUFF_ESCAPE >> 8)) && linbits) {
                // linbits sit between the code and each sign
                if (xy[0] == 15) xy[0] += int(bits->Read(linbits));
                xy[0] = bits->Signed(xy[0]);
                if (xy[1] == 15) xy[1] += int(bits->Read(linbits));
                xy[1] = bits->Signed(xy[1]);
            } else {
                int nz[2] = {int(v >> 16) & 1, int(v >> 17) & 1};
                ApplySigns<2>(bits, xy, nz);
            }
            is[line] = xy[0];
            is[line + 1] = xy[1];
        }
        if (bits->pos > endBit) return -1;
    }
    // count1 region: quadruples of magnitudes 0/1 until the granule's bits run out
    const MpaHuffLookup& qk = dec->quad[g->count1Table];
    while (line + 4 <= 576 && bits->pos < endBit) {
        bits->Refill();
        BitCache before = *bits;
        uint32_t v = DecodeSymbol(dec->huffPool, qk, bits);
        int q[4] = {int(v >> 3) & 1, int(v >> 2) & 1, int(v >> 1) & 1, int(v) & 1};
        const int nz[4] = {q[0], q[1], q[2], q[3]};
        ApplySigns<4>(bits, q, nz);
        if (bits->pos > endBit) {
            // the last quadruple ran past the granule: it is padding, not data
            *bits = before;
            break;
        }
        is[line] = q[0];
        is[line + 1] = q[1];
        is[line + 2] = q[2];
        is[line + 3] = q[3];
        line += 4;
    }
    for (int i = line; i < 576; ++i) is[i] = 0;
    cache.Finish(reader);
    return line;
}
