// Layers I and II frame bodies (see enc_layer12.h). Bits go where the noise-to-mask ratio is
// worst: each step gives one more quantiser level class to the subband whose mask-to-noise
// ratio is lowest, until the frame is full.
#include "enc_layer12.h"

#include <cmath>

#include "mpa_tables.h"

namespace {

// Signal-to-noise ratio in dB of each layer II quantisation class (same order as
// MPA_L2_CLASSES), for a full-scale sine.
const float L12_CLASS_SNR_DB[MPA_L2_CLASS_COUNT] = {7.00f,  11.00f, 16.00f, 20.84f, 25.28f, 31.59f,
                                                    37.75f, 43.84f, 49.89f, 55.93f, 61.96f, 67.98f,
                                                    74.01f, 80.03f, 86.05f, 92.01f, 98.01f};

// Index of the smallest scale factor that still holds peak (index 0 = 2.0, the largest).
int ScaleIndex(float peak) {
    if (peak <= 0.0f) return 62;
    int i = int(std::floor(3.0 * (1.0 - std::log2(double(peak)))));
    if (i < 0) i = 0;
    if (i > 62) i = 62;
    while (i > 0 && MPA_SCALEFACTOR[i] < peak) --i;
    while (i < 62 && MPA_SCALEFACTOR[i + 1] >= peak) ++i;
    return i;
}

// Scale factors of one subband's three thirds and the pattern that sends them: neighbouring
// thirds within one step (2 dB) share the larger scale factor, as the 6 bits saved buy more
// than the slightly coarser quantiser costs. Returns the bits they take (2 of pattern included).
int ThirdScales(const float x[36][32], int sb, int e[3], int* scfsi) {
    int s[3];
    for (int p = 0; p < 3; ++p) {
        float peak = 0.0f;
        for (int t = 12 * p; t < 12 * p + 12; ++t) {
            float a = std::fabs(x[t][sb]);
            peak = a > peak ? a : peak;
        }
        s[p] = ScaleIndex(peak);
    }
    int lo = s[0] < s[1] ? s[0] : s[1];
    lo = lo < s[2] ? lo : s[2];
    int hi = s[0] > s[1] ? s[0] : s[1];
    hi = hi > s[2] ? hi : s[2];
    if (hi - lo <= 1) {
        *scfsi = 2;
        e[0] = e[1] = e[2] = lo;
        return 2 + 6;
    }
    if (std::abs(s[0] - s[1]) <= 1) {
        *scfsi = 1;
        e[0] = e[1] = s[0] < s[1] ? s[0] : s[1];
        e[2] = s[2];
        return 2 + 12;
    }
    if (std::abs(s[1] - s[2]) <= 1) {
        *scfsi = 3;
        e[0] = s[0];
        e[1] = e[2] = s[1] < s[2] ? s[1] : s[2];
        return 2 + 12;
    }
    *scfsi = 0;
    e[0] = s[0];
    e[1] = s[1];
    e[2] = s[2];
    return 2 + 18;
}

// A jointly coded subband: the two channels' mean is quantised once, at its own scale factors,
// and each channel gets the mean's scale factors shifted by one whole number of steps (2 dB
// each) to its own level; the decoder scales the shared samples by each channel's. Fills mid
// with the mean, midScf with its scale factors, scf with each channel's; scfsi is the pattern
// of all three. Returns the bits of both channels' scale factors and patterns.
int JointScales(const float subband[][36][32], int sb, float mid[36][32], int midScf[3], int scf[2][3], int* scfsi) {
    double power[2] = {0.0, 0.0}, midPower = 0.0;
    for (int t = 0; t < 36; ++t) {
        const float l = subband[0][t][sb], r = subband[1][t][sb], m = 0.5f * (l + r);
        mid[t][sb] = m;
        power[0] += double(l) * l;
        power[1] += double(r) * r;
        midPower += double(m) * m;
    }
    const int bits = ThirdScales(mid, sb, midScf, scfsi);
    for (int ch = 0; ch < 2; ++ch) {
        const int shift =
            midPower > 0.0 && power[ch] > 0.0 ? int(std::lround(-1.5 * std::log2(power[ch] / midPower))) : 0;
        for (int p = 0; p < 3; ++p) {
            const int i = midScf[p] + shift;
            scf[ch][p] = i < 0 ? 0 : (i > 62 ? 62 : i);
        }
    }
    return 2 * bits;
}

// Code of x (|x| <= scale) on a quantiser of `steps` levels (reconstruction (2q+1-steps)/steps).
uint32_t Quantise(float x, double invScale, int steps) {
    int q = int((x * invScale + 1.0) * steps * 0.5);
    if (q < 0) q = 0;
    if (q > steps - 1) q = steps - 1;
    return uint32_t(q);
}

int ClassSampleBits(int cls) {  // bits for three samples of a class
    const MpaQuantClass& c = MPA_L2_CLASSES[cls];
    return c.grouped ? c.bits : 3 * c.bits;
}

// How far below the mask the error of joint coding must stay, in dB.
const double JOINT_MARGIN_DB = 6.0;

// The joint stereo bound (4, 8, 12 or 16) that codes jointly only subbands from `lowest` on;
// 32 when none fits.
int JointFrom(int lowest) {
    for (int bound = 4; bound <= 16; bound += 4)
        if (bound >= lowest) return bound;
    return 32;
}

// Steady subbands under the threshold in quiet (see EncLayer2Body).
const int STEADY_KBPS = 96;
const float STEADY_FIRST_MNR_DB = -2.0f;
const float STEADY_SMR_FLOOR_DB = -25.0f;  // lower still is left out

// Scale factors tried per subband, from the peak's down (see EncLayer2Body).
const int SCALE_TRIES = 3;

// Layer I allocation n (1..14) means 2^(n+1)-1 levels; its layer II class for the SNR table.
int Layer1Class(int n) { return n == 1 ? 0 : (n == 2 ? 2 : n + 1); }

}  // namespace

void EncLayer1Body(EncBitWriter* w, int channels, const float subband[][36][32], const float smrDb[][32],
                   int frameBits) {
    int alloc[2][32] = {}, scf[2][32] = {};
    for (int ch = 0; ch < channels; ++ch)
        for (int sb = 0; sb < 32; ++sb) {
            float peak = 0.0f;
            for (int t = 0; t < 12; ++t) {
                float a = std::fabs(subband[ch][t][sb]);
                peak = a > peak ? a : peak;
            }
            scf[ch][sb] = ScaleIndex(peak);
        }
    int bits = frameBits - 32 - 4 * 32 * channels;
    for (;;) {
        int bestCh = -1, bestSb = 0;
        float bestMnr = 1e30f;
        for (int ch = 0; ch < channels; ++ch)
            for (int sb = 0; sb < 32; ++sb) {
                int a = alloc[ch][sb];
                if (a >= 14) continue;
                int cost = a == 0 ? 6 + 24 : 12;
                if (cost > bits) continue;
                float mnr = (a ? L12_CLASS_SNR_DB[Layer1Class(a)] : 0.0f) - smrDb[ch][sb];
                if (mnr < bestMnr) {
                    bestMnr = mnr;
                    bestCh = ch;
                    bestSb = sb;
                }
            }
        if (bestCh < 0) break;
        bits -= alloc[bestCh][bestSb] == 0 ? 30 : 12;
        ++alloc[bestCh][bestSb];
    }
    for (int sb = 0; sb < 32; ++sb)
        for (int ch = 0; ch < channels; ++ch) EncPutBits(w, uint32_t(alloc[ch][sb]), 4);
    for (int sb = 0; sb < 32; ++sb)
        for (int ch = 0; ch < channels; ++ch)
            if (alloc[ch][sb]) EncPutBits(w, uint32_t(scf[ch][sb]), 6);
    for (int t = 0; t < 12; ++t)
        for (int sb = 0; sb < 32; ++sb)
            for (int ch = 0; ch < channels; ++ch) {
                int a = alloc[ch][sb];
                if (!a) continue;
                int steps = (1 << (a + 1)) - 1;
                EncPutBits(w, Quantise(subband[ch][t][sb], 1.0 / MPA_SCALEFACTOR[scf[ch][sb]], steps), a + 1);
            }
}

int EncLayer2JointBound(int sampleRate, int bitrateKbps, const float subband[][36][32], const float smrDb[][32]) {
    const int sblimit = MPA_L2_TABLES[MpaL2SelectTable(MPA_MPEG1, uint32_t(sampleRate), bitrateKbps, 2)].sblimit;
    float mid[36][32];
    // The lowest subband from which on every subband can be coded jointly: where the channels'
    // difference from their shared, rescaled samples stays below the mask by a margin.
    int lowest = sblimit;
    for (int sb = sblimit - 1; sb >= 4; --sb) {
        int midScf[3], scf[2][3], scfsi;
        JointScales(subband, sb, mid, midScf, scf, &scfsi);
        for (int ch = 0; ch < 2; ++ch) {
            double err = 0.0, power = 0.0;
            for (int t = 0; t < 36; ++t) {
                const double x = subband[ch][t][sb];
                const double rec = double(mid[t][sb]) * MPA_SCALEFACTOR[scf[ch][t / 12]] / MPA_SCALEFACTOR[midScf[t / 12]];
                err += (x - rec) * (x - rec);
                power += x * x;
            }
            if (err > power * std::pow(10.0, -0.1 * (double(smrDb[ch][sb]) + JOINT_MARGIN_DB))) return JointFrom(lowest);
        }
        lowest = sb;
    }
    return JointFrom(lowest);
}

void EncLayer2Body(EncBitWriter* w, int channels, int sampleRate, int bitrateKbps, const float subband[][36][32],
                   const float smrDb[][32], int frameBits, int bound) {
    const MpaL2Table& table = MPA_L2_TABLES[MpaL2SelectTable(MPA_MPEG1, uint32_t(sampleRate), bitrateKbps, channels)];
    const int sblimit = table.sblimit;
    int alloc[2][32] = {};
    int scf[2][32][3] = {};   // scale factor used by each third of the frame
    int scfsi[2][32] = {};    // which of them are sent
    int scfBits[2][32] = {};  // 2 bits of scfsi plus the scale factors sent

    int bits = frameBits - 32;
    for (int sb = 0; sb < sblimit; ++sb) bits -= table.rows[sb]->nbal * channels;

    for (int ch = 0; ch < channels; ++ch)
        for (int sb = 0; sb < sblimit; ++sb) scfBits[ch][sb] = ThirdScales(subband[ch], sb, scf[ch][sb], &scfsi[ch][sb]);
    // Jointly coded subbands: the channels' scale factors follow the shared samples'.
    float mid[36][32];
    int midScf[32][3] = {};
    const int joint = channels == 2 ? bound : 32;
    for (int sb = joint; sb < sblimit; ++sb) {
        int pair[2][3];
        const int bitsBoth = JointScales(subband, sb, mid, midScf[sb], pair, &scfsi[0][sb]);
        scfsi[1][sb] = scfsi[0][sb];
        for (int ch = 0; ch < 2; ++ch) {
            scfBits[ch][sb] = bitsBoth / 2;
            for (int p = 0; p < 3; ++p) scf[ch][sb][p] = pair[ch][p];
        }
    }

    // The class SNRs hold for a sine that fills its scale factor; what a subband really gets is
    // the class's noise at the scale factors it sends, against the signal power the masking
    // ratio was measured on. A noisy or decaying band fills its scale factors far less than a
    // sine (7 dB less for noise), so the same class leaves it that much more audible noise.
    float fill[2][32] = {};  // dB: signal power over a full sine at the scale factors sent
    for (int ch = 0; ch < channels; ++ch)
        for (int sb = 0; sb < sblimit; ++sb) {
            double power = 0.0, scale = 0.0;
            for (int t = 0; t < 36; ++t) power += double(subband[ch][t][sb]) * subband[ch][t][sb];
            for (int p = 0; p < 3; ++p) scale += double(MPA_SCALEFACTOR[scf[ch][sb][p]]) * MPA_SCALEFACTOR[scf[ch][sb][p]];
            power /= 36.0;
            scale *= 0.5 / 3.0;
            fill[ch][sb] = power > 0.0 ? float(10.0 * std::log10(power / scale)) : 0.0f;
        }

    // A subband below its mask (a negative ratio, down to STEADY_SMR_FLOOR_DB) whose level
    // holds through the frame (one scale factor for all three thirds) is most often the quiet
    // treble of a bright recording, under the threshold in quiet. From STEADY_KBPS per channel
    // its first class counts as a ratio of STEADY_FIRST_MNR_DB, so it is coded once every
    // audible subband is near its mask, and the top octave does not come and go with the bits
    // left over. A transient one (a clack, a click) is left out: its coarse class would spread
    // noise ahead of the attack.
    const bool codeSteady = bitrateKbps / channels >= STEADY_KBPS;

    // Each subband's next step: its cost in bits and the mask-to-noise ratio it would improve.
    // A tournament tree over the 64 slots (channel * 32 + subband) finds the lowest ratio; only
    // the chosen slot changes per step. A step that no longer fits never will (the bits left
    // only shrink while the step's cost stays), so it drops out for good.
    const float NONE = 1e30f;
    float mnr[64];
    int cost[64];
    int tree[128];  // node -> slot with the lowest ratio below it; leaves at 64 + slot
    auto nextStep = [&](int k) {
        int ch = k / 32, sb = k % 32;
        mnr[k] = NONE;
        if (ch >= channels || sb >= sblimit) return;
        if (sb >= joint && ch == 1) return;  // a joint subband's steps go through channel 0's slot
        const MpaL2Row* row = table.rows[sb];
        int a = alloc[ch][sb];
        if (a + 1 >= (1 << row->nbal) || row->cls[a + 1] < 0) return;
        const int scfCost = sb >= joint ? scfBits[0][sb] + scfBits[1][sb] : scfBits[ch][sb];
        cost[k] = 12 * ClassSampleBits(row->cls[a + 1]) + (a == 0 ? scfCost : -12 * ClassSampleBits(row->cls[a]));
        // (a coarse class never leaves more noise than the signal itself, as no class would)
        mnr[k] = (a ? std::fmax(L12_CLASS_SNR_DB[row->cls[a]] + fill[ch][sb], 0.0f) : 0.0f) - smrDb[ch][sb];
        if (a == 0 && codeSteady && scfsi[ch][sb] == 2 && smrDb[ch][sb] > STEADY_SMR_FLOOR_DB)
            mnr[k] = std::fmin(mnr[k], STEADY_FIRST_MNR_DB);
        if (sb >= joint) {  // the shared samples' noise reaches both channels: the worse one counts
            const float other = (a ? std::fmax(L12_CLASS_SNR_DB[row->cls[a]] + fill[1][sb], 0.0f) : 0.0f) - smrDb[1][sb];
            mnr[k] = std::fmin(mnr[k], other);
        }
    };
    auto better = [&](int x, int y) { return mnr[y] < mnr[x] ? y : x; };
    auto update = [&](int k) {
        for (int node = (64 + k) / 2; node >= 1; node /= 2) tree[node] = better(tree[2 * node], tree[2 * node + 1]);
    };
    for (int k = 0; k < 64; ++k) {
        nextStep(k);
        tree[64 + k] = k;
    }
    for (int node = 63; node >= 1; --node) tree[node] = better(tree[2 * node], tree[2 * node + 1]);
    for (;;) {
        int k = tree[1];
        if (mnr[k] >= NONE) break;
        if (cost[k] > bits) {
            mnr[k] = NONE;
        } else {
            bits -= cost[k];
            ++alloc[k / 32][k % 32];
            nextStep(k);
        }
        update(k);
    }
    for (int sb = joint; sb < sblimit; ++sb) alloc[1][sb] = alloc[0][sb];

    // A scale factor just above the peak suits a sine; a coarse quantiser on noise, whose peak
    // stands far above its level, leaves less error with a smaller one that clips the rare
    // peaks. Each separately coded subband takes the smallest error of its scale factors
    // lowered by 0 to SCALE_TRIES - 1 steps (the pattern of thirds stays as sent).
    for (int ch = 0; ch < channels; ++ch)
        for (int sb = 0; sb < (channels == 2 ? joint : sblimit); ++sb) {
            const int a = alloc[ch][sb];
            if (!a) continue;
            const int steps = MPA_L2_CLASSES[table.rows[sb]->cls[a]].steps;
            int* e = scf[ch][sb];
            int bestShift = 0;
            double bestErr = 1e300;
            for (int shift = 0; shift < SCALE_TRIES; ++shift) {
                double err = 0.0;
                for (int p = 0; p < 3; ++p) {
                    const int i = e[p] + shift > 62 ? 62 : e[p] + shift;
                    const double scale = MPA_SCALEFACTOR[i], inv = 1.0 / scale;
                    for (int t = 12 * p; t < 12 * p + 12; ++t) {
                        const float x = subband[ch][t][sb];
                        const double d = x - scale * double(2 * int(Quantise(x, inv, steps)) + 1 - steps) / steps;
                        err += d * d;
                    }
                }
                if (err < bestErr) {
                    bestErr = err;
                    bestShift = shift;
                }
            }
            for (int p = 0; p < 3; ++p) e[p] = e[p] + bestShift > 62 ? 62 : e[p] + bestShift;
        }

    for (int sb = 0; sb < sblimit; ++sb)
        for (int ch = 0; ch < (sb < joint ? channels : 1); ++ch) EncPutBits(w, uint32_t(alloc[ch][sb]), table.rows[sb]->nbal);
    for (int sb = 0; sb < sblimit; ++sb)
        for (int ch = 0; ch < channels; ++ch)
            if (alloc[ch][sb]) EncPutBits(w, uint32_t(scfsi[ch][sb]), 2);
    for (int sb = 0; sb < sblimit; ++sb)
        for (int ch = 0; ch < channels; ++ch) {
            if (!alloc[ch][sb]) continue;
            const int* e = scf[ch][sb];
            switch (scfsi[ch][sb]) {
            case 0:
                EncPutBits(w, uint32_t(e[0]), 6);
                EncPutBits(w, uint32_t(e[1]), 6);
                EncPutBits(w, uint32_t(e[2]), 6);
                break;
            case 1:
                EncPutBits(w, uint32_t(e[0]), 6);
                EncPutBits(w, uint32_t(e[2]), 6);
                break;
            case 2: EncPutBits(w, uint32_t(e[0]), 6); break;
            default:
                EncPutBits(w, uint32_t(e[0]), 6);
                EncPutBits(w, uint32_t(e[1]), 6);
                break;
            }
        }
    for (int gr = 0; gr < 12; ++gr)
        for (int sb = 0; sb < sblimit; ++sb)
            for (int ch = 0; ch < (sb < joint ? channels : 1); ++ch) {
                int a = alloc[ch][sb];
                if (!a) continue;
                const MpaQuantClass& c = MPA_L2_CLASSES[table.rows[sb]->cls[a]];
                const float(*x)[32] = sb < joint ? subband[ch] : mid;
                double inv = 1.0 / MPA_SCALEFACTOR[sb < joint ? scf[ch][sb][gr / 4] : midScf[sb][gr / 4]];
                uint32_t q0 = Quantise(x[3 * gr][sb], inv, c.steps);
                uint32_t q1 = Quantise(x[3 * gr + 1][sb], inv, c.steps);
                uint32_t q2 = Quantise(x[3 * gr + 2][sb], inv, c.steps);
                if (c.grouped) {
                    EncPutBits(w, q0 + c.steps * (q1 + c.steps * q2), c.bits);
                } else {
                    EncPutBits(w, q0, c.bits);
                    EncPutBits(w, q1, c.bits);
                    EncPutBits(w, q2, c.bits);
                }
            }
}
