// Layer III joint stereo: mid/side and intensity stereo (MPEG-1 tangent positions and the
// MPEG-2 power-of-two positions), applied to the dequantised lines of one granule.
#include <cmath>

#include "mpa_internal.h"
#include "mpa_tables.h"

void MpaStereoInit(MpaDecoder* dec) {
    for (int p = 0; p < 7; ++p) {
        double t = std::tan(p * MPA_PI / 12.0);
        dec->isRatio[p][0] = float(t / (1.0 + t));
        dec->isRatio[p][1] = float(1.0 / (1.0 + t));
    }
    if (true) {  // position 6 is tan(pi/2): all to the left
        dec->isRatio[6][0] = 1.0f;
        dec->isRatio[6][1] = 0.0f;
    }
    for (int scale = 0; scale < 2; ++scale)
        for (int p = 0; p < 32; ++p)
            dec->lsfIntensity[scale][p] = float(std::pow(2.0, -0.25 * (scale + 1) * ((p + 1) / 2)));
}

namespace {

const float INV_SQRT2 = 0.70710678118654752f;

void MidSide(float* l, float* r, int from, int to) {
    for (int i = from; i < to; ++i) {
        float m = l[i], s = r[i];
        l[i] = (m + s) * INV_SQRT2;
        r[i] = (m - s) * INV_SQRT2;
    }
}

// Intensity for lines [from, to) with position pos; falls back to mid/side (or nothing) when
// the position is the illegal one.
void IntensityBand(const MpaDecoder* dec, const MpaStereoInput* in, int pos, int illegal, float* l, float* r, int from,
                   int to, int ms) {
    if (pos == illegal) {
        if (ms) MidSide(l, r, from, to);
        return;
    }
    float kl, kr;
    if (in->header->versionIndex == MPA_MPEG1) {
        kl = dec->isRatio[pos][0];
        kr = dec->isRatio[pos][1];
    } else {
        float f = dec->lsfIntensity[in->lsfIntensityScale][pos & 31];
        if (pos == 0) {
            kl = kr = 1.0f;
        } else if (pos & 1) {
            kl = f;
            kr = 1.0f;
        } else {
            kl = 1.0f;
            kr = f;
        }
    }
    for (int i = from; i < to; ++i) {
        float v = l[i];
        l[i] = v * kl;
        r[i] = v * kr;
    }
}

}  // namespace

void MpaStereo(const MpaDecoder* dec, const MpaStereoInput* in, float left[576], float right[576]) {
    const MpaHeader* h = in->header;
    int ms = h->mode == MPA_MODE_JOINT && (h->modeExtension & 2);
    int is = h->mode == MPA_MODE_JOINT && (h->modeExtension & 1);
    if (!is) {
        if (ms) MidSide(left, right, 0, in->activeLines);
        return;
    }
    const MpaGranule* g = in->granule;
    const uint16_t* sfbL = MPA_SFB_LONG[in->sfbSlot];
    const uint16_t* sfbS = MPA_SFB_SHORT[in->sfbSlot];
    int lsf = h->versionIndex != MPA_MPEG1;
    int shortBlocks = g->windowSwitching && g->blockType == 2;
    if (!shortBlocks) {
        // first band above the right channel's last non-zero line
        int last = -1;
        for (int i = in->rightNonzero - 1; i >= 0; --i)
            if (right[i] != 0.0f) {
                last = i;
                break;
            }
        int sfb = 0;
        while (sfb < 22 && sfbL[sfb + 1] <= last) ++sfb;
        if (last >= 0) ++sfb;
        if (ms) MidSide(left, right, 0, sfb < 22 ? sfbL[sfb] : 576);
        for (; sfb < 22; ++sfb) {
            int band = sfb < 21 ? sfb : 20;  // the top band uses the position of the one below
            int pos = in->rightLong[band];
            int illegal = lsf ? (in->illegalPos ? in->illegalPos[band] : -1) : 7;
            IntensityBand(dec, in, pos, illegal, left, right, sfbL[sfb], sfbL[sfb + 1], ms);
        }
        return;
    }
    // Short blocks: each window finds its own boundary; in mixed blocks the long part (the first
    // 8 long bands, 6 at the low sample rates) is stereo-processed as a whole.
    int longBands = lsf ? 6 : 8;
    int longEnd = g->mixed ? sfbL[longBands] : 0;
    int firstShort = g->mixed ? 3 : 0;
    int maxSfbAll = firstShort;  // highest short band (over windows) holding right-channel data
    for (int w = 0; w < 3; ++w) {
        int lastSfb = -1;
        for (int sfb = 12; sfb >= firstShort; --sfb) {
            int width = sfbS[sfb + 1] - sfbS[sfb];
            int base = sfbS[sfb] * 3 + w * width;
            bool nz = false;
            for (int i = 0; i < width; ++i)
                if (right[base + i] != 0.0f) {
                    nz = true;
                    break;
                }
            if (nz) {
                lastSfb = sfb;
                break;
            }
        }
        int startSfb = lastSfb + 1;
        if (startSfb < firstShort) startSfb = firstShort;
        if (startSfb > maxSfbAll) maxSfbAll = startSfb;
        for (int sfb = firstShort; sfb < 13; ++sfb) {
            int width = sfbS[sfb + 1] - sfbS[sfb];
            int base = sfbS[sfb] * 3 + w * width;
            if (sfb < startSfb) {
                if (ms) MidSide(left, right, base, base + width);
                continue;
            }
            int band = sfb < 12 ? sfb : 11;
            int pos = in->rightShort[band * 3 + w];
            int illegal = lsf ? (in->illegalPos ? in->illegalPos[22 + band] : -1) : 7;
            IntensityBand(dec, in, pos, illegal, left, right, base, base + width, ms);
        }
    }
    if (longEnd > 0) {
        // the long part of a mixed block: intensity only when no right data reaches the short part
        bool rightInShort = maxSfbAll > firstShort;
        int last = -1;
        for (int i = longEnd - 1; i >= 0; --i)
            if (right[i] != 0.0f) {
                last = i;
                break;
            }
        int sfb = 0;
        if (!rightInShort) {
            while (sfb < longBands && sfbL[sfb + 1] <= last) ++sfb;
            if (last >= 0) ++sfb;
        } else {
            sfb = longBands;
        }
        if (ms) MidSide(left, right, 0, sfb < longBands ? sfbL[sfb] : longEnd);
        for (; sfb < longBands; ++sfb) {
            int pos = in->rightLong[sfb];
            int illegal = lsf ? (in->illegalPos ? in->illegalPos[sfb] : -1) : 7;
            IntensityBand(dec, in, pos, illegal, left, right, sfbL[sfb], sfbL[sfb + 1], ms);
        }
    }
}
