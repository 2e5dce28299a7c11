// Layer III hybrid filter bank, second half: alias-reduced spectral lines -> IMDCT (36-point for
// long blocks, three 12-point for short), windowing, overlap-add with the previous granule and
// frequency inversion of odd subbands, giving 18 time slots of 32 subband samples. Four
// neighbouring subbands of the same block kind go through together, one per SIMD lane.
#include <cmath>
#include <cstring>

#include "mpa_internal.h"

void MpaImdctInit(MpaDecoder* dec) {
    // Long IMDCT: y[i] = sum_k X[k] cos(pi/72 (2i + 19)(2k + 1)), i = 0..35, is the 18-point
    // transform Z[n] = sum_k X[k] cos(pi/72 (2n + 1)(2k + 1)) at n = i + 9 (Z[35 - n] = -Z[n]).
    // With v[m] = X[m] + X[m - 1], Z[n] 2 cos(pi (2n + 1) / 72) = sum_m v[m] cos(pi (2n + 1) m / 36),
    // whose even-m half E is symmetric (E[17 - n] = E[n]) and odd-m half O antisymmetric: two
    // 9 x 9 products instead of one 18 x 18.
    std::memset(dec->imdctEven, 0, sizeof dec->imdctEven);
    std::memset(dec->imdctOdd, 0, sizeof dec->imdctOdd);
    for (int j = 0; j < 9; ++j)
        for (int n = 0; n < 9; ++n) {
            dec->imdctEven[j][n] = float(std::cos(MPA_PI / 36.0 * (2 * n + 1) * (2 * j)));
            dec->imdctOdd[j][n] = float(std::cos(MPA_PI / 36.0 * (2 * n + 1) * (2 * j + 1)));
        }
    for (int n = 0; n < 18; ++n) dec->imdctScale[n] = float(0.5 / std::cos(MPA_PI / 72.0 * (2 * n + 1)));
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
        if (i < 18)
            start = std::sin(MPA_PI / 36.0 * (i + 0.5));
        else if (i < 24)
            start = 1.0;
        else if (i < 30)
            start = std::sin(MPA_PI / 12.0 * (i - 18 + 0.5));
        else
            start = 0.0;
        if (i < 6)
            stop = 0.0;
        else if (i < 12)
            stop = std::sin(MPA_PI / 12.0 * (i - 6 + 0.5));
        else if (i < 18)
            stop = 1.0;
        else
            stop = std::sin(MPA_PI / 36.0 * (i + 0.5));
        dec->window[1][i] = float(start);
        dec->window[3][i] = float(stop);
        dec->window[2][i] = i < 12 ? float(std::sin(MPA_PI / 12.0 * (i + 0.5))) : 0.0f;
    }
}

namespace {

// One long block: x[18] lines -> out[18] samples, overlap-added with prev[18], which then gets
// this block's second half. T is float, or F4 for four subbands side by side.
template <typename T>
void LongBlock(const MpaDecoder* dec, const T* x, const float* win, T* prev, T* out) {
    T v[18];
    v[0] = x[0];
    for (int m = 1; m < 18; ++m) v[m] = x[m] + x[m - 1];
    T e[9], o[9];
    for (int n = 0; n < 9; ++n) {
        e[n] = v[0] * dec->imdctEven[0][n];
        o[n] = v[1] * dec->imdctOdd[0][n];
    }
    for (int j = 1; j < 9; ++j)
        for (int n = 0; n < 9; ++n) {
            e[n] += v[2 * j] * dec->imdctEven[j][n];
            o[n] += v[2 * j + 1] * dec->imdctOdd[j][n];
        }
    T z[18];
    for (int n = 0; n < 9; ++n) {
        z[n] = (e[n] + o[n]) * dec->imdctScale[n];
        z[17 - n] = (e[n] - o[n]) * dec->imdctScale[17 - n];
    }
    // y[i] = Z[i + 9] for i = 0..8, y[18 + j] = Z[27 + j] = -Z[8 - j]; then the symmetries
    // y[17 - i] = -y[i] and y[35 - i] = y[i] fill the 36 outputs
    T full[36];
    for (int i = 0; i < 9; ++i) {
        full[i] = z[9 + i];
        full[17 - i] = -z[9 + i];
        full[18 + i] = -z[8 - i];
        full[35 - i] = -z[8 - i];
    }
    for (int i = 0; i < 18; ++i) {
        out[i] = full[i] * win[i] + prev[i];
        prev[i] = full[18 + i] * win[18 + i];
    }
}

// Three short blocks of one subband (x: window by window, six lines each), as LongBlock.
template <typename T>
void ShortBlock(const MpaDecoder* dec, const T* x, T* prev, T* out) {
    T z[36] = {};
    const float* win = dec->window[2];
    for (int w = 0; w < 3; ++w) {
        const T* xw = x + w * 6;
        T y6[6] = {};
        for (int k = 0; k < 6; ++k) {
            const float* c = dec->imdctShortCos[k];
            for (int r = 0; r < 6; ++r) y6[r] += xw[k] * c[r];
        }
        T y[12];
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
              float out[18][32]) {
    int activeSb = (activeLines + 17) / 18;
    if (activeSb > 32) activeSb = 32;
    float(*overlap)[32] = dec->overlap[ch];
    for (int sb0 = 0; sb0 < 32; sb0 += 4) {
        const F4 invert = {1.0f, -1.0f, 1.0f, -1.0f};  // odd subbands, odd samples
        if (sb0 >= activeSb) {
            // no spectral data: only the overlap of the previous granule remains
            const F4 zero = {0, 0, 0, 0};
            for (int i = 0; i < 18; ++i) {
                F4 t = Load4(&overlap[i][sb0]);
                Store4(&overlap[i][sb0], zero);
                Store4(&out[i][sb0], (i & 1) ? t * invert : t);
            }
            continue;
        }
        bool shortOnly = blockType == 2 && !(mixed && sb0 < 2);
        if (blockType != 2 || shortOnly) {
            // four blocks of one kind side by side (lines past the active ones are zero, which
            // gives exactly the overlap-only result)
            F4 x[18], prev[18], t[18];
            for (int k = 0; k < 18; ++k)
                for (int l = 0; l < 4; ++l) x[k][l] = xr[(sb0 + l) * 18 + k];
            for (int i = 0; i < 18; ++i) prev[i] = Load4(&overlap[i][sb0]);
            if (shortOnly)
                ShortBlock<F4>(dec, x, prev, t);
            else
                LongBlock<F4>(dec, x, dec->window[blockType], prev, t);
            for (int i = 0; i < 18; ++i) {
                Store4(&overlap[i][sb0], prev[i]);
                Store4(&out[i][sb0], (i & 1) ? t[i] * invert : t[i]);
            }
            continue;
        }
        for (int sb = sb0; sb < sb0 + 4; ++sb) {
            float prev[18], t[18];
            for (int i = 0; i < 18; ++i) prev[i] = overlap[i][sb];
            if (sb >= activeSb) {
                // no spectral data: only the overlap of the previous granule remains
                for (int i = 0; i < 18; ++i) t[i] = prev[i];
                std::memset(prev, 0, sizeof prev);
            } else if (blockType == 2 && !(mixed && sb < 2)) {
                ShortBlock<float>(dec, xr + sb * 18, prev, t);
            } else {
                int wt = blockType == 2 ? 0 : blockType;
                LongBlock<float>(dec, xr + sb * 18, dec->window[wt], prev, t);
            }
            if (sb & 1)
                for (int i = 1; i < 18; i += 2) t[i] = -t[i];
            for (int i = 0; i < 18; ++i) {
                overlap[i][sb] = prev[i];
                out[i][sb] = t[i];
            }
        }
    }
}
