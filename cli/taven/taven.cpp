// taven: command-line MPEG audio encoder. Reads a 16-bit PCM WAVE file and writes an MPEG-1
// layer I, II or III stream through the encoder library's calls, exactly as the recorder does.
// A layer III stream starts with an Info frame giving the encoder delay and padding, so that
// players can drop them and play gaplessly.
//   taven [-l 1|2|3] [-b kbit/s] [-c] [-o] [-t] in.wav out.mp3
//   -c sets the copyright bit, -o clears the original bit, -t leaves the Info frame out and
//   ends the stream as a recording does, with the title trailer's carrier frame (the stream is
//   then byte for byte what the recorder writes).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cli_file.h"
#include "enc_encoder.h"
#include "tavenc_api.h"

namespace {

enum : uint16_t { WAVE_FORMAT_PCM = 1, WAVE_FORMAT_EXTENSIBLE = 0xFFFE };
enum : uint32_t {
    WAVE_FMT_PCM_BYTES = 16,  // a PCM format: tag .. bits per sample
    WAVE_FMT_MAX_BYTES = 4096,
    WAVE_EXT_SUBFORMAT_AT = 24,  // the sub-format GUID; its first two bytes are the format tag
    WAVE_EXT_MIN_BYTES = 40,
    LAYER3_FRAME_SAMPLES = 1152,
    DECODER_DELAY = 529,
    RECORDING_MODE = 1,  // the mode word the deck records with  // what every decoder's synthesis adds; the Info frame counts it apart
};

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

struct Wave {
    int formatTag = 0, channels = 0, rate = 0, bits = 0;
    uint32_t dataBytes = 0;  // the data chunk's size; the file is left at its first byte
};

enum WaveResult { WAVE_OK, WAVE_NOT_RIFF, WAVE_NO_DATA, WAVE_NO_FORMAT, WAVE_NOT_PCM16 };

// Walks the RIFF chunks in the order they come until both "fmt " and "data" are seen, so a data
// chunk ahead of the format chunk is found too. WAVE_FORMAT_EXTENSIBLE counts as PCM when its
// sub-format is.
WaveResult OpenWave(FILE* f, Wave* w) {
    uint8_t h[12];
    if (std::fread(h, 1, 12, f) != 12 || std::memcmp(h, "RIFF", 4) || std::memcmp(h + 8, "WAVE", 4))
        return WAVE_NOT_RIFF;
    long dataAt = -1;
    int haveFormat = 0;
    while (dataAt < 0 || !haveFormat) {
        uint8_t c[8];
        if (std::fread(c, 1, 8, f) != 8) break;
        uint32_t size = Le32(c + 4);
        if (!std::memcmp(c, "data", 4) && dataAt < 0) {
            w->dataBytes = size;
            dataAt = std::ftell(f);
            if (haveFormat) break;
        } else if (!std::memcmp(c, "fmt ", 4) && size >= WAVE_FMT_PCM_BYTES && size < WAVE_FMT_MAX_BYTES) {
            uint8_t fmt[WAVE_FMT_MAX_BYTES];
            if (std::fread(fmt, 1, size, f) != size) break;
            w->formatTag = Le16(fmt);
            if (w->formatTag == WAVE_FORMAT_EXTENSIBLE && size >= WAVE_EXT_MIN_BYTES)
                w->formatTag = Le16(fmt + WAVE_EXT_SUBFORMAT_AT);
            w->channels = Le16(fmt + 2);
            w->rate = int(Le32(fmt + 4));
            w->bits = Le16(fmt + 14);
            haveFormat = 1;
            if (size & 1) std::fseek(f, 1, SEEK_CUR);
            continue;
        }
        if (std::fseek(f, long(size) + long(size & 1), SEEK_CUR) != 0) break;
    }
    if (dataAt < 0) return WAVE_NO_DATA;
    if (!haveFormat) return WAVE_NO_FORMAT;
    if (std::fseek(f, dataAt, SEEK_SET) != 0) return WAVE_NO_DATA;
    const bool pcm16 = w->formatTag == WAVE_FORMAT_PCM && w->bits == 16 && w->channels >= 1 && w->channels <= 2;
    return pcm16 ? WAVE_OK : WAVE_NOT_PCM16;
}

int Usage() {
    std::fprintf(stderr, "usage: taven [-l 1|2|3] [-b kbit/s] [-c] [-o] [-t] in.wav out.mp3\n");
    return 2;
}

// A whole positive decimal number; 0 for anything else ("abc", "12x", "-5", "").
int ParseCount(const char* s) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, 10);
    if (errno || end == s || *end || v <= 0 || v > 100000) return 0;
    return int(v);
}

void PutBe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

// The Info frame: a frame of the stream's own header (unpadded) that decoders skip as audio,
// carrying the frame and byte counts and, in the LAME-style extension that common decoders
// read, the encoder delay and the padding at the end (12 bits each).
enum : size_t {
    INFO_EXT_NAME_BYTES = 9,
    INFO_EXT_DELAY_AT = 21,  // from the extension's start
    INFO_EXT_BYTES = 36,
    INFO_FLAG_FRAMES = 1,
    INFO_FLAG_BYTES = 2,
};
const char INFO_ENCODER_NAME[INFO_EXT_NAME_BYTES + 1] = "TAVEN 1.0";

std::vector<uint8_t> InfoFrame(const uint8_t header[4], int channels, uint32_t frames, uint32_t bytes, uint32_t delay,
                               uint32_t padding) {
    const int bitrateIndex = header[2] >> 4, rateIndex = (header[2] >> 2) & 3;
    static const int KBPS[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int RATES[3] = {44100, 48000, 32000};
    const size_t frameBytes = size_t(144 * 1000 * KBPS[bitrateIndex] / RATES[rateIndex]);
    std::vector<uint8_t> f(frameBytes, 0);
    std::memcpy(f.data(), header, 4);
    f[2] &= 0xFD;  // no padding
    size_t at = 4 + (channels == 2 ? 32 : 17);
    if (at + 16 + INFO_EXT_BYTES > frameBytes) return std::vector<uint8_t>();
    std::memcpy(&f[at], "Info", 4);
    PutBe32(&f[at + 4], INFO_FLAG_FRAMES | INFO_FLAG_BYTES);
    PutBe32(&f[at + 8], frames);
    PutBe32(&f[at + 12], bytes);
    uint8_t* ext = &f[at + 16];
    std::memcpy(ext, INFO_ENCODER_NAME, INFO_EXT_NAME_BYTES);
    uint8_t* d = ext + INFO_EXT_DELAY_AT;
    d[0] = uint8_t(delay >> 4);
    d[1] = uint8_t((delay & 15) << 4 | (padding >> 8 & 15));
    d[2] = uint8_t(padding);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    int layer = 3, bitrate = 0, copyright = 0, original = 1, info = 1;
    const char* in = nullptr;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "-l") || !std::strcmp(a, "-b")) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "taven: %s needs a value\n", a);
                return Usage();
            }
            int v = ParseCount(argv[++i]);
            if (a[1] == 'l' && (v < 1 || v > 3)) {
                std::fprintf(stderr, "taven: the layer must be 1, 2 or 3, not '%s'\n", argv[i]);
                return 2;
            }
            if (a[1] == 'b' && v == 0) {
                std::fprintf(stderr, "taven: the bit rate must be a number of kbit/s, not '%s'\n", argv[i]);
                return 2;
            }
            (a[1] == 'l' ? layer : bitrate) = v;
        } else if (!std::strcmp(a, "-c")) {
            copyright = 1;
        } else if (!std::strcmp(a, "-o")) {
            original = 0;
        } else if (!std::strcmp(a, "-t")) {
            info = 0;
        } else if (a[0] == '-' && a[1]) {
            std::fprintf(stderr, "taven: unknown option %s\n", a);
            return Usage();
        } else if (!in) {
            in = a;
        } else if (!out) {
            out = a;
        } else {
            return Usage();
        }
    }
    if (!in || !out) return Usage();
    if (CliSameFile(in, out)) {
        std::fprintf(stderr, "taven: %s and %s are the same file; the input would be lost\n", in, out);
        return 1;
    }
    if (bitrate == 0) bitrate = layer == 1 ? 256 : (layer == 2 ? 192 : 128);
    Wave w;
    FILE* src = std::fopen(in, "rb");
    if (!src) {
        std::fprintf(stderr, "taven: cannot open %s: %s\n", in, std::strerror(errno));
        return 1;
    }
    const WaveResult wave = OpenWave(src, &w);
    switch (wave) {
    case WAVE_OK: break;
    case WAVE_NOT_RIFF: std::fprintf(stderr, "taven: %s is not a WAVE file\n", in); break;
    case WAVE_NO_DATA: std::fprintf(stderr, "taven: %s is damaged or cut short (no audio data)\n", in); break;
    case WAVE_NO_FORMAT: std::fprintf(stderr, "taven: %s is damaged (no format chunk)\n", in); break;
    case WAVE_NOT_PCM16:
        std::fprintf(stderr,
                     "taven: %s holds %d-bit audio in format %d with %d channel(s); only 16-bit PCM, mono or "
                     "stereo, is supported\n",
                     in, w.bits, w.formatTag, w.channels);
        break;
    }
    if (wave != WAVE_OK) {
        std::fclose(src);
        return 1;
    }
    uint8_t context[TAVENC_CONTEXT_BYTES];
    const int mode = info ? 0 : int(RECORDING_MODE);
    if (!MpegAudioEncodeSetInfo(context, layer | (w.channels << 8) | (mode << 16), w.rate, bitrate)) {
        std::fprintf(stderr, "taven: layer %d at %d Hz, %d kbit/s, %d channel(s) is not supported\n", layer, w.rate,
                     bitrate, w.channels);
        std::fclose(src);
        return 1;
    }
    MpegAudioEncodeSetCategoryCode(context, copyright | original << 1);
    CliOutput output;
    if (!CliOutputOpen(&output, out)) {
        std::fprintf(stderr, "taven: cannot create %s: %s\n", out, std::strerror(errno));
        std::fclose(src);
        return 1;
    }
    FILE* f = output.file;
    info = info && layer == 3;
    std::vector<uint8_t> infoFrame;  // written in full once the counts are known
    // The data chunk in slices of whole samples: the library takes only whole samples, so a
    // file cut in the middle of one leaves that part out.
    const size_t sampleBytes = size_t(2 * w.channels);
    std::vector<uint8_t> inBuf(32768 / sampleBytes * sampleBytes), outBuf(1 << 16);
    uint32_t left = w.dataBytes;
    uint64_t samples = 0, streamBytes = 0;
    size_t partialBytes = 0;
    int ok = 1, encoded = 1;
    while (ok && left > 0) {
        size_t want = left < inBuf.size() ? left : inBuf.size();
        size_t got = std::fread(inBuf.data(), 1, want, src);
        if (got == 0) break;  // a data chunk longer than the file: encode what is there
        left -= uint32_t(got);
        partialBytes = got % sampleBytes;
        got -= partialBytes;
        samples += got / sampleBytes;
        const uint8_t* inPtr = inBuf.data();
        const uint8_t* inEnd = inPtr + got;
        while (ok && inPtr < inEnd) {
            uint8_t* o = outBuf.data();
            uint32_t produced = 0, consumed = 0;
            encoded = MpegAudioEncode(&o, outBuf.data() + outBuf.size(), &produced, &inPtr, inEnd, &consumed) != 0;
            if (!consumed && !produced) encoded = 0;  // no progress would loop for ever
            ok = encoded;
            if (produced && info && infoFrame.empty()) {
                // the first frame's header serves the Info frame; room for it is kept now
                infoFrame = InfoFrame(outBuf.data(), w.channels, 0, 0, 0, 0);
                ok = ok && std::fwrite(infoFrame.data(), 1, infoFrame.size(), f) == infoFrame.size();
            }
            if (produced) ok = ok && std::fwrite(outBuf.data(), 1, produced, f) == produced;
            streamBytes += produced;
        }
    }
    const int readFailed = std::ferror(src) != 0;
    std::fclose(src);
    if (ok) {
        uint8_t* o = outBuf.data();
        uint32_t produced = 0;
        encoded = MpegAudioEncodeFlush(&o, outBuf.data() + outBuf.size(), &produced) != 0 &&
                  MpegAudioEncodeGetFatalError(context) == 0;
        ok = encoded;
        if (ok && produced && info && infoFrame.empty()) {
            infoFrame = InfoFrame(outBuf.data(), w.channels, 0, 0, 0, 0);
            ok = std::fwrite(infoFrame.data(), 1, infoFrame.size(), f) == infoFrame.size();
        }
        ok = ok && std::fwrite(outBuf.data(), 1, produced, f) == produced;
        streamBytes += produced;
    }
    if (ok && !infoFrame.empty()) {
        // The library pads the input and its delay to whole frames.
        const uint32_t delay = uint32_t(EncCodecDelay(layer)) - DECODER_DELAY;
        const uint64_t frames =
            (samples + uint64_t(EncCodecDelay(layer)) + LAYER3_FRAME_SAMPLES - 1) / LAYER3_FRAME_SAMPLES;
        const uint32_t padding = uint32_t(frames * LAYER3_FRAME_SAMPLES - samples - delay);
        std::vector<uint8_t> head(infoFrame.begin(), infoFrame.begin() + 4);
        infoFrame = InfoFrame(head.data(), w.channels, uint32_t(frames), uint32_t(streamBytes + infoFrame.size()),
                              delay, padding);
        ok = std::fseek(f, 0, SEEK_SET) == 0 &&
             std::fwrite(infoFrame.data(), 1, infoFrame.size(), f) == infoFrame.size();
    }
    if (!ok) {
        const int e = errno;
        CliOutputDiscard(&output);
        if (!encoded)
            std::fprintf(stderr, "taven: encoding failed; %s was not written\n", out);
        else
            std::fprintf(stderr, "taven: cannot write %s: %s; nothing was written\n", out, std::strerror(e));
        return 1;
    }
    if (!CliOutputCommit(&output)) {
        std::fprintf(stderr, "taven: cannot write %s: %s; nothing was written\n", out, std::strerror(errno));
        return 1;
    }
    if (readFailed)
        std::fprintf(stderr, "taven: reading %s failed after %llu samples; the rest is missing\n", in,
                     (unsigned long long)samples);
    else if (left > 0)
        std::fprintf(stderr, "taven: %s is cut short: %u byte(s) of its audio data are missing\n", in, unsigned(left));
    if (partialBytes)
        std::fprintf(stderr, "taven: %s ends in the middle of a sample; its last %zu byte(s) were left out\n", in,
                     partialBytes);
    return 0;
}
