// Layer III hybrid filter bank, second half: alias-reduced spectral lines -> IMDCT (36-point for
// long blocks, three 12-point for short), windowing, overlap-add with the previous granule and
// frequency inversion of odd subbands, giving 18 time slots of 32 subband samples.
#include <cmath>
#include <cstring>

#include "mpa_internal.h"

void MpaImdctInit(MpaDecoder* dec)
{
    // Long IMDCT: y[i] = sum_k X[k] cos(pi/72 (2i + 19)(2k + 1)), i = 0..35. Only i = 0..8 and
    // 18..26 are computed: y[17 - i] = -y[i] and y[53 - i] = y[i].
    for (int r = 0; r < 18; ++r) {
        int i = r < 9 ? r : r + 9;
        for (int k = 0; k < 18; ++k)
            dec->imdctCos[k][r] = float(std::cos(MPA_PI / 72.0 * (2 * i + 19) * (2 * k + 1)));
    }
    // Short IMDCT: y[i] = sum_k X[k] cos(pi/24 (2i + 7)(2k + 1)), i = 0..11; y[5 - i] = -y[i]
    // and y[17 - i] = y[i], so i = 0..2 and 6..8 suffice.
    for (int r = 0; r < 6; ++r) {
        int i = r < 3 ? r : r + 3;
        for (int k = 0; k < 6; ++k)
            dec->imdctShortCos[k][r] = float(std::cos(MPA_PI / 24.0 * (2 * i + 7) * (2 * k + 1)));
    }
    for (int i = 0; i < 36; ++i) dec->window[0][i] = float(std::sin(MPA_PI / 36.0 * (i + 0.5)));
    for (int i = 0; i < 36; ++i) {
        double start, stop;
        if (i < 18) start = std::sin(MPA_PI / 36.0 * (i + 0.5));
        else if (i < 24) start = 1.0;
        else if (i < 30) start = std::sin(MPA_PI / 12.0 * (i - 18 + 0.5));
        else start = 0.0;
        if (i < 6) stop = 0.0;
        else if (i < 12) stop = std::sin(MPA_PI / 12.0 * (i - 6 + 0.5));
        else if (i < 18) stop = 1.0;
        else stop = std::sin(MPA_PI / 36.0 * (i + 0.5));
        dec->window[1][i] = float(start);
        dec->window[3][i] = float(stop);
        dec->window[2][i] = i < 12 ? float(std::sin(MPA_PI / 12.0 * (i + 0.5))) : 0.0f;
    }
}

namespace {

void LongBlock(const MpaDecoder* dec, const float* x, const float* win, float* prev, float out[18])
{
    // kernel stored [k][r] so the inner loop runs over contiguous outputs
    float y[18] = {0};
    for (int k = 0; k < 18; ++k) {
        const float* c = dec->imdctCos[k];
        float xk = x[k];
        for (int r = 0; r < 18; ++r) y[r] += c[r] * xk;
    }
    float full[36];
    for (int i = 0; i < 9; ++i) {
        full[i] = y[i];
        full[17 - i] = -y[i];
        full[18 + i] = y[9 + i];
        full[35 - i] = y[9 + i];
    }
    for (int i = 0; i < 18; ++i) {
        out[i] = full[i] * win[i] + prev[i];
        prev[i] = full[18 + i] * win[18 + i];
    }
}

void ShortBlock(const MpaDecoder* dec, const float* x, float* prev, float out[18])
{
    float z[36] = {0};
    const float* win = dec->window[2];
    for (int w = 0; w < 3; ++w) {
        const float* xw = x + w * 6;
        float y6[6] = {0};
        for (int k = 0; k < 6; ++k) {
            const float* c = dec->imdctShortCos[k];
            for (int r = 0; r < 6; ++r) y6[r] += c[r] * xw[k];
        }
        float y[12];
        for (int i = 0; i < 3; ++i) {
            y[i] = y6[i];
            y[5 - i] = -y6[i];
            y[6 + i] = y6[3 + i];
            y[11 - i] = y6[3 + i];
        }
        for (int i = 0; i < 12; ++i) z[6 + 6 * w + i] += y[i] * win[i];
    }
    for (int i = 0; i < 18; ++i) {
        out[i] = z[i] + prev[i];
        prev[i] = z[18 + i];
    }
}

}  // namespace

void MpaImdct(MpaDecoder* dec, int ch, const float xr[576], int blockType, int mixed, int activeLines,
              float out[18][32])
{
    int activeSb = (activeLines + 17) / 18;
    if (activeSb > 32) activeSb = 32;
    for (int sb = 0; sb < 32; ++sb) {
        float* prev = dec->overlap[ch][sb];
        float t[18];
        if (sb >= activeSb) {
            // no spectral data: only the overlap of the previous granule remains
            for (int i = 0; i < 18; ++i) t[i] = prev[i];
            std::memset(prev, 0, sizeof(float) * 18);
        } else if (blockType == 2 && !(mixed && sb < 2)) {
            ShortBlock(dec, xr + sb * 18, prev, t);
        } else {
            int wt = blockType == 2 ? 0 : blockType;
            LongBlock(dec, xr + sb * 18, dec->window[wt], prev, t);
        }
        if (sb & 1)
            for (int i = 1; i < 18; i += 2) t[i] = -t[i];
        for (int i = 0; i < 18; ++i) out[i][sb] = t[i];
    }
}
