// Layer III frame decoding: side information, the bit reservoir, scale factors (MPEG-1 and the
// MPEG-2 partitions), dequantisation, short-block reordering and alias reduction; the Huffman,
// stereo, IMDCT and synthesis stages live in their own files.
#include <cmath>
#include <cstring>

#include "mpa_internal.h"
#include "mpa_tables.h"

namespace {

const int MAX_MAIN_DATA_BEGIN = 511;
static_assert(MAX_MAIN_DATA_BEGIN + MPA_MAX_FREE_BYTES + 1 <= MPA_RESERVOIR_BYTES,
              "the largest frame's main data fits behind the furthest reach back");

// One channel's scale factors: long bands, and short bands at sfb * 3 + window.
struct ScaleFactors {
    int l[22];
    int s[13 * 3];
};

struct SideInfo {
    int mainDataBegin;
    int scfsi[2][4];
    MpaGranule gr[2][2];  // [granule][channel]
};

const float AA_C[8] = {-0.6f, -0.535f, -0.33f, -0.185f, -0.095f, -0.041f, -0.0142f, -0.0037f};

int SideInfoBytes(const MpaHeader* h) {
    if (h->versionIndex == MPA_MPEG1) return h->channels == 1 ? 17 : 32;
    return h->channels == 1 ? 9 : 17;
}

int ReadSideInfo(const MpaHeader* h, int sfbSlot, MpaBits* bits, SideInfo* si) {
    int nch = h->channels;
    int lsf = h->versionIndex != MPA_MPEG1;
    int ngr = lsf ? 1 : 2;
    if (lsf) {
        si->mainDataBegin = int(MpaBitsRead(bits, 8));
        MpaBitsSkip(bits, nch == 1 ? 1 : 2);
    } else {
        si->mainDataBegin = int(MpaBitsRead(bits, 9));
        MpaBitsSkip(bits, nch == 1 ? 5 : 3);
        for (int ch = 0; ch < nch; ++ch)
            for (int k = 0; k < 4; ++k) si->scfsi[ch][k] = int(MpaBitsRead(bits, 1));
    }
    const uint16_t* sfbL = MPA_SFB_LONG[sfbSlot];
    const uint16_t* sfbS = MPA_SFB_SHORT[sfbSlot];
    for (int gr = 0; gr < ngr; ++gr)
        for (int ch = 0; ch < nch; ++ch) {
            MpaGranule* g = &si->gr[gr][ch];
            std::memset(g, 0, sizeof *g);
            g->part23Length = int(MpaBitsRead(bits, 12));
            g->bigValues = int(MpaBitsRead(bits, 9));
            g->globalGain = int(MpaBitsRead(bits, 8));
            g->scalefacCompress = int(MpaBitsRead(bits, lsf ? 9 : 4));
            g->windowSwitching = int(MpaBitsRead(bits, 1));
            if (g->windowSwitching) {
                g->blockType = int(MpaBitsRead(bits, 2));
                g->mixed = int(MpaBitsRead(bits, 1));
                g->tableSelect[0] = int(MpaBitsRead(bits, 5));
                g->tableSelect[1] = int(MpaBitsRead(bits, 5));
                for (int w = 0; w < 3; ++w) g->subblockGain[w] = int(MpaBitsRead(bits, 3));
                if (g->blockType == 0) return 0;  // forbidden with window switching
                g->region0Count = g->blockType == 2 && !g->mixed ? 8 : 7;
                g->region1Count = 36;
                g->region1Start = g->blockType == 2 && !g->mixed ? sfbS[3] * 3 : sfbL[8];
                g->region2Start = 576;
            } else {
                for (int r = 0; r < 3; ++r) g->tableSelect[r] = int(MpaBitsRead(bits, 5));
                g->region0Count = int(MpaBitsRead(bits, 4));
                g->region1Count = int(MpaBitsRead(bits, 3));
                int r1 = g->region0Count + 1;
                int r2 = r1 + g->region1Count + 1;
                g->region1Start = sfbL[r1 > 22 ? 22 : r1];
                g->region2Start = sfbL[r2 > 22 ? 22 : r2];
            }
            if (!lsf) g->preflag = int(MpaBitsRead(bits, 1));
            g->scalefacScale = int(MpaBitsRead(bits, 1));
            g->count1Table = int(MpaBitsRead(bits, 1));
            if (g->bigValues > 288) return 0;
        }
    return !bits->overrun;
}

void ReadScaleFactorsMpeg1(MpaBits* bits, const MpaGranule* g, const int scfsi[4], int gr, ScaleFactors* sf) {
    int slen1 = MPA_L3_SLEN[0][g->scalefacCompress];
    int slen2 = MPA_L3_SLEN[1][g->scalefacCompress];
    if (g->windowSwitching && g->blockType == 2) {
        int sfb = 0;
        if (g->mixed) {
            for (; sfb < 8; ++sfb) sf->l[sfb] = int(MpaBitsRead(bits, slen1));
            sfb = 3;
        }
        for (; sfb < 12; ++sfb)
            for (int w = 0; w < 3; ++w) sf->s[sfb * 3 + w] = int(MpaBitsRead(bits, sfb < 6 ? slen1 : slen2));
        for (int w = 0; w < 3; ++w) sf->s[36 + w] = 0;
        return;
    }
    static const int GROUP_START[5] = {0, 6, 11, 16, 21};
    for (int k = 0; k < 4; ++k) {
        if (gr == 1 && scfsi[k]) continue;  // kept from granule 0
        int len = k < 2 ? slen1 : slen2;
        for (int sfb = GROUP_START[k]; sfb < GROUP_START[k + 1]; ++sfb) sf->l[sfb] = int(MpaBitsRead(bits, len));
    }
    sf->l[21] = 0;
}

// MPEG-2/2.5 scale factors. illegal receives, per band (long 0..21, short 22 + sfb), the
// intensity position that means "not intensity coded" for the right channel.
void ReadScaleFactorsLsf(MpaBits* bits, MpaGranule* g, int intensityRight, ScaleFactors* sf, int illegal[35]) {
    int sfc = g->scalefacCompress;
    int slen[4] = {0, 0, 0, 0};
    int table;
    if (!intensityRight) {
        if (sfc < 400) {
            slen[0] = (sfc >> 4) / 5;
            slen[1] = (sfc >> 4) % 5;
            slen[2] = (sfc & 15) >> 2;
            slen[3] = sfc & 3;
            table = 0;
        } else if (sfc < 500) {
            sfc -= 400;
            slen[0] = (sfc >> 2) / 5;
            slen[1] = (sfc >> 2) % 5;
            slen[2] = sfc & 3;
            table = 1;
        } else {
            sfc -= 500;
            slen[0] = sfc / 3;
            slen[1] = sfc % 3;
            g->preflag = 1;
            table = 2;
        }
    } else {
        sfc >>= 1;
        if (sfc < 180) {
            slen[0] = sfc / 36;
            slen[1] = (sfc % 36) / 6;
            slen[2] = (sfc % 36) % 6;
            table = 3;
        } else if (sfc < 244) {
            sfc -= 180;
            slen[0] = (sfc & 63) >> 4;
            slen[1] = (sfc & 15) >> 2;
            slen[2] = sfc & 3;
            table = 4;
        } else {
            sfc -= 244;
            slen[0] = sfc / 3;
            slen[1] = sfc % 3;
            table = 5;
        }
    }
    int kind = g->blockType == 2 ? (g->mixed ? 2 : 1) : 0;
    const uint8_t* counts = MPA_L3_LSF_NSFB[table][kind];
    int values[48];
    int limits[48];
    int n = 0;
    for (int p = 0; p < 4; ++p)
        for (int i = 0; i < counts[p] && n < 48; ++i) {
            values[n] = int(MpaBitsRead(bits, slen[p]));
            limits[n] = (1 << slen[p]) - 1;
            ++n;
        }
    for (int i = 0; i < 35; ++i) illegal[i] = -1;
    std::memset(sf, 0, sizeof *sf);
    if (kind == 0) {
        for (int i = 0; i < n && i < 21; ++i) {
            sf->l[i] = values[i];
            illegal[i] = limits[i];
        }
        illegal[21] = illegal[20];
        return;
    }
    int at = 0;
    int sfb = 0;
    if (kind == 2) {
        for (; at < 6 && at < n; ++at) {
            sf->l[at] = values[at];
            illegal[at] = limits[at];
        }
        sfb = 3;
    }
    for (; sfb < 12 && at + 2 < n + 2; ++sfb)
        for (int w = 0; w < 3; ++w, ++at) {
            if (at >= n) break;
            sf->s[sfb * 3 + w] = values[at];
            illegal[22 + sfb] = limits[at];
        }
    illegal[22 + 12] = illegal[22 + 11];
}

// Dequantises is[] into xr[] for `lines` lines.
void Requantize(const MpaDecoder* dec, const MpaGranule* g, const ScaleFactors* sf, int sfbSlot, int lsf, const int* is,
                int lines, float* xr) {
    const uint16_t* sfbL = MPA_SFB_LONG[sfbSlot];
    const uint16_t* sfbS = MPA_SFB_SHORT[sfbSlot];
    int shift = g->scalefacScale ? 4 : 2;  // quarter steps per scale-factor unit
    int baseExp = g->globalGain - 210;
    // 2^(q/4): the quarter step's mantissa with q/4 added to its exponent field (q stays within
    // about -340..45, far from the float range's ends; clamped so odd input cannot wrap it)
    auto scaleOf = [](int q) {
        static const float QUARTER[4] = {1.0f, 1.18920711500272f, 1.41421356237310f, 1.68179283050743f};
        q = q < -400 ? -400 : q > 400 ? 400 : q;
        uint32_t bits;
        std::memcpy(&bits, &QUARTER[q & 3], 4);
        bits = uint32_t(int32_t(bits) + (q >> 2) * (1 << 23));
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    };
    auto apply = [&](int from, int to, float scale) {
        if (to > lines) to = lines;
        // branch-free: zero lines are common and unpredictable (pow43[0] is 0)
        for (int i = from; i < to; ++i) {
            int v = is[i];
            int a = v < 0 ? -v : v;
            a = a < 8206 ? a : 8206;
            float m = dec->pow43[a] * scale;
            xr[i] = v < 0 ? -m : m;
        }
    };
    for (int i = lines; i < 576; ++i) xr[i] = 0.0f;
    bool shortBlocks = g->windowSwitching && g->blockType == 2;
    int longBands = 22;
    int firstShort = 13;
    if (shortBlocks) {
        longBands = g->mixed ? (lsf ? 6 : 8) : 0;
        firstShort = g->mixed ? 3 : 0;
    }
    for (int sfb = 0; sfb < longBands; ++sfb) {
        int pre = g->preflag ? MPA_L3_PRETAB[sfb] : 0;
        int q = baseExp - shift * (sf->l[sfb] + pre);
        apply(sfbL[sfb], sfbL[sfb + 1], scaleOf(q));
    }
    for (int sfb = firstShort; sfb < 13; ++sfb) {
        int width = sfbS[sfb + 1] - sfbS[sfb];
        for (int w = 0; w < 3; ++w) {
            int q = baseExp - 8 * g->subblockGain[w] - shift * sf->s[sfb * 3 + w];
            int from = sfbS[sfb] * 3 + w * width;
            apply(from, from + width, scaleOf(q));
        }
    }
}

// Short blocks: lines are stored band by band, window by window; the IMDCT wants, per subband,
// the three windows' six lines in turn.
void ReorderShort(const MpaGranule* g, int sfbSlot, float* xr) {
    const uint16_t* sfbS = MPA_SFB_SHORT[sfbSlot];
    float tmp[576];
    int firstShort = g->mixed ? 3 : 0;
    int start = sfbS[firstShort] * 3;
    std::memcpy(tmp, xr, sizeof tmp);
    for (int sfb = firstShort; sfb < 13; ++sfb) {
        int width = sfbS[sfb + 1] - sfbS[sfb];
        for (int w = 0; w < 3; ++w)
            for (int j = 0; j < width; ++j) {
                int f = sfbS[sfb] + j;
                int dst = (f / 6) * 18 + w * 6 + f % 6;
                xr[dst] = tmp[sfbS[sfb] * 3 + w * width + j];
            }
    }
    (void)start;
}

void AntiAlias(const MpaDecoder* dec, const MpaGranule* g, float* xr, int bands) {
    int limit = bands;
    if (g->windowSwitching && g->blockType == 2) {
        if (!g->mixed) return;
        limit = 2;
    }
    if (limit > 32) limit = 32;
    for (int sb = 1; sb < limit; ++sb) {
        float* a = xr + sb * 18;
        for (int i = 0; i < 8; ++i) {
            float up = a[-1 - i], down = a[i];
            a[-1 - i] = up * dec->aaCs[i] - down * dec->aaCa[i];
            a[i] = down * dec->aaCs[i] + up * dec->aaCa[i];
        }
    }
}

// Appends main data to the reservoir, keeping only what a later frame can reach. Returns the
// reservoir bytes that precede the new data.
int AppendMainData(MpaDecoder* dec, const uint8_t* mainData, int mainBytes) {
    int before = dec->reservoirBytes;
    if (before + mainBytes > MPA_RESERVOIR_BYTES) {
        int keep = before < MAX_MAIN_DATA_BEGIN ? before : MAX_MAIN_DATA_BEGIN;
        std::memmove(dec->reservoir, dec->reservoir + before - keep, size_t(keep));
        before = keep;
    }
    std::memcpy(dec->reservoir + before, mainData, size_t(mainBytes));
    dec->reservoirBytes = before + mainBytes;
    return before;
}

}  // namespace

int MpaLayer3SideInfoBytes(const MpaHeader* h) { return SideInfoBytes(h); }

void MpaLayer3KeepMainData(MpaDecoder* dec, const MpaHeader* h, const uint8_t* frame, size_t frameBytes) {
    size_t start = MPA_HEADER_BYTES + (h->crc ? 2 : 0) + size_t(SideInfoBytes(h));
    if (frameBytes > start) AppendMainData(dec, frame + start, int(frameBytes - start));
}

void MpaLayer3Init(MpaDecoder* dec) {
    for (int i = 0; i < 8207; ++i) dec->pow43[i] = float(std::pow(double(i), 4.0 / 3.0));
    for (int i = 0; i < 8; ++i) {
        double s = std::sqrt(1.0 + double(AA_C[i]) * AA_C[i]);
        dec->aaCs[i] = float(1.0 / s);
        dec->aaCa[i] = float(AA_C[i] / s);
    }
}

int MpaDecodeLayer3(MpaDecoder* dec, const MpaHeader* h, const uint8_t* frame, size_t frameBytes, float* pcmOut) {
    int nch = h->channels;
    int lsf = h->versionIndex != MPA_MPEG1;
    int ngr = lsf ? 1 : 2;
    int sfbSlot = h->versionIndex * 3 + h->sampleRateIndex;
    size_t sideStart = MPA_HEADER_BYTES + (h->crc ? 2 : 0);
    size_t sideBytes = size_t(SideInfoBytes(h));
    if (frameBytes < sideStart + sideBytes) return MPA_ERR_DATA;
    MpaBits sideBits;
    MpaBitsInit(&sideBits, frame + sideStart, sideBytes);
    SideInfo si;
    std::memset(&si, 0, sizeof si);
    int sideOk = ReadSideInfo(h, sfbSlot, &sideBits, &si);

    const int mainBytes = int(frameBytes - sideStart - sideBytes);
    const int before = AppendMainData(dec, frame + sideStart + sideBytes, mainBytes);
    if (!sideOk) return MPA_ERR_DATA;
    if (si.mainDataBegin > before) return MPA_ERR_RESERVOIR;

    MpaBits bits;
    MpaBitsInit(&bits, dec->reservoir + before - si.mainDataBegin, size_t(si.mainDataBegin + mainBytes));
    size_t claimed = 0;
    for (int gr = 0; gr < ngr; ++gr)
        for (int ch = 0; ch < nch; ++ch) claimed += size_t(si.gr[gr][ch].part23Length);
    if (claimed > bits.bitCount) return MPA_ERR_DATA;  // the granules claim more than there is

    static_assert(sizeof(ScaleFactors) < 512, "scale factors stay small");
    ScaleFactors sf[2];
    std::memset(sf, 0, sizeof sf);
    int illegal[2][35];
    float xr[2][576];
    int is[576];
    float slots[2][18][32];
    for (int gr = 0; gr < ngr; ++gr) {
        int nonzero[2] = {0, 0};
        for (int ch = 0; ch < nch; ++ch) {
            MpaGranule* g = &si.gr[gr][ch];
            size_t part2Start = bits.pos;
            if (lsf) {
                int intensityRight = ch == 1 && h->mode == MPA_MODE_JOINT && (h->modeExtension & 1);
                ReadScaleFactorsLsf(&bits, g, intensityRight, &sf[ch], illegal[ch]);
            } else {
                ReadScaleFactorsMpeg1(&bits, g, si.scfsi[ch], gr, &sf[ch]);
            }
            size_t endBit = part2Start + size_t(g->part23Length);
            if (bits.pos > endBit) return MPA_ERR_DATA;
            int lines = MpaHuffDecode(dec, &bits, endBit, g, sfbSlot, is);
            if (lines < 0 || bits.overrun) return MPA_ERR_DATA;
            bits.pos = endBit;
            nonzero[ch] = lines;
            Requantize(dec, g, &sf[ch], sfbSlot, lsf, is, lines, xr[ch]);
        }
        if (nch == 2 && h->mode == MPA_MODE_JOINT) {
            MpaStereoInput in{};
            in.header = h;
            in.granule = &si.gr[gr][1];
            in.rightLong = sf[1].l;
            in.rightShort = sf[1].s;
            in.illegalPos = lsf ? illegal[1] : nullptr;
            in.sfbSlot = sfbSlot;
            in.lsfIntensityScale = si.gr[gr][1].scalefacCompress & 1;
            in.rightNonzero = nonzero[1];
            in.activeLines = nonzero[0] > nonzero[1] ? nonzero[0] : nonzero[1];
            MpaStereo(dec, &in, xr[0], xr[1]);
            int m = nonzero[0] > nonzero[1] ? nonzero[0] : nonzero[1];
            nonzero[0] = nonzero[1] = m;
        }
        for (int ch = 0; ch < nch; ++ch) {
            MpaGranule* g = &si.gr[gr][ch];
            int bands = (nonzero[ch] + 17) / 18;
            if (g->windowSwitching && g->blockType == 2) {
                ReorderShort(g, sfbSlot, xr[ch]);
                bands = 32;
            }
            AntiAlias(dec, g, xr[ch], bands + 1);
            int active = (bands + 1) * 18;
            if (active > 576) active = 576;
            MpaImdct(dec, ch, xr[ch], g->windowSwitching ? g->blockType : 0, g->mixed, active, slots[ch]);
        }
        float* out = pcmOut + gr * 576 * nch;
        MpaSynthSlots(dec, nch, &slots[0][0][0], 32, 18 * 32, 18, out);
    }
    return MPA_OK;
}
