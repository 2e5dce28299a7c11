// Polyphase analysis filterbank (see enc_filterbank.h).
#include "enc_filterbank.h"

#include <cmath>
#include <cstring>

#include "mpa_tables.h"

void EncFilterInitTables(EncFilterTables* t) {
    // The analysis window is the synthesis prototype divided by 32. The shared table keeps the
    // prototype's first half with every odd block of 64 negated; undo that, then mirror:
    // w[512-i] = -w[i], except at multiples of 64 where the sign stays.
    const double unit = 1.0 / (65536.0 * 32.0);
    for (int i = 0; i <= 256; ++i) t->window[i] = float(MPA_SYNTH_WINDOW[i] * unit * (((i / 64) & 1) ? -1 : 1));
    for (int i = 257; i < 512; ++i) {
        int m = 512 - i;
        t->window[i] = (m % 64) == 0 ? t->window[m] : -t->window[m];
    }
    const double pi = 3.14159265358979323846;
    // Folded cosine matrix: column i < 17 is input i, column 16 + d is input 48 - d.
    for (int k = 0; k < 32; ++k)
        for (int c = 0; c < 32; ++c) {
            int i = c < 17 ? c : 48 - (c - 16);
            t->matrix[c][k] = float(std::cos((2 * k + 1) * (i - 16) * pi / 64.0));
        }
}

void EncFilterReset(EncFilterHistory* h) {
    std::memset(h->x, 0, sizeof h->x);
    h->pos = 480;
}

void EncFilterRun(const EncFilterTables* t, EncFilterHistory* h, const float* in32, float* out32) {
    if (h->pos == 0) {
        std::memmove(h->x + 512, h->x, sizeof(float) * 480);
        h->pos = 480;
    } else {
        h->pos -= 32;
    }
    float* x = h->x + h->pos;
    for (int i = 0; i < 32; ++i) x[i] = in32[31 - i];
    float y[64];
    for (int i = 0; i < 64; ++i) y[i] = t->window[i] * x[i];
    for (int j = 1; j < 8; ++j) {
        const float* w = t->window + 64 * j;
        const float* xx = x + 64 * j;
        for (int i = 0; i < 64; ++i) y[i] += w[i] * xx[i];
    }
    // cos((2k+1)(i-16)pi/64) is symmetric about i = 16 and antisymmetric about i = 48, which
    // folds the 64 values to 32 terms: f[0..16] pair i with 32-i, f[17..31] pair 48-d with 48+d.
    float f[32];
    for (int i = 0; i < 16; ++i) f[i] = y[i] + y[32 - i];
    f[16] = y[16];
    for (int d = 1; d < 16; ++d) f[16 + d] = y[48 - d] - y[48 + d];
    // column by column, all 32 outputs at once (the inner loop runs over independent sums, so
    // it vectorises)
    float acc[32];
    for (int k = 0; k < 32; ++k) acc[k] = f[0] * t->matrix[0][k];
    for (int c = 1; c < 32; ++c) {
        const float* m = t->matrix[c];
        const float fc = f[c];
        for (int k = 0; k < 32; ++k) acc[k] += fc * m[k];
    }
    for (int k = 0; k < 32; ++k) out32[k] = acc[k];
}
