// Polyphase synthesis filter bank: 32 subband samples -> 32 PCM samples per time slot. The
// 64-point matrixing is a fast 32-point DCT-II (80 multiplications) plus the cosine symmetries,
// computed for four time slots at once (one per SIMD lane); the windowing reads a doubled V
// buffer so no index ever wraps, four outputs at a time.
#include <cmath>
#include <cstring>

#include "mpa_internal.h"
#include "mpa_tables.h"

namespace {

// Rows a, b, c, d to columns out[0..3].
inline void Transpose4(F4 a, F4 b, F4 c, F4 d, F4* out) {
    F4 ab0 = __builtin_shufflevector(a, b, 0, 4, 1, 5), ab1 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    F4 cd0 = __builtin_shufflevector(c, d, 0, 4, 1, 5), cd1 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
    out[0] = __builtin_shufflevector(ab0, cd0, 0, 1, 4, 5);
    out[1] = __builtin_shufflevector(ab0, cd0, 2, 3, 6, 7);
    out[2] = __builtin_shufflevector(ab1, cd1, 0, 1, 4, 5);
    out[3] = __builtin_shufflevector(ab1, cd1, 2, 3, 6, 7);
}

// N-point DCT-II, x[k] <- sum_n x[n] cos(pi (2n+1) k / 2N), by halving: the even outputs are
// the half-size DCT of x[n] + x[N-1-n]; the odd ones come from the half-size DCT Y of
// (x[n] - x[N-1-n]) / (2 cos(pi (2n+1) / 2N)) as Y[k] + Y[k+1]. scale[] holds those
// reciprocals for N = 32, 16, 8, 4, 2 one after another; everything unrolls at compile time.
template <int N, typename T>
inline void Dct(T* x, const float* scale) {
    T a[N / 2], b[N / 2];
    for (int n = 0; n < N / 2; ++n) {
        a[n] = x[n] + x[N - 1 - n];
        b[n] = (x[n] - x[N - 1 - n]) * scale[n];
    }
    Dct<N / 2, T>(a, scale + N / 2);
    Dct<N / 2, T>(b, scale + N / 2);
    for (int k = 0; k < N / 2; ++k) x[2 * k] = a[k];
    for (int k = 0; k < N / 2 - 1; ++k) x[2 * k + 1] = b[k] + b[k + 1];
    x[N - 1] = b[N / 2 - 1];
}

template <>
inline void Dct<1, F4>(F4*, const float*) {}


// Where the processor has them, the windowing's 512 multiply-adds per slot go eight at a time
// with fused multiply-add (chosen at run time; the build itself targets the baseline x86-64).
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define MPA_WIDE_SYNTH 1
__attribute__((target("avx2,fma"))) void WindowTapsWide(const float* d, const float* vb, float* out) {
    typedef float F8 __attribute__((vector_size(32)));
    for (int j = 0; j < 32; j += 8) {
        F8 acc = {0, 0, 0, 0, 0, 0, 0, 0};
        for (int i = 0; i < 8; ++i) {
            F8 a, b, c, e;
            std::memcpy(&a, d + 64 * i + j, sizeof a);
            std::memcpy(&b, vb + 128 * i + j, sizeof b);
            std::memcpy(&c, d + 64 * i + 32 + j, sizeof c);
            std::memcpy(&e, vb + 128 * i + 96 + j, sizeof e);
            acc += a * b;
            acc += c * e;
        }
        std::memcpy(out + j, &acc, sizeof acc);
    }
}
#endif

}  // namespace

void MpaSynthInit(MpaDecoder* dec) {
#ifdef MPA_WIDE_SYNTH
    __builtin_cpu_init();
    dec->wideSynth = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    dec->wideSynth = 0;
#endif
    int at = 0;
    for (int n = 32; n >= 2; n /= 2)
        for (int i = 0; i < n / 2; ++i) dec->dctScale[at++] = float(0.5 / std::cos(MPA_PI * (2 * i + 1) / (2.0 * n)));
    for (int i = 0; i < 512; ++i) {
        int w = MPA_SYNTH_WINDOW[i <= 256 ? i : 512 - i];
        dec->synthWindow[i] = float(((i >> 6) & 1 ? -w : w) / 65536.0);
    }
}

namespace {

// Stores one slot's V vector (from its DCT outputs x) in the channel's history and windows the
// last sixteen into 32 output samples.
void Window(MpaDecoder* dec, int ch, const float x[32], float out[32]) {
    // V[i] = cos((16 + i)(2k + 1) pi / 64) applied to the samples, from the DCT outputs
    int p = dec->synthPos;
    float* buf = dec->synthBuf[ch];
    float* v = buf + p;
    for (int i = 0; i < 16; ++i) v[i] = x[i + 16];
    v[16] = 0.0f;
    for (int i = 17; i <= 48; ++i) v[i] = -x[48 - i];
    for (int i = 49; i < 64; ++i) v[i] = -x[i - 48];
    std::memcpy(buf + p + 1024, v, sizeof(float) * 64);
    // four outputs at a time, their sixteen taps accumulated in registers
    const float* d = dec->synthWindow;
    const float* vb = buf + p;
#ifdef MPA_WIDE_SYNTH
    if (dec->wideSynth) {
        WindowTapsWide(d, vb, out);
        return;
    }
#endif
    for (int j = 0; j < 32; j += 4) {
        F4 acc = {0, 0, 0, 0};
        for (int i = 0; i < 8; ++i) {
            acc += Load4(d + 64 * i + j) * Load4(vb + 128 * i + j);
            acc += Load4(d + 64 * i + 32 + j) * Load4(vb + 128 * i + 96 + j);
        }
        Store4(out + j, acc);
    }
}

}  // namespace

void MpaSynthSlots(MpaDecoder* dec, int nch, const float* subbands, int slotStride, int chStride, int count,
                   float* out) {
    // the DCTs of four slots run side by side, one slot per SIMD lane
    for (int t0 = 0; t0 < count; t0 += 4) {
        int n = count - t0 < 4 ? count - t0 : 4;
        float dct[2][4][32];
        for (int ch = 0; ch < nch; ++ch) {
            const float* rows[4];
            for (int l = 0; l < 4; ++l) rows[l] = subbands + (t0 + (l < n ? l : 0)) * slotStride + ch * chStride;
            F4 x[32];
            for (int i = 0; i < 32; i += 4)
                Transpose4(Load4(rows[0] + i), Load4(rows[1] + i), Load4(rows[2] + i), Load4(rows[3] + i), x + i);
            Dct<32, F4>(x, dec->dctScale);
            for (int i = 0; i < 32; i += 4) {
                F4 t[4];
                Transpose4(x[i], x[i + 1], x[i + 2], x[i + 3], t);
                for (int l = 0; l < 4; ++l) Store4(dct[ch][l] + i, t[l]);
            }
        }
        for (int l = 0; l < n; ++l) {
            float* o = out + (t0 + l) * 32 * nch;
            if (nch == 1) {
                Window(dec, 0, dct[0][l], o);
            } else {
                float left[32], right[32];
                Window(dec, 0, dct[0][l], left);
                Window(dec, 1, dct[1][l], right);
                for (int j = 0; j < 32; j += 4) {
                    F4 a = Load4(left + j), b = Load4(right + j);
                    Store4(o + 2 * j, __builtin_shufflevector(a, b, 0, 4, 1, 5));
                    Store4(o + 2 * j + 4, __builtin_shufflevector(a, b, 2, 6, 3, 7));
                }
            }
            MpaSynthAdvance(dec);
        }
    }
}

void MpaSynthAdvance(MpaDecoder* dec) { dec->synthPos = (dec->synthPos - 64) & 1023; }
