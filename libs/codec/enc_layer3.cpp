// Layer III encoder (see enc_layer3.h).
#include "enc_layer3.h"

#include <cmath>
#include <algorithm>
#include <cstring>

#include "enc_bits.h"
#include "enc_l3_huffman.h"
#include "mpa_tables.h"

namespace {

const double L3_PI = 3.14159265358979323846;
const int L3_MAX_Q = 8206;           // 15 + 2^13 - 1, the largest value table 31 codes
const int L3_OUTER_ITERATIONS = 12;  // scale-factor passes per granule (a speed/quality limit)
const float L3_ATTACK_RATIO = 6.0f;

// Frame layout and the decoder's buffer, as the format fixes them.
const int L3_HEADER_BITS = 32;
const int L3_SIDE_BYTES_MONO = 17;
const int L3_SIDE_BYTES_STEREO = 32;
// What a decoder must buffer of frame and reservoir. The literal 7680 bits leave no reservoir at
// all above 224 kbit/s (a 320 kbit/s frame alone is longer), just where transients need it most;
// every decoder must hold the largest frame the format allows (320 kbit/s at 32 kHz, 1440 bytes)
// anyway, so that is the buffer we count on.
const int L3_DECODER_BUFFER_BITS = 8 * 1440;
const int L3_MAX_MAIN_DATA_BEGIN = 511;   // the side information's 9-bit back pointer
const int L3_MAX_PART23_BITS = 4095;      // 12-bit field per granule and channel
const uint8_t L3_MODE_EXT_MASK = 0xCF;    // header byte 3 without the mode extension
const uint8_t L3_MODE_EXT_MS = 0x20;      // mid/side stereo on, intensity off

// Stereo and bit allocation policy.
const float L3_MS_SIDE_SHARE = 0.3f;           // mid/side when the side carries less than this share of the mid
const float L3_MS_SIDE_NEED = 0.5f;            // the side channel's claim on the reservoir, relative
const int L3_SAVE_DIVISOR = 10;                // up to a tenth of each share goes to the reservoir
const float L3_PE_FULL_NEED = 1500.0f;         // perceptual entropy that earns a granule the whole reservoir
const float L3_NOISE_FLOOR_PER_LINE = 1e-12f;  // allowed noise never drops below this (silent bands)
const float L3_LOWPASS_PASS_SHARE = 0.94f;     // the lowpass's taper starts here (share of the cutoff)
const float L3_SHORT_LOWPASS_HZ = 19000.0f;    // short blocks' highest cutoff

// ---- Quantisation ----------------------------------------------------------------------------

// Band layout of a granule in bitstream order: `count` bands of [start, end) with the index of
// their scale factor (-1: none).
struct L3Bands {
    int count;
    int start[39], end[39];
    int sfIndex[39];
};

void LongBands(const uint16_t* sfb, L3Bands* b) {
    b->count = 22;
    for (int i = 0; i < 22; ++i) {
        b->start[i] = sfb[i];
        b->end[i] = sfb[i + 1];
        b->sfIndex[i] = i < 21 ? i : -1;
    }
}

void ShortBands(const uint16_t* sfb, L3Bands* b) {
    b->count = 39;
    for (int s = 0; s < 13; ++s) {
        int width = sfb[s + 1] - sfb[s];
        for (int w = 0; w < 3; ++w) {
            int n = s * 3 + w;
            b->start[n] = 3 * sfb[s] + w * width;
            b->end[n] = b->start[n] + width;
            b->sfIndex[n] = s < 12 ? n : -1;
        }
    }
}

// Quantises every band with global gain and scale factors into magnitudes (the signs are read
// from xr when the code is written); 0 when a value would exceed what the tables code.
int Quantise(const EncL3Tables* t, const float* xr34, const float* bandMax, const L3Bands* bands, int activeBands,
             int globalGain, const int* sf, int* ix) {
    // the step of every line first, then one pass over the lines (which vectorises)
    float stepOf[ENC_L3_LINES];
    for (int b = 0; b < activeBands; ++b) {
        int s = bands->sfIndex[b] >= 0 ? sf[bands->sfIndex[b]] : 0;
        float step = t->quantScale[globalGain - 2 * s + 64];
        if (bandMax[b] * step > float(L3_MAX_Q)) return 0;
        for (int i = bands->start[b]; i < bands->end[b]; ++i) stepOf[i] = step;
    }
    const int end = activeBands ? bands->end[activeBands - 1] : 0;
    for (int i = 0; i < end; ++i) ix[i] = int(xr34[i] * stepOf[i] + 0.4054f);
    return 1;
}

// Scale-factor bits for the smallest scalefac_compress that holds the scale factors.
int ScalefactorBits(const int* sf, int blockType, int* compressOut) {
    int max1 = 0, max2 = 0;
    int split = blockType == 2 ? 18 : 11, total = blockType == 2 ? 36 : 21;
    for (int i = 0; i < total; ++i) {
        if (i < split) {
            if (sf[i] > max1) max1 = sf[i];
        } else if (sf[i] > max2)
            max2 = sf[i];
    }
    int n1 = blockType == 2 ? 18 : 11, n2 = blockType == 2 ? 18 : 10;
    int best = -1, bestBits = 1 << 30;
    for (int c = 0; c < 16; ++c) {
        int s1 = MPA_L3_SLEN[0][c], s2 = MPA_L3_SLEN[1][c];
        if (max1 >= (1 << s1) || max2 >= (1 << s2)) continue;
        int bits = n1 * s1 + n2 * s2;
        if (bits < bestBits) {
            bestBits = bits;
            best = c;
        }
    }
    *compressOut = best;
    return best < 0 ? -1 : bestBits;
}

// Codes one granule of one channel within maxBits, keeping the noise of each band under its
// allowed level where the bits allow: the inner search finds the smallest global gain that
// fits, the outer passes raise the scale factors of bands whose noise is still too high.
void CodeGranule(const EncL3Tables* t, const float* xr, const float* xmin, const L3Bands* bands, int blockType,
                 const uint16_t* sfbLong, int maxBits, int* firstGain, EncLayer3* work, EncL3Granule* best) {
    float* xr34 = work->xr34;
    EncL3Granule* g = &work->trial;
    std::memset(best, 0, sizeof *best);
    best->blockType = blockType;
    best->globalGain = 210;
    float peak = 0.0f;
    for (int i = 0; i < ENC_L3_LINES; ++i) {
        float a = std::fabs(xr[i]);
        xr34[i] = std::sqrt(a * std::sqrt(a));
        if (a > peak) peak = a;
    }
    float bandMax[39];
    int activeBands = 0;  // bands past the last one with a non-zero line quantise to zero
    for (int b = 0; b < bands->count; ++b) {
        float m = 0.0f;
        for (int i = bands->start[b]; i < bands->end[b]; ++i) m = xr34[i] > m ? xr34[i] : m;
        bandMax[b] = m;
        if (m > 0.0f) activeBands = b + 1;
    }
    int activeLines = activeBands ? bands->end[activeBands - 1] : 0;
    while (activeLines > 0 && xr34[activeLines - 1] == 0.0f) --activeLines;
    best->region1Start = best->region2Start = 0;
    if (peak < 1e-9f || maxBits <= 0) {
        EncL3CountBits(t, best, sfbLong);
        return;
    }
    std::memset(g, 0, sizeof *g);
    g->blockType = blockType;
    float bestOver = 1e30f;
    int haveBest = 0;
    int gain = -1;
    for (int pass = 0; pass < L3_OUTER_ITERATIONS; ++pass) {
        int compress;
        int part2 = ScalefactorBits(g->sf, blockType, &compress);
        if (part2 < 0 || part2 >= maxBits) break;
        int budget = maxBits - part2;
        // Smallest global gain whose code fits: bisection the first time, then upwards from the
        // last gain (raised scale factors only ever cost bits).
        // g holds the code of the last gain tried (lastGain) and its bits (lastBits; above
        // any budget when a value was out of range), so the gain found is not coded twice.
        int lastGain = -1, lastBits = 0;
        auto fits = [&](int q) {
            lastGain = q;
            lastBits = Quantise(t, xr34, bandMax, bands, activeBands, q, g->sf, g->ix)
                           ? EncL3CountBits(t, g, sfbLong, activeLines)
                           : budget + 1;
            return lastBits <= budget;
        };
        int found = -1;
        if (gain < 0) {
            // The smallest gain that fits lies between lo and hi. Neighbouring granules need
            // much the same gain: from the last one's, steps that double in size bound it
            // first, so a bisection over the whole range is rarely needed.
            int lo = 0, hi = 255;
            const int hint = *firstGain;
            if (hint >= 0 && hint < 255) {
                if (fits(hint)) {
                    hi = hint;
                    for (int step = 1; hi > 0; step *= 2) {
                        const int q = hi - step < 0 ? 0 : hi - step;
                        if (!fits(q)) {
                            lo = q + 1;
                            break;
                        }
                        hi = q;
                    }
                } else {
                    lo = hint + 1;
                    for (int step = 1; lo < 255; step *= 2) {
                        const int q = lo + step - 1 > 254 ? 254 : lo + step - 1;
                        if (fits(q)) {
                            hi = q;
                            break;
                        }
                        lo = q + 1;
                    }
                }
            }
            while (lo < hi) {
                int mid = (lo + hi) / 2;
                if (fits(mid))
                    hi = mid;
                else
                    lo = mid + 1;
            }
            found = lo;
            *firstGain = found;
        } else {
            found = gain;
            while (found < 255 && !fits(found)) ++found;
        }
        gain = found;
        if (lastGain != gain) fits(gain);
        if (lastBits > budget) break;
        int part3 = lastBits;
        g->globalGain = gain;
        g->part2 = part2;
        g->part23 = part2 + part3;
        g->scalefacCompress = compress;

        // Noise per band against what the band may hide.
        float over = 0.0f;
        int overCount = 0;
        int amplify[39];
        for (int b = 0; b < bands->count; ++b) {
            int s = bands->sfIndex[b] >= 0 ? g->sf[bands->sfIndex[b]] : 0;
            float step = t->dequantStep[gain - 2 * s + 64];
            float noise = 0.0f;
            for (int i = bands->start[b]; i < bands->end[b]; ++i) {
                float d = std::fabs(xr[i]) - t->pow43[g->ix[i]] * step;
                noise += d * d;
            }
            amplify[b] = 0;
            if (noise > xmin[b]) {
                float db = 10.0f * std::log10(noise / xmin[b]);
                over += db;
                ++overCount;
                amplify[b] = 1;
            }
        }
        if (!haveBest || over < bestOver) {
            *best = *g;
            bestOver = over;
            haveBest = 1;
        }
        if (overCount == 0) break;
        int raised = 0, candidates = 0;
        for (int b = 0; b < bands->count; ++b) {
            int k = bands->sfIndex[b];
            if (k < 0) continue;
            ++candidates;
            if (amplify[b]) {
                g->sf[k] += 1;
                ++raised;
            }
        }
        if (raised == 0 || raised == candidates) break;  // raising all is only a gain change
    }
    if (!haveBest) {
        // Nothing fitted: send silence for this granule.
        std::memset(best, 0, sizeof *best);
        best->blockType = blockType;
        best->globalGain = 210;
        EncL3CountBits(t, best, sfbLong);
    }
}

// ---- Filterbank: MDCT over the subbands --------------------------------------------------------

// Transforms one granule: prev and cur are [18][32] subband samples. Long-type blocks give
// xr in frequency order with aliasing reduced; short blocks give band/window/line order.
void Mdct(const EncL3Tables* t, const float prev[18][32], const float cur[18][32], int blockType,
          const uint16_t* sfbShort, float* xr) {
    float shortOut[3][192];
    for (int sb = 0; sb < 32; ++sb) {
        float z[36];
        for (int n = 0; n < 18; ++n) {
            z[n] = prev[n][sb];
            z[18 + n] = cur[n][sb];
        }
        if (sb & 1)  // the synthesis reverses odd subbands' spectra; undo it here
            for (int n = 1; n < 36; n += 2) z[n] = -z[n];
        // input by input, all outputs at once: independent sums, which vectorise
        if (blockType == 2) {
            for (int w = 0; w < 3; ++w) {
                const float* zz = z + 6 + 6 * w;
                float s[8] = {0, 0, 0, 0, 0, 0, 0, 0};
                for (int n = 0; n < 12; ++n)
                    for (int k = 0; k < 8; ++k) s[k] += zz[n] * t->mdctShort[n][k];
                for (int k = 0; k < 6; ++k) shortOut[w][sb * 6 + k] = s[k];
            }
        } else {
            const float* win = t->window[blockType];
            float s[20];
            for (int k = 0; k < 20; ++k) s[k] = 0.0f;
            for (int n = 0; n < 36; ++n) {
                const float wz = z[n] * win[n];
                for (int k = 0; k < 20; ++k) s[k] += wz * t->mdctLong[n][k];
            }
            for (int k = 0; k < 18; ++k) xr[sb * 18 + k] = s[k];
        }
    }
    if (blockType == 2) {
        for (int s = 0; s < 13; ++s) {
            int a = sfbShort[s], width = sfbShort[s + 1] - a;
            for (int w = 0; w < 3; ++w)
                for (int f = 0; f < width; ++f) xr[3 * a + w * width + f] = shortOut[w][a + f];
        }
        return;
    }
    for (int sb = 1; sb < 32; ++sb)
        for (int i = 0; i < 8; ++i) {
            float a = xr[sb * 18 - 1 - i], b = xr[sb * 18 + i];
            xr[sb * 18 - 1 - i] = a * t->aliasCs[i] + b * t->aliasCa[i];
            xr[sb * 18 + i] = b * t->aliasCs[i] - a * t->aliasCa[i];
        }
}

// Transients in a granule of subband samples, by thirds: bit k set when third k carries far more
// energy than the three thirds before it.
int DetectAttack(EncL3Channel* c, const float sub[18][32]) {
    int thirds = 0;
    for (int seg = 0; seg < 3; ++seg) {
        float e = 0.0f;
        for (int n = seg * 6; n < seg * 6 + 6; ++n)
            for (int sb = 2; sb < 32; ++sb) e += sub[n][sb] * sub[n][sb];
        float before = (c->segEnergy[0] + c->segEnergy[1] + c->segEnergy[2]) / 3.0f;
        if (e > L3_ATTACK_RATIO * before && e > 1e-4f) thirds |= 1 << seg;
        c->segEnergy[0] = c->segEnergy[1];
        c->segEnergy[1] = c->segEnergy[2];
        c->segEnergy[2] = e;
    }
    return thirds;
}

// Unused main-data bytes from the fill position to the end of the held frames.
int HeldFree(const EncLayer3* l3) {
    int free = 0;
    for (int i = l3->fillFrame; i < l3->frameCount; ++i)
        free += i == l3->fillFrame ? l3->frames[i].end - l3->fillPos : l3->frames[i].end - l3->frames[i].mainStart;
    return free;
}

// Moves the fill position on by n main-data bytes (or writes them when src is given).
void FillMain(EncLayer3* l3, const uint8_t* src, int n) {
    while (n > 0 && l3->fillFrame < l3->frameCount) {
        EncL3HeldFrame& f = l3->frames[l3->fillFrame];
        int room = f.end - l3->fillPos;
        int take = n < room ? n : room;
        if (src) {
            std::memcpy(l3->held + l3->fillPos, src, size_t(take));
            src += take;
        }
        l3->fillPos += take;
        n -= take;
        if (l3->fillPos == f.end && l3->fillFrame + 1 < l3->frameCount) {
            ++l3->fillFrame;
            l3->fillPos = l3->frames[l3->fillFrame].mainStart;
        }
    }
}

// Hands out the leading frames that are complete (all of them when `all`).
int EmitFrames(EncLayer3* l3, uint8_t* out, int cap, int all) {
    int n = 0;
    while (n < l3->frameCount) {
        const EncL3HeldFrame& f = l3->frames[n];
        int full = n < l3->fillFrame || (n == l3->fillFrame && l3->fillPos == f.end);
        if (!full && !all) break;
        ++n;
    }
    if (n == 0) return 0;
    int bytes = l3->frames[n - 1].end;
    if (bytes > cap) return -1;
    std::memcpy(out, l3->held, size_t(bytes));
    std::memmove(l3->held, l3->held + bytes, size_t(l3->heldLen - bytes));
    l3->heldLen -= bytes;
    for (int i = n; i < l3->frameCount; ++i) {
        l3->frames[i - n] = l3->frames[i];
        l3->frames[i - n].start -= bytes;
        l3->frames[i - n].mainStart -= bytes;
        l3->frames[i - n].end -= bytes;
    }
    l3->frameCount -= n;
    l3->fillFrame -= n;
    l3->fillPos -= bytes;
    if (l3->fillFrame < 0) {
        l3->fillFrame = 0;
        l3->fillPos = l3->frameCount ? l3->frames[0].mainStart : 0;
    }
    return bytes;
}

// ---- Frame stages --------------------------------------------------------------------------------

int SideBytes(int channels) { return channels == 2 ? L3_SIDE_BYTES_STEREO : L3_SIDE_BYTES_MONO; }

void GranuleBands(int blockType, const uint16_t* sfbLong, const uint16_t* sfbShort, L3Bands* bands) {
    if (blockType == 2)
        ShortBands(sfbShort, bands);
    else
        LongBands(sfbLong, bands);
}

// The lowpass, on a granule's lines in the order Mdct left them.
void ApplyLowpass(const EncLayer3* l3, int blockType, const uint16_t* sfbShort, float* xr) {
    if (blockType != 2) {
        for (int i = 0; i < ENC_L3_LINES; ++i) xr[i] *= l3->lowpassLong[i];
        return;
    }
    for (int s = 0; s < 13; ++s) {
        const int a = sfbShort[s], width = sfbShort[s + 1] - a;
        for (int w = 0; w < 3; ++w)
            for (int f = 0; f < width; ++f) xr[3 * a + w * width + f] *= l3->lowpassShort[a + f];
    }
}

// MDCT of the two coded granules of every channel: the held granule and this frame's first
// (each one granule late, so the block planner could see the next one); the frame's second
// granule is held for the next frame.
void TransformGranules(EncLayer3* l3, const EncL3Frame* f, const float subband[][36][32], const uint16_t* sfbShort) {
    const EncL3Tables* t = &l3->tables;
    for (int ch = 0; ch < f->channels; ++ch) {
        EncL3Channel* c = &l3->ch[ch];
        Mdct(t, c->prevSub, c->heldSub, f->blockType[0], sfbShort, l3->xr[0][ch]);
        Mdct(t, c->heldSub, (const float(*)[32])subband[ch][0], f->blockType[1], sfbShort, l3->xr[1][ch]);
        ApplyLowpass(l3, f->blockType[0], sfbShort, l3->xr[0][ch]);
        ApplyLowpass(l3, f->blockType[1], sfbShort, l3->xr[1][ch]);
        std::memcpy(c->prevSub, subband[ch][0], sizeof c->prevSub);
        std::memcpy(c->heldSub, subband[ch][18], sizeof c->heldSub);
    }
}

// Allowed noise per band in the MDCT domain: the model's ratio times the band's energy.
void AllowedNoise(const EncLayer3* l3, const EncL3Frame* f, const uint16_t* sfbLong, const uint16_t* sfbShort,
                  float xmin[2][2][39]) {
    for (int g = 0; g < 2; ++g) {
        L3Bands bands;
        GranuleBands(f->blockType[g], sfbLong, sfbShort, &bands);
        for (int ch = 0; ch < f->channels; ++ch) {
            const float* xr = l3->xr[g][ch];
            for (int b = 0; b < bands.count; ++b) {
                float e = 0.0f;
                for (int i = bands.start[b]; i < bands.end[b]; ++i) e += xr[i] * xr[i];
                float ratio = f->blockType[g] == 2 ? f->ratioShort[g][ch][b % 3][b / 3] : f->ratio[g][ch][b];
                float floor = L3_NOISE_FLOOR_PER_LINE * float(bands.end[b] - bands.start[b]);
                xmin[g][ch][b] = std::fmax(ratio * e, floor);
            }
        }
    }
}

// Mid/side when the channels are alike: the side channel then costs few bits.
int ChooseMidSide(const EncLayer3* l3) {
    float em = 0.0f, es = 0.0f;
    for (int g = 0; g < 2; ++g)
        for (int i = 0; i < ENC_L3_LINES; ++i) {
            float l = l3->xr[g][0][i], r = l3->xr[g][1][i];
            em += (l + r) * (l + r);
            es += (l - r) * (l - r);
        }
    return es < L3_MS_SIDE_SHARE * em;
}

// Turns left/right into mid/side. Both halves must then hide noise where either channel would
// show it.
void ToMidSide(EncLayer3* l3, float xmin[2][2][39]) {
    const float h = 0.70710678f;
    for (int g = 0; g < 2; ++g) {
        for (int i = 0; i < ENC_L3_LINES; ++i) {
            float l = l3->xr[g][0][i], r = l3->xr[g][1][i];
            l3->xr[g][0][i] = (l + r) * h;
            l3->xr[g][1][i] = (l - r) * h;
        }
        for (int b = 0; b < 39; ++b) {
            float m = std::fmin(xmin[g][0][b], xmin[g][1][b]);
            xmin[g][0][b] = xmin[g][1][b] = m;
        }
    }
}

// The most reservoir bytes a frame of this size may point back to.
int ReservoirLimit(int frameBytes) {
    return std::max(0, std::min((L3_DECODER_BUFFER_BITS - frameBytes * 8) / 8, L3_MAX_MAIN_DATA_BEGIN));
}

// The reservoir this frame may draw on: what held frames left unused, up to the limit a decoder
// can buffer beside this frame. The excess is given up (left as stuffing) now.
int ReservoirBytes(EncLayer3* l3, int frameBytes) {
    const int resvMax = ReservoirLimit(frameBytes);
    int free = HeldFree(l3);
    if (free > resvMax) {
        FillMain(l3, nullptr, free - resvMax);
        free = resvMax;
    }
    return free;
}

// Codes the four granule/channel units, sharing this frame's main data area and the reservoir
// between them. Returns the main-data bits used.
int QuantiseGranules(EncLayer3* l3, const EncL3Frame* f, int ms, int freeBytes, const uint16_t* sfbLong,
                     const uint16_t* sfbShort, const float xmin[2][2][39]) {
    const int nch = f->channels;
    const int frameBits = f->frameBytes * 8;
    const int resvMax = ReservoirLimit(f->frameBytes);
    const int mainBits = frameBits - L3_HEADER_BITS - SideBytes(nch) * 8;
    const int units = 2 * nch;
    const int share = mainBits / units;
    int resvLeft = freeBytes * 8;
    int usedBits = 0;
    for (int g = 0; g < 2; ++g) {
        L3Bands bands;
        GranuleBands(f->blockType[g], sfbLong, sfbShort, &bands);
        for (int ch = 0; ch < nch; ++ch) {
            // Part of each share is saved for harder granules, as far as the reservoir can keep
            // it; the reservoir pays for a granule by its perceptual entropy (short blocks always
            // take their fill). What the reservoir could not keep is spent now.
            int unitsLeft = units - (g * nch + ch);
            int room = resvMax * 8 - resvLeft;
            int save = room > 0 ? std::min(share / L3_SAVE_DIVISOR, room / unitsLeft) : 0;
            float need = f->blockType[g] == 2 ? 1.0f : std::fmin(1.0f, f->pe[g][ch] / L3_PE_FULL_NEED);
            if (ms && ch == 1) need *= L3_MS_SIDE_NEED;
            int extra = f->blockType[g] == 2 ? resvLeft : int(float(std::min(resvLeft, share)) * need);
            int budget = share - save + extra;
            int mustSpend = (resvLeft + share * unitsLeft - resvMax * 8) / unitsLeft;
            budget = std::max(budget, mustSpend);
            budget = std::min(budget, share + resvLeft);
            budget = std::min(budget, L3_MAX_PART23_BITS);
            EncL3Granule* out = &l3->gr[g][ch];
            CodeGranule(&l3->tables, l3->xr[g][ch], xmin[g][ch], &bands, f->blockType[g], sfbLong, budget,
                        &l3->firstGain[ch], l3, out);
            resvLeft += share - out->part23;
            usedBits += out->part23;
        }
    }
    return usedBits;
}

// Lays the frame out among the held ones: header and side information now, its main data area
// to be filled from the fill position on (the earlier frames' unused tail first). 0 when the
// hold is full.
int AppendFrame(EncLayer3* l3, const EncL3Frame* f, int ms, int mainDataBegin) {
    if (l3->frameCount >= ENC_L3_MAX_HELD_FRAMES || l3->heldLen + f->frameBytes > ENC_L3_HOLD_BYTES) return 0;
    const int sideBytes = SideBytes(f->channels);
    EncL3HeldFrame& nf = l3->frames[l3->frameCount];
    nf.start = l3->heldLen;
    nf.mainStart = nf.start + 4 + sideBytes;
    nf.end = nf.start + f->frameBytes;
    uint8_t* frame = l3->held + nf.start;
    std::memset(frame, 0, size_t(f->frameBytes));
    std::memcpy(frame, f->header, 4);
    if (f->channels == 2) frame[3] = uint8_t((frame[3] & L3_MODE_EXT_MASK) | (ms ? L3_MODE_EXT_MS : 0));
    EncBitWriter side;
    EncBitsStart(&side, frame + 4, uint32_t(sideBytes));
    EncL3WriteSideInfo(&side, f->channels, mainDataBegin, l3->gr);
    if (l3->frameCount == 0) l3->fillPos = nf.mainStart;
    if (l3->fillFrame == l3->frameCount - 1 && l3->fillPos == l3->frames[l3->fillFrame].end) {
        ++l3->fillFrame;
        l3->fillPos = nf.mainStart;
    }
    l3->heldLen = nf.end;
    ++l3->frameCount;
    return 1;
}

// Scale factors and Huffman code of the coded granules, written at the fill position.
void WriteMainData(EncLayer3* l3, int channels, int usedBits) {
    int mainBytes = (usedBits + 7) / 8;
    EncBitWriter w;
    EncBitsStart(&w, l3->mainBuf, uint32_t(mainBytes));
    for (int g = 0; g < 2; ++g)
        for (int ch = 0; ch < channels; ++ch) {
            EncL3WriteScalefactors(&w, &l3->gr[g][ch]);
            EncL3WriteHuffman(&w, &l3->gr[g][ch], l3->xr[g][ch]);
        }
    FillMain(l3, l3->mainBuf, mainBytes);
}

}  // namespace

void EncL3InitTables(EncL3Tables* t) {
    for (int n = 0; n < 36; ++n) {
        t->window[0][n] = float(std::sin(L3_PI / 36.0 * (n + 0.5)));
        // start: long rise, flat, short fall, zeros
        t->window[1][n] = n < 18   ? t->window[0][n]
                          : n < 24 ? 1.0f
                          : n < 30 ? float(std::sin(L3_PI / 12.0 * (n - 18 + 0.5)))
                                   : 0.0f;
        // stop: zeros, short rise, flat, long fall
        t->window[3][n] = n < 6    ? 0.0f
                          : n < 12 ? float(std::sin(L3_PI / 12.0 * (n - 6 + 0.5)))
                          : n < 18 ? 1.0f
                                   : t->window[0][n];
        t->window[2][n] = n < 12 ? float(std::sin(L3_PI / 12.0 * (n + 0.5))) : 0.0f;
    }
    // The decoder's inverse transforms carry no 1/N: a forward/inverse pair gains N/4 (9 for the
    // 36-point, 3 for the 12-point transform), divided out here.
    std::memset(t->mdctLong, 0, sizeof t->mdctLong);
    std::memset(t->mdctShort, 0, sizeof t->mdctShort);
    for (int k = 0; k < 18; ++k)
        for (int n = 0; n < 36; ++n)
            t->mdctLong[n][k] = float(std::cos(L3_PI / 72.0 * (2 * n + 19) * (2 * k + 1)) / 9.0);
    for (int k = 0; k < 6; ++k)
        for (int n = 0; n < 12; ++n)
            t->mdctShort[n][k] = float(t->window[2][n] * std::cos(L3_PI / 24.0 * (2 * n + 7) * (2 * k + 1)) / 3.0);
    static const double ALIAS_C[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
    for (int i = 0; i < 8; ++i) {
        double r = std::sqrt(1.0 + ALIAS_C[i] * ALIAS_C[i]);
        t->aliasCs[i] = float(1.0 / r);
        t->aliasCa[i] = float(ALIAS_C[i] / r);
    }
    EncL3InitHuffman(t);
    for (int q = 0; q < 8208; ++q) t->pow43[q] = float(std::pow(double(q), 4.0 / 3.0));
    for (int k = 0; k < 320; ++k) {
        t->quantScale[k] = float(std::pow(2.0, -0.1875 * (k - 274)));
        t->dequantStep[k] = float(std::pow(2.0, 0.25 * (k - 274)));
    }
}

void EncL3SetLowpass(EncLayer3* l3, int sampleRate, float cutoffHz) {
    auto gain = [&](float hz, float cutoff) {
        const float pass = L3_LOWPASS_PASS_SHARE * cutoff;
        if (hz <= pass) return 1.0f;
        if (hz >= cutoff) return 0.0f;
        return float(0.5 + 0.5 * std::cos(L3_PI * (hz - pass) / (cutoff - pass)));
    };
    // line k of an n-line block is centred on (k + 1/2) * rate / (2n)
    for (int k = 0; k < ENC_L3_LINES; ++k)
        l3->lowpassLong[k] = gain((k + 0.5f) * float(sampleRate) / 1152.0f, cutoffHz);
    // Short blocks (around attacks only) stop at L3_SHORT_LOWPASS_HZ even at high rates: what
    // lies above is out of almost everyone's hearing, and a granule's code is capped at 4095
    // bits, which an attack needs for the band whose noise would otherwise reach ahead of it.
    const float shortCutoff = std::fmin(cutoffHz, L3_SHORT_LOWPASS_HZ);
    for (int k = 0; k < 192; ++k) l3->lowpassShort[k] = gain((k + 0.5f) * float(sampleRate) / 384.0f, shortCutoff);
}

void EncL3Reset(EncLayer3* l3) {
    std::memset(l3->ch, 0, sizeof l3->ch);
    l3->heldLen = 0;
    l3->heldAttack = 0;
    l3->heldLateAttack = 0;
    l3->blockType = 0;
    l3->firstGain[0] = l3->firstGain[1] = -1;
    l3->frameCount = 0;
    l3->fillFrame = 0;
    l3->fillPos = 0;
}

void EncL3PlanBlocks(EncLayer3* l3, int channels, const float subband[][36][32], int* blockTypeOut) {
    // A coded granule's MDCT spans two granules of subband samples, A then B; its short windows
    // cover the last two thirds of A and the first two of B, and only there is an attack's noise
    // kept to a few milliseconds. So the granule is short when an attack falls in A's last third
    // or B's first two. The analysis filter rings up to half a third ahead of an attack, so an
    // attack seen in a middle third may really start in the next one: both blocks go short.
    int first = 0, second = 0;  // thirds with an attack in this frame's two subband granules
    for (int ch = 0; ch < channels; ++ch) {
        first |= DetectAttack(&l3->ch[ch], (const float(*)[32])subband[ch][0]);
        second |= DetectAttack(&l3->ch[ch], (const float(*)[32])subband[ch][18]);
    }
    const int EARLY = 3, LATE = 6;  // thirds 0 and 1; thirds 1 and 2
    // attack[0]: the held granule's coded block (decided last frame), [1]: the block ending with
    // this frame's first granule, [2]: the one ending with its second (coded next frame).
    const int attack[3] = {l3->heldAttack, (l3->heldLateAttack | (first & EARLY)) != 0,
                           ((first & LATE) | (second & EARLY)) != 0};
    int prevType = l3->blockType;
    for (int g = 0; g < 2; ++g) {
        int bt;
        if (attack[g])
            bt = 2;
        else if (attack[g + 1])
            bt = prevType == 2 ? 2 : 1;
        else
            bt = prevType == 2 ? 3 : (prevType == 1 ? 2 : 0);
        blockTypeOut[g] = bt;
        prevType = bt;
    }
    l3->blockType = prevType;
    l3->heldAttack = attack[2];
    l3->heldLateAttack = (second & LATE) != 0;
}

int EncL3EncodeFrame(EncLayer3* l3, const EncL3Frame* f, const float subband[][36][32], uint8_t* out, int cap) {
    const uint16_t* sfbLong = MPA_SFB_LONG[f->rateSlot];
    const uint16_t* sfbShort = MPA_SFB_SHORT[f->rateSlot];
    TransformGranules(l3, f, subband, sfbShort);
    float xmin[2][2][39];
    AllowedNoise(l3, f, sfbLong, sfbShort, xmin);
    const int ms = f->channels == 2 && ChooseMidSide(l3);
    if (ms) ToMidSide(l3, xmin);
    const int free = ReservoirBytes(l3, f->frameBytes);
    const int usedBits = QuantiseGranules(l3, f, ms, free, sfbLong, sfbShort, xmin);
    if (!AppendFrame(l3, f, ms, free)) return -1;
    WriteMainData(l3, f->channels, usedBits);
    return EmitFrames(l3, out, cap, 0);
}

int EncL3Finish(EncLayer3* l3, uint8_t* out, int cap) { return EmitFrames(l3, out, cap, 1); }
