// Polyphase synthesis filter bank: 32 subband samples -> 32 PCM samples per time slot. The
// 64-point matrixing is a 32-point DCT-II (one butterfly stage, then SIMD products) plus the
// cosine symmetries; the windowing reads a doubled V buffer so no index ever wraps.
#include <cmath>
#include <cstring>

#include "mpa_internal.h"
#include "mpa_tables.h"

namespace {

// Four floats as one SIMD value (GCC and Clang vector extension; plain SSE2 on x86-64).
typedef float F4 __attribute__((vector_size(16)));

inline F4 Load4(const float* p)
{
    F4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// 32-point DCT-II, x[k] <- sum_n x[n] cos(pi (2n+1) k / 64): one butterfly stage, then the even
// and the odd outputs as two 16 x 16 products, four outputs per SIMD step. cosEven[n][k] and
// cosOdd[n][k] hold cos(pi (2n+1)(2k) / 64) and cos(pi (2n+1)(2k+1) / 64).
inline void Dct32(float* x, const float (*cosEven)[16], const float (*cosOdd)[16])
{
    float sum[16], diff[16];
    for (int n = 0; n < 16; ++n) {
        sum[n] = x[n] + x[31 - n];
        diff[n] = x[n] - x[31 - n];
    }
    for (int k = 0; k < 16; k += 4) {
        F4 even = {0, 0, 0, 0}, odd = {0, 0, 0, 0};
        for (int n = 0; n < 16; ++n) {
            even += sum[n] * Load4(cosEven[n] + k);
            odd += diff[n] * Load4(cosOdd[n] + k);
        }
        for (int i = 0; i < 4; ++i) {
            x[2 * (k + i)] = even[i];
            x[2 * (k + i) + 1] = odd[i];
        }
    }
}

}  // namespace

void MpaSynthInit(MpaDecoder* dec)
{
    for (int n = 0; n < 16; ++n)
        for (int k = 0; k < 16; ++k) {
            dec->dctEven[n][k] = float(std::cos(MPA_PI * (2 * n + 1) * (2 * k) / 64.0));
            dec->dctOdd[n][k] = float(std::cos(MPA_PI * (2 * n + 1) * (2 * k + 1) / 64.0));
        }
    for (int i = 0; i < 512; ++i) {
        int w = MPA_SYNTH_WINDOW[i <= 256 ? i : 512 - i];
        dec->synthWindow[i] = float(((i >> 6) & 1 ? -w : w) / 65536.0);
    }
}

void MpaSynth(MpaDecoder* dec, int ch, const float subband[32], float* out, int step)
{
    float x[32];
    std::memcpy(x, subband, sizeof x);
    Dct32(x, dec->dctEven, dec->dctOdd);
    // V[i] = cos((16 + i)(2k + 1) pi / 64) applied to the samples, from the DCT outputs
    float v[64];
    for (int i = 0; i < 16; ++i) v[i] = x[i + 16];
    v[16] = 0.0f;
    for (int i = 17; i <= 48; ++i) v[i] = -x[48 - i];
    for (int i = 49; i < 64; ++i) v[i] = -x[i - 48];
    int p = dec->synthPos;
    float* buf = dec->synthBuf[ch];
    std::memcpy(buf + p, v, sizeof v);
    std::memcpy(buf + p + 1024, v, sizeof v);
    // four outputs at a time, their sixteen taps accumulated in registers
    const float* d = dec->synthWindow;
    const float* vb = buf + p;
    for (int j = 0; j < 32; j += 4) {
        F4 acc = {0, 0, 0, 0};
        for (int i = 0; i < 8; ++i) {
            acc += Load4(d + 64 * i + j) * Load4(vb + 128 * i + j);
            acc += Load4(d + 64 * i + 32 + j) * Load4(vb + 128 * i + 96 + j);
        }
        out[j * step] = acc[0];
        out[(j + 1) * step] = acc[1];
        out[(j + 2) * step] = acc[2];
        out[(j + 3) * step] = acc[3];
    }
}

void MpaSynthAdvance(MpaDecoder* dec)
{
    dec->synthPos = (dec->synthPos - 64) & 1023;
}
