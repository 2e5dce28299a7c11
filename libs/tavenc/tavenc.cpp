// The encoder library's six calls over the portable encoder. The library serves one stream at a
// time: the context block given to MpegAudioEncodeSetInfo / MpegAudioEncodeReset is remembered,
// because MpegAudioEncode and MpegAudioEncodeFlush receive none.
//
// Context block (48 bytes, 32-bit words): 0 'TAVE' marker, 1 output style (always 3: the stream
// is only complete after a flush at the end, which pads the last samples to a frame and empties
// the bit reservoir), 2 layer, 3 sample rate, 4 bit rate, 5 channels, 6 category code, 7 last
// fatal error, 8 frames produced; the rest is zero.
//
// Kind (the layer argument): bits 0..7 the layer 1, 2 or 3; bits 8..15 the channel count (0
// means 2, the deck's capture format); bits 16..31 the mode word. Mode 1 (the deck's recordings)
// ends every stream with a carrier frame: a frame of silence whose last 32 bytes are a minimal
// title trailer (channel status 04 06 00 00, the value a file without one reads as). The deck
// rewrites that trailer in place with the input's channel status, so the recording still ends
// with the trailer where the title reader looks, and every decoder sees a valid last frame
// instead of stray bytes; mode 0 writes the frames alone. Kind 4 is refused, as is any rate or bit rate the
// layer does not define for MPEG-1 (32, 44.1 and 48 kHz), layer II stereo below 64 kbit/s or at
// 80, layer II mono above 192 kbit/s, and layer I stereo at 32 kbit/s and 44.1 or 48 kHz.
#include "tavenc_api.h"

#include <cstring>

#include "enc_encoder.h"

namespace {

enum : uint32_t {
    CTX_MARKER = 0x45564154u,  // "TAVE"
    CTX_WORD_MARKER = 0,
    CTX_WORD_LAYER = 2,
    CTX_WORD_RATE = 3,
    CTX_WORD_BITRATE = 4,
    CTX_WORD_CHANNELS = 5,
    CTX_WORD_CATEGORY = 6,
    CTX_WORD_ERROR = 7,
    CTX_WORD_FRAMES = 8
};

enum : uint32_t { MODE_RECORDING = 1 };

// The minimal title trailer: a "LIST"/"INFO" list of one "CHST" item, then the footer (the
// chunk area's length and "MEXT").
const uint8_t CARRIED_TRAILER[32] = {'L', 'I', 'S', 'T', 16, 0, 0, 0, 'I', 'N', 'F', 'O', 'C', 'H', 'S', 'T',
                                     4,   0,   0,   0,   4,  6, 0, 0, 24,  0,   0,   0,   'M', 'E', 'X', 'T'};

// Fatal error codes reported by MpegAudioEncodeGetFatalError.
enum : int32_t { TAVENC_ERR_NONE = 0, TAVENC_ERR_NOT_SET = 1, TAVENC_ERR_ENCODER = 2, TAVENC_ERR_OUTPUT = 3 };

struct TavencModule {
    uint8_t* context;                            // the caller's block from SetInfo/Reset
    int configured;                              // SetInfo accepted a setting
    EncConfig cfg;                               // that setting
    EncState enc;                                // the stream's encoder
    int16_t pending[ENC_MAX_FRAME_SAMPLES * 2];  // input short of a whole frame
    int pendingSamples;                          // per channel
    long long samplesIn;                         // per channel, since the stream started
    long long framesOut;                         // frames encoded since the stream started
    int carrier;                                 // end each stream with the trailer's carrier frame
    int32_t fatal;                               // last fatal error
};

TavencModule g_tavenc;

void PutWord(uint8_t* ctx, int word, uint32_t v) {
    if (!ctx) return;
    for (int i = 0; i < 4; ++i) ctx[word * 4 + i] = uint8_t(v >> (8 * i));
}

void StartStream() {
    EncInit(&g_tavenc.enc, &g_tavenc.cfg);
    g_tavenc.pendingSamples = 0;
    g_tavenc.samplesIn = 0;
    g_tavenc.framesOut = 0;
    g_tavenc.fatal = TAVENC_ERR_NONE;
    PutWord(g_tavenc.context, CTX_WORD_ERROR, 0);
    PutWord(g_tavenc.context, CTX_WORD_FRAMES, 0);
}

void SetFatal(int32_t code) {
    g_tavenc.fatal = code;
    PutWord(g_tavenc.context, CTX_WORD_ERROR, uint32_t(code));
}

// Encodes one frame from pcm into the output; 0 on failure.
int EncodeOne(const int16_t* pcm, uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut) {
    int n = EncEncodeFrame(&g_tavenc.enc, pcm, *outPtr, int(outEnd - *outPtr));
    if (n < 0) {
        SetFatal(TAVENC_ERR_OUTPUT);
        return 0;
    }
    *outPtr += n;
    *producedOut += uint32_t(n);
    ++g_tavenc.framesOut;
    PutWord(g_tavenc.context, CTX_WORD_FRAMES, uint32_t(g_tavenc.framesOut));
    return 1;
}

}  // namespace

extern "C" {

int32_t TAV_CALL MpegAudioEncodeGetFatalError(void* context) {
    (void)context;
    return g_tavenc.fatal;
}

int32_t TAV_CALL MpegAudioEncodeSetInfo(void* context, int32_t kind, int32_t sampleRate, int32_t bitrateKbps) {
    if (!context) return 0;
    EncConfig cfg;
    cfg.layer = kind & 0xFF;
    cfg.channels = (kind >> 8) & 0xFF;
    if (cfg.channels == 0) cfg.channels = 2;
    cfg.sampleRate = sampleRate;
    cfg.bitrateKbps = bitrateKbps;
    cfg.copyright = 0;
    cfg.original = 1;
    if (!EncCheckConfig(&cfg)) return 0;
    uint8_t* ctx = static_cast<uint8_t*>(context);
    // A category code set earlier on this block survives a new setting.
    uint32_t category = g_tavenc.context == ctx && g_tavenc.configured
                            ? uint32_t(g_tavenc.cfg.copyright | (g_tavenc.cfg.original << 1))
                            : 2u;
    cfg.copyright = int(category & 1);
    cfg.original = int((category >> 1) & 1);
    std::memset(ctx, 0, TAVENC_CONTEXT_BYTES);
    g_tavenc.context = ctx;
    g_tavenc.cfg = cfg;
    g_tavenc.configured = 1;
    g_tavenc.carrier = (uint32_t(kind) >> 16) == MODE_RECORDING;
    PutWord(ctx, CTX_WORD_MARKER, CTX_MARKER);
    PutWord(ctx, TAVENC_OUTPUT_STYLE_WORD, TAVENC_OUTPUT_STYLE_HELD);
    PutWord(ctx, CTX_WORD_LAYER, uint32_t(cfg.layer));
    PutWord(ctx, CTX_WORD_RATE, uint32_t(cfg.sampleRate));
    PutWord(ctx, CTX_WORD_BITRATE, uint32_t(cfg.bitrateKbps));
    PutWord(ctx, CTX_WORD_CHANNELS, uint32_t(cfg.channels));
    PutWord(ctx, CTX_WORD_CATEGORY, category);
    StartStream();
    return 1;
}

int32_t TAV_CALL MpegAudioEncodeReset(void* context) {
    if (!context || !g_tavenc.configured) {
        SetFatal(TAVENC_ERR_NOT_SET);
        return 0;
    }
    uint8_t* ctx = static_cast<uint8_t*>(context);
    if (ctx != g_tavenc.context) {
        // A different block: give it the current setting.
        std::memcpy(ctx, g_tavenc.context, TAVENC_CONTEXT_BYTES);
        g_tavenc.context = ctx;
    }
    StartStream();
    return 1;
}

// Category code: bit 0 the copyright bit, bit 1 the original bit of every frame header.
int32_t TAV_CALL MpegAudioEncodeSetCategoryCode(void* context, int32_t code) {
    if (!g_tavenc.configured) return 0;
    g_tavenc.cfg.copyright = code & 1;
    g_tavenc.cfg.original = (code >> 1) & 1;
    g_tavenc.enc.cfg.copyright = g_tavenc.cfg.copyright;
    g_tavenc.enc.cfg.original = g_tavenc.cfg.original;
    PutWord(static_cast<uint8_t*>(context ? context : g_tavenc.context), CTX_WORD_CATEGORY, uint32_t(code & 3));
    return 1;
}

// Encodes every whole frame the input and pending samples make while the output has room for
// one more frame's worth (ENC_OUTPUT_MIN_CAP); a tail shorter than a frame is kept for the next
// call (or the flush), so the whole input is consumed unless the output ran out of room. A call
// that cannot encode even one waiting frame fails: the caller would otherwise call again and
// again without progress.
int32_t TAV_CALL MpegAudioEncode(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut, const uint8_t** inPtr,
                                 const uint8_t* inEnd, uint32_t* consumedOut) {
    if (producedOut) *producedOut = 0;
    if (consumedOut) *consumedOut = 0;
    if (!g_tavenc.configured || !outPtr || !*outPtr || !inPtr || !*inPtr || !producedOut || !consumedOut ||
        inEnd < *inPtr || outEnd < *outPtr) {
        SetFatal(TAVENC_ERR_NOT_SET);
        return 0;
    }
    const int nch = g_tavenc.cfg.channels;
    const int frame = g_tavenc.enc.frameSamples;
    const int sampleBytes = 2 * nch;
    int16_t pcm[ENC_MAX_FRAME_SAMPLES * 2];
    for (;;) {
        size_t avail = size_t(inEnd - *inPtr) / size_t(sampleBytes);
        int need = frame - g_tavenc.pendingSamples;
        if (avail < size_t(need)) {
            std::memcpy(g_tavenc.pending + g_tavenc.pendingSamples * nch, *inPtr, avail * size_t(sampleBytes));
            g_tavenc.pendingSamples += int(avail);
            g_tavenc.samplesIn += (long long)avail;
            *inPtr += avail * size_t(sampleBytes);
            *consumedOut += uint32_t(avail * size_t(sampleBytes));
            return 1;
        }
        if (outEnd - *outPtr < ENC_OUTPUT_MIN_CAP) {
            if (*producedOut > 0) return 1;  // progress made; the rest waits for the next call
            SetFatal(TAVENC_ERR_OUTPUT);
            return 0;
        }
        std::memcpy(pcm, g_tavenc.pending, size_t(g_tavenc.pendingSamples) * size_t(sampleBytes));
        std::memcpy(pcm + g_tavenc.pendingSamples * nch, *inPtr, size_t(need) * size_t(sampleBytes));
        g_tavenc.pendingSamples = 0;
        g_tavenc.samplesIn += need;
        *inPtr += size_t(need) * size_t(sampleBytes);
        *consumedOut += uint32_t(need * sampleBytes);
        if (!EncodeOne(pcm, outPtr, outEnd, producedOut)) return 0;
    }
}

// Ends the stream: the kept samples padded with silence to whole frames, enough frames for the
// decoder to put out every input sample despite the codec delay, and what the bit reservoir
// holds. The next Encode starts a new stream with the same setting. Returns the produced count
// (also stored through producedOut); 0 with nothing produced or on failure.
int32_t TAV_CALL MpegAudioEncodeFlush(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut) {
    if (producedOut) *producedOut = 0;
    if (!g_tavenc.configured || !outPtr || !*outPtr || !producedOut || outEnd < *outPtr) {
        SetFatal(TAVENC_ERR_NOT_SET);
        return 0;
    }
    const int nch = g_tavenc.cfg.channels;
    const long long frame = g_tavenc.enc.frameSamples;
    long long total = g_tavenc.samplesIn + EncCodecDelay(g_tavenc.cfg.layer);
    long long frames = (total + frame - 1) / frame;
    int16_t pcm[ENC_MAX_FRAME_SAMPLES * 2];
    while (g_tavenc.framesOut < frames) {
        if (outEnd - *outPtr < ENC_OUTPUT_MIN_CAP) {
            SetFatal(TAVENC_ERR_OUTPUT);
            return 0;
        }
        std::memset(pcm, 0, sizeof pcm);
        std::memcpy(pcm, g_tavenc.pending, size_t(g_tavenc.pendingSamples) * size_t(2 * nch));
        g_tavenc.pendingSamples = 0;
        if (!EncodeOne(pcm, outPtr, outEnd, producedOut)) return 0;
    }
    int n = EncFinish(&g_tavenc.enc, *outPtr, int(outEnd - *outPtr));
    if (n < 0) {
        SetFatal(TAVENC_ERR_OUTPUT);
        return 0;
    }
    *outPtr += n;
    *producedOut += uint32_t(n);
    if (g_tavenc.carrier && g_tavenc.framesOut > 0) {
        // Too small a frame (the lowest layer I rates) has no room: the trailer is then appended.
        n = EncCarrierFrame(&g_tavenc.enc, CARRIED_TRAILER, int(sizeof CARRIED_TRAILER), *outPtr,
                            int(outEnd - *outPtr));
        *outPtr += n;
        *producedOut += uint32_t(n);
    }
    StartStream();
    return int32_t(*producedOut);  // the produced count, as the writer reads it
}

}  // extern "C"
