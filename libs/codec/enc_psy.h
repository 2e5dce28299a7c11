// Psychoacoustic model: estimates from a 1024-point spectrum how much quantisation noise each
// part of the spectrum can hide. Signal energy is spread over critical-band partitions with a
// masking spreading function, tonal parts (predictable from the last two spectra) mask less than
// noise-like parts, and the threshold never drops below the threshold in quiet. The layers read
// the result as signal-to-mask ratios per subband (layers I/II) or as allowed-noise ratios per
// scalefactor band (layer III).
#pragma once
#include <cstdint>

// How far below itself a tone, and noise, hides noise (dB): the model's defaults.
const float ENC_PSY_TONE_MASKING_DB = 29.0f;
const float ENC_PSY_NOISE_MASKING_DB = 6.0f;

enum : int { ENC_PSY_FFT = 1024, ENC_PSY_FFT_SHORT = 256, ENC_PSY_LINES = 513, ENC_PSY_MAX_PARTS = 72 };

struct EncPsyTables {
    int fftSize;                                                       // ENC_PSY_FFT, or 256 for short blocks
    int lines;                                                         // fftSize / 2 + 1
    int numParts;                                                      // critical-band partitions in use
    int unpredictableLine;                                             // first line (about 10 kHz) taken as noisy
    float toneMaskingDb, noiseMaskingDb;                               // margins under a tone and under noise (dB)
    int16_t partStart[ENC_PSY_MAX_PARTS + 1];                          // first FFT line of each partition
    float spread[ENC_PSY_MAX_PARTS][ENC_PSY_MAX_PARTS];                // [maskee][masker] power weight
    float spreadNorm[ENC_PSY_MAX_PARTS];                               // 1 / sum of the maskee's weights
    int16_t spreadLo[ENC_PSY_MAX_PARTS], spreadHi[ENC_PSY_MAX_PARTS];  // maskers that reach it
    float snrOffset[ENC_PSY_MAX_PARTS];                                // extra margin by band (dB, low bands)
    float athLine[ENC_PSY_LINES];                                      // threshold in quiet per line (energy)
    float hann[ENC_PSY_FFT];
    float twRe[ENC_PSY_FFT / 2], twIm[ENC_PSY_FFT / 2];  // FFT twiddles
    // the half-size FFT's twiddles stage by stage, each stage's contiguous (the stage whose
    // butterflies span `half` starts at half - 1), so its inner loop vectorises
    float stageRe[ENC_PSY_FFT / 2], stageIm[ENC_PSY_FFT / 2];
    int16_t bitrev[ENC_PSY_FFT / 2];
};

struct EncPsyChannel {
    float mag1[ENC_PSY_LINES], mag2[ENC_PSY_LINES];      // magnitudes of the last two spectra
    float dirRe1[ENC_PSY_LINES], dirIm1[ENC_PSY_LINES];  // unit phase vectors, last spectrum
    float dirRe2[ENC_PSY_LINES], dirIm2[ENC_PSY_LINES];  // and the one before
    float prevNb[ENC_PSY_MAX_PARTS];                     // last threshold per partition before its limit
};

struct EncPsyResult {
    float energy[ENC_PSY_LINES];  // spectrum energy per line (lines 0 .. fftSize / 2)
    float thr[ENC_PSY_LINES];     // allowed noise energy per line
    float pe;                     // perceptual entropy of the block (bits, an estimate)
};

// fftSize: ENC_PSY_FFT for long blocks and layers I/II, ENC_PSY_FFT_SHORT for short blocks.
void EncPsyInitTables(EncPsyTables* t, int sampleRate, int fftSize);
void EncPsyReset(EncPsyChannel* c);
// samples: fftSize samples centred on the block being coded (full scale = 1.0).
// limitGrowth: clamp the threshold to twice the last block's own (pre-echo control).
void EncPsyAnalyze(const EncPsyTables* t, EncPsyChannel* c, const float* samples, int limitGrowth, EncPsyResult* out);
