// Layers I and II: bit allocation, scale factors and sample dequantisation into subband samples,
// then synthesis. Both layers code 32 subbands; layer II adds allocation tables, scale-factor
// selection over three parts of the frame and grouped codes for 3, 5 and 9 steps.
#include <cstring>

#include "mpa_internal.h"
#include "mpa_tables.h"

namespace {

// Joint stereo shares the allocation of subbands from `bound` on.
int StereoBound(const MpaHeader* h, int limit) {
    if (h->mode != MPA_MODE_JOINT) return limit;
    int bound = 4 * (h->modeExtension + 1);
    return bound < limit ? bound : limit;
}

// Dequantised value of code q for n steps, before the scale factor.
inline float Dequant(uint32_t q, int steps) { return float(2.0 * double(q) - double(steps - 1)) / float(steps); }

// Bit reads for the sample loop: one 8-byte load per read while the frame has 8 bytes left,
// zeros past its end (the caller then reports the overrun).
struct SampleBits {
    const uint8_t* data;
    size_t totalBytes;
    size_t pos;

    // The next 57 bits or more, most significant first (not consumed).
    inline uint64_t Peek() const {
        size_t byte = pos >> 3;
        uint64_t w = 0;
        if (byte + 8 <= totalBytes) {
            std::memcpy(&w, data + byte, 8);
            w = __builtin_bswap64(w);
        } else {
            for (size_t i = 0; i < 8; ++i) w = (w << 8) | (byte + i < totalBytes ? data[byte + i] : 0u);
        }
        return w << (pos & 7);
    }
    inline uint32_t Read(int n)  // 1 <= n <= 25
    {
        uint64_t w = Peek();
        pos += size_t(n);
        return uint32_t(w >> (64 - n));
    }
    // Three values of n bits each (n <= 19) with one load.
    inline void Read3(int n, uint32_t q[3]) {
        uint64_t w = Peek();
        q[0] = uint32_t(w >> (64 - n));
        q[1] = uint32_t((w << n) >> (64 - n));
        q[2] = uint32_t((w << 2 * n) >> (64 - n));
        pos += size_t(3 * n);
    }
};

// The three values 2q - (N - 1) of every grouped code for N steps (all 2^bits codes, those past
// the last group included), first sample first, made at compile time: a lookup instead of two
// divisions per value.
template <int N, int CODES>
struct UngroupTable {
    int8_t v[CODES][3];
    constexpr UngroupTable() : v() {
        for (int code = 0; code < CODES; ++code)
            for (int k = 0, c = code; k < 3; ++k, c /= N) v[code][k] = int8_t(2 * (c % N) - (N - 1));
    }
};
constexpr UngroupTable<3, 32> UNGROUP3;     // 5-bit codes
constexpr UngroupTable<5, 128> UNGROUP5;    // 7-bit codes
constexpr UngroupTable<9, 1024> UNGROUP9;  // 10-bit codes

template <int N, int CODES>
inline void Ungroup(const UngroupTable<N, CODES>& table, uint32_t code, float v[3]) {
    const int8_t* g = table.v[code & (CODES - 1)];
    for (int k = 0; k < 3; ++k) v[k] = float(g[k]);
}

}  // namespace

int MpaDecodeLayer1(MpaDecoder* dec, const MpaHeader* h, MpaBits* bits, float* pcmOut) {
    int nch = h->channels;
    int bound = StereoBound(h, 32);
    int alloc[2][32] = {};
    int scf[2][32] = {};
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < (sb < bound ? nch : 1); ++ch) {
            alloc[ch][sb] = int(MpaBitsRead(bits, 4));
            if (alloc[ch][sb] == 15) return MPA_ERR_DATA;
        }
        if (sb >= bound && nch == 2) alloc[1][sb] = alloc[0][sb];
    }
    for (int sb = 0; sb < 32; ++sb)
        for (int ch = 0; ch < nch; ++ch)
            if (alloc[ch][sb]) scf[ch][sb] = int(MpaBitsRead(bits, 6));
    if (bits->overrun) return MPA_ERR_TRUNCATED;
    float slots[12][2][32];
    std::memset(slots, 0, sizeof slots);
    for (int s = 0; s < 12; ++s) {
        float(*sample)[32] = slots[s];
        for (int sb = 0; sb < 32; ++sb) {
            if (sb < bound) {
                for (int ch = 0; ch < nch; ++ch) {
                    int a = alloc[ch][sb];
                    if (!a) continue;
                    int steps = (1 << (a + 1)) - 1;
                    uint32_t q = MpaBitsRead(bits, a + 1);
                    sample[ch][sb] = Dequant(q, steps) * float(MPA_SCALEFACTOR[scf[ch][sb]]);
                }
            } else if (alloc[0][sb]) {
                int a = alloc[0][sb];
                int steps = (1 << (a + 1)) - 1;
                float v = Dequant(MpaBitsRead(bits, a + 1), steps);
                for (int ch = 0; ch < nch; ++ch) sample[ch][sb] = v * float(MPA_SCALEFACTOR[scf[ch][sb]]);
            }
        }
    }
    MpaSynthSlots(dec, nch, &slots[0][0][0], 64, 32, 12, pcmOut);
    return bits->overrun ? MPA_ERR_TRUNCATED : MPA_OK;
}

int MpaDecodeLayer2(MpaDecoder* dec, const MpaHeader* h, MpaBits* bits, float* pcmOut) {
    int nch = h->channels;
    const MpaL2Table& table = MPA_L2_TABLES[MpaL2SelectTable(h->versionIndex, h->sampleRate, h->bitrateKbps, nch)];
    int limit = table.sblimit;
    int bound = StereoBound(h, limit);
    int cls[2][32];
    for (int ch = 0; ch < 2; ++ch)
        for (int sb = 0; sb < 32; ++sb) cls[ch][sb] = -1;
    for (int sb = 0; sb < limit; ++sb) {
        const MpaL2Row* row = table.rows[sb];
        for (int ch = 0; ch < (sb < bound ? nch : 1); ++ch) cls[ch][sb] = row->cls[MpaBitsRead(bits, row->nbal)];
        if (sb >= bound && nch == 2) cls[1][sb] = cls[0][sb];
    }
    int scfsi[2][32] = {};
    for (int sb = 0; sb < limit; ++sb)
        for (int ch = 0; ch < nch; ++ch)
            if (cls[ch][sb] >= 0) scfsi[ch][sb] = int(MpaBitsRead(bits, 2));
    float scale[2][32][3] = {};
    for (int sb = 0; sb < limit; ++sb)
        for (int ch = 0; ch < nch; ++ch) {
            if (cls[ch][sb] < 0) continue;
            int s[3];
            switch (scfsi[ch][sb]) {
            case 0:
                s[0] = int(MpaBitsRead(bits, 6));
                s[1] = int(MpaBitsRead(bits, 6));
                s[2] = int(MpaBitsRead(bits, 6));
                break;
            case 1:
                s[0] = s[1] = int(MpaBitsRead(bits, 6));
                s[2] = int(MpaBitsRead(bits, 6));
                break;
            case 2: s[0] = s[1] = s[2] = int(MpaBitsRead(bits, 6)); break;
            default:
                s[0] = int(MpaBitsRead(bits, 6));
                s[1] = s[2] = int(MpaBitsRead(bits, 6));
                break;
            }
            for (int p = 0; p < 3; ++p) scale[ch][sb][p] = float(MPA_SCALEFACTOR[s[p]]);
        }
    if (bits->overrun) return MPA_ERR_TRUNCATED;

    // the coded subbands in bit-stream order, with their factors per part of the frame:
    // scale factor over the step count, for each channel that gets the samples
    struct Coded {
        int sb, ch, chans;  // chans: 2 when one coded value serves both channels
        MpaQuantClass qc;
        float factor[2][3];
    };
    Coded coded[64];
    int codedCount = 0;
    for (int sb = 0; sb < limit; ++sb) {
        int chans = sb < bound ? nch : 1;
        for (int ch = 0; ch < chans; ++ch) {
            int c = cls[ch][sb];
            if (c < 0) continue;
            Coded& e = coded[codedCount++];
            e.sb = sb;
            e.ch = ch;
            e.chans = sb < bound ? 1 : nch;
            e.qc = MPA_L2_CLASSES[c];
            float inv = 1.0f / float(e.qc.steps);
            for (int o = 0; o < 2; ++o)
                for (int p = 0; p < 3; ++p) e.factor[o][p] = scale[o][sb][p] * inv;
        }
    }
    SampleBits in{bits->data, (bits->bitCount + 7) >> 3, bits->pos};
    float slots[36][2][32];
    std::memset(slots, 0, sizeof slots);
    for (int gr = 0; gr < 12; ++gr) {
        int part = gr >> 2;
        float(*sample)[2][32] = slots + 3 * gr;
        for (int i = 0; i < codedCount; ++i) {
            const Coded& e = coded[i];
            // v = 2q - (n - 1), divided by n together with the scale factor below
            float v[3];
            int offset = e.qc.steps - 1;
            if (e.qc.grouped) {
                uint32_t code = in.Read(e.qc.bits);
                switch (e.qc.steps) {  // constant divisors: no division instructions
                case 3: Ungroup(UNGROUP3, code, v); break;
                case 5: Ungroup(UNGROUP5, code, v); break;
                default: Ungroup(UNGROUP9, code, v); break;
                }
            } else {
                uint32_t q[3];
                in.Read3(e.qc.bits, q);
                for (int k = 0; k < 3; ++k) v[k] = float(2 * int(q[k]) - offset);
            }
            if (e.chans == 1) {
                float f = e.factor[e.ch][part];
                for (int k = 0; k < 3; ++k) sample[k][e.ch][e.sb] = v[k] * f;
            } else {
                for (int o = 0; o < nch; ++o) {
                    float f = e.factor[o][part];
                    for (int k = 0; k < 3; ++k) sample[k][o][e.sb] = v[k] * f;
                }
            }
        }
    }
    MpaSynthSlots(dec, nch, &slots[0][0][0], 64, 32, 36, pcmOut);
    MpaBitsSkip(bits, in.pos - bits->pos);
    return bits->overrun ? MPA_ERR_TRUNCATED : MPA_OK;
}

size_t MpaLayer12ProtectedBits(const MpaHeader* h, const uint8_t* data, size_t bytes) {
    MpaBits bits;
    MpaBitsInit(&bits, data, bytes);
    const int nch = h->channels;
    if (h->layer == 1) {
        // the allocation fields only
        const int bound = StereoBound(h, 32);
        return size_t(4 * (bound * nch + (32 - bound)));
    }
    const MpaL2Table& table = MPA_L2_TABLES[MpaL2SelectTable(h->versionIndex, h->sampleRate, h->bitrateKbps, nch)];
    const int limit = table.sblimit;
    const int bound = StereoBound(h, limit);
    // the allocation fields, then two bits of scale-factor selection per coded subband
    int coded = 0;
    for (int sb = 0; sb < limit; ++sb) {
        const MpaL2Row* row = table.rows[sb];
        int allocated[2] = {0, 0};
        for (int ch = 0; ch < (sb < bound ? nch : 1); ++ch)
            allocated[ch] = row->cls[MpaBitsRead(&bits, row->nbal)] >= 0;
        if (sb >= bound && nch == 2) allocated[1] = allocated[0];
        coded += allocated[0] + allocated[1];
    }
    return bits.pos + size_t(2 * coded);
}
