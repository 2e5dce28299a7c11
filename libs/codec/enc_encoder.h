// MPEG-1 audio encoder (layers I, II and III), constant bit rate. The caller owns the state
// record (about 190 KB, no allocation inside): EncInit once per stream, then one call per frame
// of PCM, then EncFinish for what the layer III bit reservoir still holds back.
#pragma once
#include <cstdint>

#include "enc_filterbank.h"
#include "enc_layer3.h"
#include "enc_psy.h"

enum : int {
    ENC_MAX_CHANNELS = 2,
    ENC_MAX_FRAME_SAMPLES = 1152,
    ENC_MAX_FRAME_BYTES = 1729,  // 384 kbit/s at 32 kHz with padding, the largest frame we make
    ENC_PSY_LOOKBACK = 1536,     // past samples kept for analyses centred before the frame
    ENC_PSY_HISTORY = ENC_PSY_LOOKBACK + ENC_MAX_FRAME_SAMPLES
};

struct EncConfig {
    int layer;        // 1, 2 or 3
    int sampleRate;   // 32000, 44100 or 48000
    int bitrateKbps;  // one of the layer's bit rates
    int channels;     // 1 or 2
    int copyright;    // header copyright bit
    int original;     // header original/copy bit
};

struct EncState {
    EncConfig cfg;
    int frameSamples;    // per channel: 384 (layer I) or 1152
    int bitrateIndex;    // header field
    int rateIndex;       // header field
    int frameBytesBase;  // frame length without padding
    int padRemainder;    // fractional slot per frame, in units of 1/sampleRate
    int padAccum;        // accumulated fraction deciding the padding bit
    float lowpassHz;     // nothing above this is coded
    EncFilterTables filter;
    EncFilterHistory history[ENC_MAX_CHANNELS];
    EncPsyTables psy;
    EncPsyChannel psyChannel[ENC_MAX_CHANNELS];
    EncPsyTables psyShort;  // layer III: short-block analyses
    EncPsyChannel psyShortChannel[ENC_MAX_CHANNELS];
    int l3PrevShort;  // the last coded granule was short
    int framesCoded;  // frames written so far (layer II keeps its first two in plain stereo)
    EncPsyResult psyResult;
    float psyInput[ENC_MAX_CHANNELS][ENC_PSY_HISTORY];  // older samples, then the current frame
    float subband[ENC_MAX_CHANNELS][36][32];            // this frame's subband samples
    EncLayer3 l3;                                       // layer III only
};

// 1 when the encoder takes the setting (the rates and bit rates MPEG-1 defines for the layer;
// layer II refuses mono above 192 kbit/s and stereo below 64 kbit/s, as the format does, and
// layer I stereo at 32 kbit/s and 44.1 or 48 kHz, whose frames cannot hold the allocation).
int EncCheckConfig(const EncConfig* cfg);

// Prepares a stream; returns 0 (state untouched) when the setting is refused.
int EncInit(EncState* s, const EncConfig* cfg);

// Encodes one frame: pcm holds frameSamples 16-bit samples per channel, interleaved. Appends
// finished bytes to out and returns their count (layer III may hold a frame back until the next
// frame's data fills it), or -1 when cap is too small (less than ENC_OUTPUT_MIN_CAP).
int EncEncodeFrame(EncState* s, const int16_t* pcm, uint8_t* out, int cap);

enum : int { ENC_OUTPUT_MIN_CAP = 4 * ENC_MAX_FRAME_BYTES };  // enough for any one call

// Ends the stream: writes whatever is held back. Returns bytes written, -1 when cap is too small.
int EncFinish(EncState* s, uint8_t* out, int cap);

// A frame of silence (no padding) whose last tailBytes bytes are the caller's: decoders take
// them for ancillary data of a valid frame. Returns the frame's size, or 0 when the frame has no
// room for them or cap is too small.
int EncCarrierFrame(const EncState* s, const uint8_t* tail, int tailBytes, uint8_t* out, int cap);

// The lowpass a setting gets (Hz): by layer and bit rate per channel.
float EncLowpassHz(int layer, int bitrateKbps, int channels);

// Samples the decoder puts out before the first input sample (filterbank and MDCT delay).
int EncCodecDelay(int layer);
