// Encoder driver: PCM intake, framing and headers, filterbank and psychoacoustic model, and the
// hand-off to the layer that codes the frame (see enc_encoder.h).
#include "enc_encoder.h"

#include <cmath>
#include <cstring>

#include "enc_bits.h"
#include "enc_layer12.h"
#include "mpa_header.h"
#include "mpa_tables.h"

namespace {

const float LAYER2_TONE_MASKING_DB = 35.0f;
const float LAYER2_NOISE_MASKING_DB = 1.0f;
const int LAYER2_SCARCE_KBPS = 96;            // per channel
const float LAYER2_BASS_MARGIN_SCALE = 6.0f;  // times the model's low-band margin
const int LAYER2_TREBLE_KBPS = 64;            // per channel, up to LAYER2_TREBLE_MAX_KBPS
const int LAYER2_TREBLE_MAX_KBPS = 80;
const float LAYER2_TREBLE_HZ = 10000.0f;
const float LAYER2_TREBLE_QUIET_DB = -4.0f;

int FindIndex(const uint16_t* list, int count, int value) {
    for (int i = 1; i < count; ++i)
        if (list[i] == value) return i;
    return -1;
}

int RateIndex(int rate) {
    for (int i = 0; i < 3; ++i)
        if (int(MPA_SAMPLE_RATE[MPA_MPEG1][i]) == rate) return i;
    return -1;
}

// Next frame's padding bit: the fractional slots accumulate until they make a whole one.
int NextPadding(EncState* s) {
    s->padAccum += s->padRemainder;
    if (s->padAccum >= s->cfg.sampleRate) {
        s->padAccum -= s->cfg.sampleRate;
        return 1;
    }
    return 0;
}

void WriteHeader(EncBitWriter* w, const EncState* s, int padding, int mode, int modeExt) {
    static const int LAYER_BITS[4] = {0, 3, 2, 1};
    EncPutBits(w, 0xFFF, 12);
    EncPutBits(w, 1, 1);  // MPEG-1
    EncPutBits(w, uint32_t(LAYER_BITS[s->cfg.layer]), 2);
    EncPutBits(w, 1, 1);  // no CRC
    EncPutBits(w, uint32_t(s->bitrateIndex), 4);
    EncPutBits(w, uint32_t(s->rateIndex), 2);
    EncPutBits(w, uint32_t(padding), 1);
    EncPutBits(w, 0, 1);  // private bit
    EncPutBits(w, uint32_t(mode), 2);
    EncPutBits(w, uint32_t(modeExt), 2);
    EncPutBits(w, uint32_t(s->cfg.copyright ? 1 : 0), 1);
    EncPutBits(w, uint32_t(s->cfg.original ? 1 : 0), 1);
    EncPutBits(w, 0, 2);  // no emphasis
}

// Signal-to-mask ratio per subband from one analysis: the subband's energy against the lowest
// threshold among its lines (a subband may span several critical bands at low frequencies).
void SubbandSmr(const EncPsyResult* r, float* smrDb) {
    const int lines = ENC_PSY_LINES / 32;  // 16
    for (int sb = 0; sb < 32; ++sb) {
        float e = 0.0f, minThr = 1e30f;
        for (int k = sb * lines; k < sb * lines + lines; ++k) {
            e += r->energy[k];
            minThr = r->thr[k] < minThr ? r->thr[k] : minThr;
        }
        float v = e > 0.0f ? 10.0f * std::log10(e / (minThr * lines)) : -100.0f;
        if (v > smrDb[sb]) smrDb[sb] = v;
    }
}

// Allowed-noise ratio per layer III scale-factor band: the band's threshold over its energy,
// both read from the FFT lines that cover the band's MDCT lines (fftHalf FFT lines span what
// linesPerSpan MDCT lines span).
void BandRatios(const EncPsyResult* r, int fftHalf, const uint16_t* bounds, int bands, int linesPerSpan, float* ratio) {
    const float toFft = float(fftHalf) / float(linesPerSpan);
    for (int b = 0; b < bands; ++b) {
        int k0 = int(bounds[b] * toFft + 0.5f), k1 = int(bounds[b + 1] * toFft + 0.5f);
        if (k1 <= k0) k1 = k0 + 1;
        if (k1 > fftHalf + 1) k1 = fftHalf + 1;
        float e = 0.0f, t = 0.0f;
        for (int k = k0; k < k1; ++k) {
            e += r->energy[k];
            t += r->thr[k];
        }
        ratio[b] = e > 0.0f ? t / e : 1.0f;
    }
}

// Lowpass by layer: the highest frequency worth coding at a bit rate per channel, as common
// practice sets it; a lower rate leaves too few bits for the top octave to sound clean. Rows
// in rising bit rate, interpolated between; columns: kbit/s per channel, cutoff in Hz.
struct LowpassRow {
    int kbpsPerChannel;
    float hz;
};
const LowpassRow LOWPASS_LAYER3[] = {
    {16,  5500.0f },
    {24,  7500.0f },
    {32,  10000.0f},
    {40,  12500.0f},
    {48,  14500.0f},
    {56,  15500.0f},
    {64,  16500.0f},
    {80,  18000.0f},
    {96,  19000.0f},
    {112, 19500.0f},
    {160, 21000.0f},
    {320, 21500.0f},
};
const LowpassRow LOWPASS_LAYER12[] = {
    {32,  7000.0f },
    {48,  10000.0f},
    {64,  16500.0f},
    {80,  17000.0f},
    {96,  20500.0f},
    {192, 22000.0f},
};

template <size_t N>
float LowpassHz(const LowpassRow (&rows)[N], int kbpsPerChannel) {
    if (kbpsPerChannel <= rows[0].kbpsPerChannel) return rows[0].hz;
    for (size_t i = 1; i < N; ++i)
        if (kbpsPerChannel <= rows[i].kbpsPerChannel) {
            const LowpassRow &a = rows[i - 1], &b = rows[i];
            return a.hz + (b.hz - a.hz) * float(kbpsPerChannel - a.kbpsPerChannel) /
                              float(b.kbpsPerChannel - a.kbpsPerChannel);
        }
    return rows[N - 1].hz;
}

}  // namespace

float EncLowpassHz(int layer, int bitrateKbps, int channels) {
    const int perChannel = bitrateKbps / channels;
    return layer == 3 ? LowpassHz(LOWPASS_LAYER3, perChannel) : LowpassHz(LOWPASS_LAYER12, perChannel);
}

int EncCheckConfig(const EncConfig* cfg) {
    if (cfg->layer < 1 || cfg->layer > 3) return 0;
    if (cfg->channels != 1 && cfg->channels != 2) return 0;
    if (RateIndex(cfg->sampleRate) < 0) return 0;
    if (FindIndex(MPA_BITRATE_KBPS[0][cfg->layer - 1], 15, cfg->bitrateKbps) < 0) return 0;
    // Layer I's allocation fields alone (4 bits per subband and channel) must fit a frame: at
    // 32 kbit/s stereo and 44.1 or 48 kHz they do not.
    if (cfg->layer == 1) {
        int frameBits = 12 * cfg->bitrateKbps * 1000 / cfg->sampleRate * 32;
        if (frameBits < 32 + 128 * cfg->channels) return 0;
    }
    // Layer II has no stereo mode below 64 kbit/s (nor at 80) and no mono above 192 kbit/s.
    if (cfg->layer == 2) {
        int br = cfg->bitrateKbps;
        if (cfg->channels == 2 && (br < 64 || br == 80)) return 0;
        if (cfg->channels == 1 && br > 192) return 0;
    }
    return 1;
}

int EncInit(EncState* s, const EncConfig* cfg) {
    if (!EncCheckConfig(cfg)) return 0;
    std::memset(s, 0, sizeof *s);
    s->cfg = *cfg;
    s->frameSamples = cfg->layer == 1 ? 384 : 1152;
    s->bitrateIndex = FindIndex(MPA_BITRATE_KBPS[0][cfg->layer - 1], 15, cfg->bitrateKbps);
    s->rateIndex = RateIndex(cfg->sampleRate);
    int slotScale = cfg->layer == 1 ? 12 : 144;
    long long num = (long long)slotScale * cfg->bitrateKbps * 1000;
    s->frameBytesBase = int(num / cfg->sampleRate);
    s->padRemainder = int(num % cfg->sampleRate);
    EncFilterInitTables(&s->filter);
    EncPsyInitTables(&s->psy, cfg->sampleRate, ENC_PSY_FFT);
    if (cfg->layer == 2 && cfg->bitrateKbps / cfg->channels <= LAYER2_SCARCE_KBPS) {
        // Layer II reads the model per subband, 16 lines at a time, and spreads a subband's
        // noise evenly over them: a tone there needs a wider margin than the model's default to
        // stay clean between its partials, while noise hides noise of its own shape nearly at
        // its own level. Where bits are scarce that moves them from noisy subbands to tonal
        // ones (SNR up on music); at higher rates every subband is well above its mask anyway,
        // and the default margins spread the spare bits better.
        s->psy.toneMaskingDb = LAYER2_TONE_MASKING_DB;
        s->psy.noiseMaskingDb = LAYER2_NOISE_MASKING_DB;
    }
    if (cfg->layer == 2) {
        // Layer II's lowest subband holds everything up to about 700 Hz, and its noise spreads
        // evenly over it: under a bass note it sits where the masking model's few wide lines
        // see least. The lowest two barks get a wider margin than the model's default.
        for (int b = 0; b < s->psy.numParts; ++b) s->psy.snrOffset[b] *= LAYER2_BASS_MARGIN_SCALE;
        // At 64 to 80 kbit/s per channel, 44.1 and 48 kHz, the quiet detail above 10 kHz that a
        // listener playing louder than the model assumes hears is worth a few bits: the
        // threshold in quiet there is lowered by 4 dB. (Higher rates, and 32 kHz, where that
        // band is a third of the spectrum, would pay for it with more SNR than it gives.)
        const int perChannel = cfg->bitrateKbps / cfg->channels;
        if (perChannel >= LAYER2_TREBLE_KBPS && perChannel <= LAYER2_TREBLE_MAX_KBPS && cfg->sampleRate >= 44100)
            for (int k = 0; k < s->psy.lines; ++k)
                if (k * float(cfg->sampleRate) / ENC_PSY_FFT > LAYER2_TREBLE_HZ)
                    s->psy.athLine[k] *= std::pow(10.0f, LAYER2_TREBLE_QUIET_DB / 10.0f);
    }
    if (cfg->layer == 3) {
        EncPsyInitTables(&s->psyShort, cfg->sampleRate, ENC_PSY_FFT_SHORT);
        EncL3InitTables(&s->l3.tables);
    }
    s->lowpassHz = EncLowpassHz(cfg->layer, cfg->bitrateKbps, cfg->channels);
    for (int ch = 0; ch < ENC_MAX_CHANNELS; ++ch) {
        EncFilterReset(&s->history[ch]);
        EncPsyReset(&s->psyChannel[ch]);
        EncPsyReset(&s->psyShortChannel[ch]);
    }
    EncL3Reset(&s->l3);
    EncL3SetLowpass(&s->l3, cfg->sampleRate, s->lowpassHz);
    return 1;
}

// The polyphase pair delays by 481 samples; layer III adds its MDCT overlap and the granule it
// looks ahead to switch windows in time.
int EncCodecDelay(int layer) { return layer == 3 ? 481 + 576 + 576 : 481; }

int EncEncodeFrame(EncState* s, const int16_t* pcm, uint8_t* out, int cap) {
    if (cap < ENC_OUTPUT_MIN_CAP) return -1;
    const int nch = s->cfg.channels, fs = s->frameSamples;
    for (int ch = 0; ch < nch; ++ch) {
        float* buf = s->psyInput[ch];
        for (int i = 0; i < fs; ++i) buf[ENC_PSY_LOOKBACK + i] = pcm[i * nch + ch] * (1.0f / 32768.0f);
        for (int j = 0; j < fs / 32; ++j)
            EncFilterRun(&s->filter, &s->history[ch], buf + ENC_PSY_LOOKBACK + 32 * j, s->subband[ch][j]);
    }

    int padding = NextPadding(s);
    int frameBytes = s->cfg.layer == 1 ? (s->frameBytesBase + padding) * 4 : s->frameBytesBase + padding;
    int written = 0;
    if (s->cfg.layer != 3) {
        float smr[2][32];
        for (int ch = 0; ch < nch; ++ch) {
            for (int sb = 0; sb < 32; ++sb) smr[ch][sb] = -100.0f;
            if (s->cfg.layer == 1) {
                EncPsyAnalyze(&s->psy, &s->psyChannel[ch], s->psyInput[ch] + ENC_PSY_LOOKBACK + fs - ENC_PSY_FFT, 0,
                              &s->psyResult);
                SubbandSmr(&s->psyResult, smr[ch]);
            } else {
                // Two analyses per frame, each centred on one half of the frame's subband samples
                // (the filterbank delays them by about 225 samples); the larger ratio counts.
                for (int g = 0; g < 2; ++g) {
                    EncPsyAnalyze(&s->psy, &s->psyChannel[ch], s->psyInput[ch] + ENC_PSY_LOOKBACK - 449 + 576 * g, 0,
                                  &s->psyResult);
                    SubbandSmr(&s->psyResult, smr[ch]);
                }
            }
        }
        // The lowpass: subbands wholly above the cutoff are neither coded nor given bits.
        const float subbandHz = float(s->cfg.sampleRate) / 64.0f;
        for (int ch = 0; ch < nch; ++ch)
            for (int sb = 0; sb < 32; ++sb)
                if (float(sb) * subbandHz >= s->lowpassHz) {
                    smr[ch][sb] = -100.0f;
                    for (int t = 0; t < 36; ++t) s->subband[ch][t][sb] = 0.0f;
                }
        // Layer II stereo codes the subbands from a bound on jointly where the channels allow;
        // not in the first two frames, as some players find a stream's start only where two
        // frames in a row have the same stereo mode.
        const int bound = s->cfg.layer == 2 && nch == 2 && s->framesCoded >= 2
                              ? EncLayer2JointBound(s->cfg.sampleRate, s->cfg.bitrateKbps, s->subband, smr)
                              : 32;
        EncBitWriter w;
        EncBitsStart(&w, out, uint32_t(frameBytes));
        WriteHeader(&w, s, padding, nch == 2 ? (bound < 32 ? 1 : 0) : 3, bound < 32 ? bound / 4 - 1 : 0);
        if (s->cfg.layer == 1)
            EncLayer1Body(&w, nch, s->subband, smr, frameBytes * 8);
        else
            EncLayer2Body(&w, nch, s->cfg.sampleRate, s->cfg.bitrateKbps, s->subband, smr, frameBytes * 8, bound);
        written = frameBytes;
    } else {
        EncL3Frame f;
        std::memset(&f, 0, sizeof f);
        f.channels = nch;
        static const int SLOT_OF_RATE[3] = {0, 1, 2};  // header order 44.1, 48, 32 matches the tables
        f.rateSlot = SLOT_OF_RATE[s->rateIndex];
        f.frameBytes = frameBytes;
        EncBitWriter w;
        EncBitsStart(&w, f.header, 4);
        WriteHeader(&w, s, padding, nch == 2 ? 1 : 3, 0);
        EncL3PlanBlocks(&s->l3, nch, s->subband, f.blockType);
        for (int g = 0; g < 2; ++g)
            for (int ch = 0; ch < nch; ++ch) {
                // Layer III codes each granule one granule late (to see a transient coming and
                // switch windows in time); the analysis is centred on the coded block.
                EncPsyAnalyze(&s->psy, &s->psyChannel[ch], s->psyInput[ch] + ENC_PSY_LOOKBACK - 1313 + 576 * g, 1,
                              &s->psyResult);
                BandRatios(&s->psyResult, ENC_PSY_FFT / 2, MPA_SFB_LONG[f.rateSlot], 22, 576, f.ratio[g][ch]);
                f.pe[g][ch] = s->psyResult.pe;
                // Short blocks: three windows 192 samples apart around the block's centre. Their
                // phase prediction runs from window to window, fresh at each run of short blocks.
                if (f.blockType[g] != 2) continue;
                // A fresh run starts with the window before the block's first, so that the first
                // window's threshold is held to what the quiet before an attack can mask.
                const int fresh = !(g == 1 ? f.blockType[0] == 2 : s->l3PrevShort);
                if (fresh) EncPsyReset(&s->psyShortChannel[ch]);
                for (int w = fresh ? -1 : 0; w < 3; ++w) {
                    const float* at =
                        s->psyInput[ch] + ENC_PSY_LOOKBACK - 801 + 576 * g + 192 * (w - 1) - ENC_PSY_FFT_SHORT / 2;
                    EncPsyAnalyze(&s->psyShort, &s->psyShortChannel[ch], at, 1, &s->psyResult);
                    if (w < 0) continue;
                    BandRatios(&s->psyResult, ENC_PSY_FFT_SHORT / 2, MPA_SFB_SHORT[f.rateSlot], 13, 192,
                               f.ratioShort[g][ch][w]);
                }
            }
        s->l3PrevShort = f.blockType[1] == 2;
        written = EncL3EncodeFrame(&s->l3, &f, s->subband, out, cap);
    }
    for (int ch = 0; ch < nch; ++ch)
        std::memmove(s->psyInput[ch], s->psyInput[ch] + fs, sizeof(float) * ENC_PSY_LOOKBACK);
    ++s->framesCoded;
    return written;
}

int EncFinish(EncState* s, uint8_t* out, int cap) {
    if (s->cfg.layer != 3) return 0;
    return EncL3Finish(&s->l3, out, cap);
}

int EncCarrierFrame(const EncState* s, const uint8_t* tail, int tailBytes, uint8_t* out, int cap) {
    const int nch = s->cfg.channels;
    const int frameBytes = s->cfg.layer == 1 ? s->frameBytesBase * 4 : s->frameBytesBase;
    // An all-zero body is silence in every layer: layer III side information with no main data,
    // or layers I and II with no subband allocated (at most four allocation bits per subband).
    const int bodyBytes = s->cfg.layer == 3 ? (nch == 2 ? 32 : 17) : 16 * nch;
    if (tailBytes < 0 || MPA_HEADER_BYTES + bodyBytes + tailBytes > frameBytes || cap < frameBytes) return 0;
    EncBitWriter w;
    EncBitsStart(&w, out, uint32_t(frameBytes));
    WriteHeader(&w, s, 0, nch == 2 ? (s->cfg.layer == 3 ? 1 : 0) : 3, 0);
    if (tailBytes) std::memcpy(out + frameBytes - tailBytes, tail, size_t(tailBytes));
    return frameBytes;
}
