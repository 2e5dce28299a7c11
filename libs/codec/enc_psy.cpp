// Psychoacoustic model (see enc_psy.h).
#include "enc_psy.h"

#include <cmath>
#include <cstring>

namespace {

const double PSY_PI = 3.14159265358979323846;

double Bark(double hz) { return 13.0 * std::atan(0.00076 * hz) + 3.5 * std::atan((hz / 7500.0) * (hz / 7500.0)); }

// Threshold in quiet in dB SPL (f in Hz), limited at the extremes where the curve explodes.
// Above its dip the curve climbs faster than many listeners' hearing falls off, and the playback
// level is unknown: there it is held to PSY_QUIET_HIGH_MAX_DB, and how much of the top octave is
// coded is left to the lowpass, which knows the bit rate.
const double PSY_QUIET_LOW_MAX_DB = 90.0;
const double PSY_QUIET_HIGH_MAX_DB = 45.0;
const double PSY_QUIET_DIP_KHZ = 3.3;

double QuietDb(double hz) {
    double f = hz < 20.0 ? 0.02 : hz / 1000.0;
    double db = 3.64 * std::pow(f, -0.8) - 6.5 * std::exp(-0.6 * (f - 3.3) * (f - 3.3)) + 1e-3 * f * f * f * f;
    const double cap = f < PSY_QUIET_DIP_KHZ ? PSY_QUIET_LOW_MAX_DB : PSY_QUIET_HIGH_MAX_DB;
    return db > cap ? cap : db;
}

// Power of the masking spread from a masker to a maskee dz bark above it.
double Spreading(double dz) {
    double tx = 1.05 * dz;
    double a = (tx - 0.5) * (tx - 0.5) - 2.0 * (tx - 0.5);
    double x = a < 0.0 ? 8.0 * a : 0.0;
    double ty = 15.811389 + 7.5 * (tx + 0.474) - 17.5 * std::sqrt(1.0 + (tx + 0.474) * (tx + 0.474));
    if (ty < -100.0) return 0.0;
    return std::pow(10.0, (x + ty) / 10.0);
}

// Complex FFT of fftSize / 2 points in place (the real transform is built on it).
void HalfFft(const EncPsyTables* t, float* re, float* im) {
    const int n = t->fftSize / 2;
    for (int i = 0; i < n; ++i) {
        int j = t->bitrev[i];
        if (j > i) {
            float a = re[i];
            re[i] = re[j];
            re[j] = a;
            float b = im[i];
            im[i] = im[j];
            im[j] = b;
        }
    }
    for (int len = 2; len <= n; len <<= 1) {
        const int half = len >> 1;
        const float* twr = t->stageRe + half - 1;
        const float* twi = t->stageIm + half - 1;
        for (int s = 0; s < n; s += len) {
            for (int k = 0; k < half; ++k) {
                float wr = twr[k], wi = twi[k];
                int a = s + k, b = a + half;
                float xr = re[b] * wr - im[b] * wi;
                float xi = re[b] * wi + im[b] * wr;
                re[b] = re[a] - xr;
                im[b] = im[a] - xi;
                re[a] += xr;
                im[a] += xi;
            }
        }
    }
}

// Spectrum of fftSize real samples (lines 0 .. fftSize / 2): the even and odd samples go
// through one half-size complex FFT and are separated afterwards.
void RealFft(const EncPsyTables* t, const float* x, float* outRe, float* outIm) {
    const int m = t->fftSize / 2;
    float re[ENC_PSY_FFT / 2], im[ENC_PSY_FFT / 2];
    for (int i = 0; i < m; ++i) {
        re[i] = x[2 * i];
        im[i] = x[2 * i + 1];
    }
    HalfFft(t, re, im);
    for (int k = 0; k <= m; ++k) {
        int a = k % m, b = (m - k) % m;
        float zr = re[a], zi = im[a], cr = re[b], ci = -im[b];
        float er = 0.5f * (zr + cr), ei = 0.5f * (zi + ci);
        float dr = 0.5f * (zr - cr), di = 0.5f * (zi - ci);
        float orr = di, oi = -dr;  // (Z[k] - conj Z[m-k]) / 2i
        float wr = k < m ? t->twRe[k] : -1.0f, wi = k < m ? t->twIm[k] : 0.0f;
        outRe[k] = er + wr * orr - wi * oi;
        outIm[k] = ei + wr * oi + wi * orr;
    }
}

}  // namespace

void EncPsyInitTables(EncPsyTables* t, int sampleRate, int fftSize) {
    std::memset(t, 0, sizeof *t);
    const int n = fftSize;
    t->fftSize = fftSize;
    t->lines = fftSize / 2 + 1;
    for (int i = 0; i < n; ++i) t->hann[i] = float(0.5 - 0.5 * std::cos(2.0 * PSY_PI * (i + 0.5) / n));
    for (int k = 0; k < n / 2; ++k) {
        t->twRe[k] = float(std::cos(-2.0 * PSY_PI * k / n));
        t->twIm[k] = float(std::sin(-2.0 * PSY_PI * k / n));
    }
    for (int half = 1; half < n / 2; half <<= 1)
        for (int k = 0; k < half; ++k) {
            // the full-size twiddles, every (n / 2 / half)-th; the half-size FFT's stage of
            // this span uses exactly these
            t->stageRe[half - 1 + k] = t->twRe[k * (n / (2 * half))];
            t->stageIm[half - 1 + k] = t->twIm[k * (n / (2 * half))];
        }
    int bits = 0;
    while ((1 << bits) < n / 2) ++bits;
    for (int i = 0; i < n / 2; ++i) {
        int r = 0;
        for (int b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
        t->bitrev[i] = int16_t(r);
    }

    t->unpredictableLine = int(10000.0 * n / sampleRate);
    t->toneMaskingDb = ENC_PSY_TONE_MASKING_DB;
    t->noiseMaskingDb = ENC_PSY_NOISE_MASKING_DB;

    // Partitions of about a third of a bark, but never narrower than one line; the width grows
    // when the rate would need more partitions than the tables hold.
    double lineHz = double(sampleRate) / n;
    double width = 1.0 / 3.0;
    for (;;) {
        int parts = 0;
        int start = 0;
        t->partStart[0] = 0;
        for (int k = 1; k < t->lines; ++k) {
            if (Bark(k * lineHz) - Bark(start * lineHz) >= width) {
                if (parts + 1 >= ENC_PSY_MAX_PARTS) break;
                t->partStart[++parts] = int16_t(k);
                start = k;
            }
        }
        if (parts + 1 < ENC_PSY_MAX_PARTS) {
            t->numParts = parts + 1;
            t->partStart[t->numParts] = int16_t(t->lines);
            break;
        }
        width *= 1.1;
    }

    double barkMid[ENC_PSY_MAX_PARTS];
    for (int p = 0; p < t->numParts; ++p) barkMid[p] = Bark(0.5 * (t->partStart[p] + t->partStart[p + 1] - 1) * lineHz);
    for (int b = 0; b < t->numParts; ++b) {
        double sum = 0.0;
        t->spreadLo[b] = int16_t(t->numParts);
        t->spreadHi[b] = 0;
        for (int m = 0; m < t->numParts; ++m) {
            // Weights under -60 dB change nothing that matters and are left out.
            double w = Spreading(barkMid[b] - barkMid[m]);
            if (w < 1e-6) w = 0.0;
            t->spread[b][m] = float(w);
            sum += w;
            if (w > 0.0) {
                if (m < t->spreadLo[b]) t->spreadLo[b] = int16_t(m);
                t->spreadHi[b] = int16_t(m + 1);
            }
        }
        t->spreadNorm[b] = float(1.0 / sum);
        // The lowest bands are judged more strictly: their partitions hold few lines, and the
        // ear is less forgiving of rumble that leaks out of them.
        t->snrOffset[b] = barkMid[b] < 2.0 ? float(2.0 * (2.0 - barkMid[b])) : 0.0f;
    }

    // A full-scale sine through the Hann window peaks at (n/4)^2 in line energy; take that as
    // 96 dB SPL, the top of 16-bit audio.
    double fullScale = (n / 4.0) * (n / 4.0);
    for (int k = 0; k < t->lines; ++k)
        t->athLine[k] = float(fullScale * std::pow(10.0, (QuietDb(k * lineHz) - 96.0) / 10.0));
}

void EncPsyReset(EncPsyChannel* c) { std::memset(c, 0, sizeof *c); }

void EncPsyAnalyze(const EncPsyTables* t, EncPsyChannel* c, const float* samples, int limitGrowth, EncPsyResult* out) {
    float windowed[ENC_PSY_FFT], re[ENC_PSY_LINES], im[ENC_PSY_LINES];
    for (int i = 0; i < t->fftSize; ++i) windowed[i] = samples[i] * t->hann[i];
    RealFft(t, windowed, re, im);

    // Unpredictability per line: how far the line's value is from the one extrapolated from
    // the last two spectra (magnitude linearly, phase by its rotation). 0 = a steady tone.
    // Written without branches so that the compiler can vectorise it.
    float cw[ENC_PSY_LINES];
    const float tiny = 1e-20f;
    for (int k = 0; k < t->lines; ++k) {
        float r = re[k], i = im[k];
        float e = r * r + i * i;
        out->energy[k] = e;
        float mag = std::sqrt(e);
        float inv = 1.0f / (mag + tiny);
        float ur = r * inv, ui = i * inv;
        float predMag = 2.0f * c->mag1[k] - c->mag2[k];
        // direction predicted as u1 * u1 * conj(u2)
        float ar = c->dirRe1[k] * c->dirRe1[k] - c->dirIm1[k] * c->dirIm1[k];
        float ai = 2.0f * c->dirRe1[k] * c->dirIm1[k];
        float pr = ar * c->dirRe2[k] + ai * c->dirIm2[k];
        float pi = ai * c->dirRe2[k] - ar * c->dirIm2[k];
        float dr = r - predMag * pr, di = i - predMag * pi;
        float u = std::sqrt(dr * dr + di * di) / (mag + std::fabs(predMag) + tiny);
        cw[k] = u < 1.0f ? u : 1.0f;
        c->mag2[k] = c->mag1[k];
        c->mag1[k] = mag;
        c->dirRe2[k] = c->dirRe1[k];
        c->dirIm2[k] = c->dirIm1[k];
        c->dirRe1[k] = ur;
        c->dirIm1[k] = ui;
    }
    // Above roughly 10 kHz the phase is too short-lived to predict; treat it as half noisy.
    for (int k = t->unpredictableLine; k < t->lines; ++k) cw[k] = cw[k] > 0.4f ? cw[k] : 0.4f;

    float eb[ENC_PSY_MAX_PARTS], cb[ENC_PSY_MAX_PARTS];
    const int np = t->numParts;
    for (int p = 0; p < np; ++p) {
        float e = 0.0f, w = 0.0f;
        for (int k = t->partStart[p]; k < t->partStart[p + 1]; ++k) {
            e += out->energy[k];
            w += out->energy[k] * cw[k];
        }
        eb[p] = e;
        cb[p] = w;
    }

    float pe = 0.0f;
    for (int b = 0; b < np; ++b) {
        float ecb = 0.0f, ct = 0.0f;
        const float* s = t->spread[b];
        for (int m = t->spreadLo[b]; m < t->spreadHi[b]; ++m) {
            ecb += s[m] * eb[m];
            ct += s[m] * cb[m];
        }
        float tb = 0.0f;
        if (ecb > 0.0f) {
            float ratio = ct / ecb;
            tb = ratio > 0.0f ? -0.299f - 0.43f * std::log(ratio) : 1.0f;
            tb = tb < 0.0f ? 0.0f : (tb > 1.0f ? 1.0f : tb);
        }
        float snrDb = tb * t->toneMaskingDb + (1.0f - tb) * t->noiseMaskingDb + t->snrOffset[b];
        float nb = ecb * t->spreadNorm[b] * std::exp(-0.230258509f * snrDb);
        // The limit follows the last block's own threshold, not the limited one: a limit carried
        // on from block to block would hold every block after an attack to the quiet before it,
        // and their bits would be missing where the attack's noise can be heard ahead of it.
        const float natural = nb;
        if (limitGrowth) {
            float lim = 2.0f * c->prevNb[b];
            if (lim > 0.0f && nb > lim) nb = lim;
        }
        c->prevNb[b] = natural;
        int lines = t->partStart[b + 1] - t->partStart[b];
        float perLine = nb / float(lines);
        float thrSum = 0.0f;
        for (int k = t->partStart[b]; k < t->partStart[b + 1]; ++k) {
            float q = t->athLine[k];
            float thr = perLine > q ? perLine : q;
            out->thr[k] = thr;
            thrSum += thr;
        }
        if (eb[b] > thrSum) pe += float(lines) * std::log10(eb[b] / thrSum);
    }
    // log10 -> bits per line (log2 of the amplitude ratio)
    out->pe = pe * 1.66f;
}
