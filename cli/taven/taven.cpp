// taven: command-line MPEG audio encoder. Reads a 16-bit PCM WAVE file and writes an MPEG-1
// layer I, II or III stream through the encoder library's calls, exactly as the recorder does.
//   taven [-l 1|2|3] [-b kbit/s] [-c] [-o] in.wav out.mp3
//   -c sets the copyright bit, -o clears the original bit.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tavenc_api.h"

namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

struct Wave {
    int channels = 0, rate = 0, bits = 0;
    uint32_t dataBytes = 0;  // the data chunk's size; the file is left at its first byte
};

// Walks the RIFF chunks up to "data"; 0 when the file is not 16-bit PCM WAVE.
int OpenWave(FILE* f, Wave* w) {
    uint8_t h[12];
    if (std::fread(h, 1, 12, f) != 12 || std::memcmp(h, "RIFF", 4) || std::memcmp(h + 8, "WAVE", 4)) return 0;
    for (;;) {
        uint8_t c[8];
        if (std::fread(c, 1, 8, f) != 8) return 0;
        uint32_t size = Le32(c + 4);
        if (!std::memcmp(c, "data", 4)) {
            w->dataBytes = size;
            break;
        }
        if (!std::memcmp(c, "fmt ", 4) && size >= 16 && size < 4096) {
            uint8_t fmt[4096];
            if (std::fread(fmt, 1, size, f) != size) return 0;
            if (Le16(fmt) != 1) return 0;
            w->channels = Le16(fmt + 2);
            w->rate = int(Le32(fmt + 4));
            w->bits = Le16(fmt + 14);
            if (size & 1) std::fseek(f, 1, SEEK_CUR);
        } else if (std::fseek(f, long(size + (size & 1)), SEEK_CUR) != 0) {
            return 0;
        }
    }
    return w->channels >= 1 && w->channels <= 2 && w->bits == 16 ? 1 : 0;
}

int Usage() {
    std::fprintf(stderr, "usage: taven [-l 1|2|3] [-b kbit/s] [-c] [-o] in.wav out.mp3\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int layer = 3, bitrate = 0, copyright = 0, original = 1;
    const char* in = nullptr;
    const char* out = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-l") && i + 1 < argc)
            layer = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-b") && i + 1 < argc)
            bitrate = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-c"))
            copyright = 1;
        else if (!std::strcmp(argv[i], "-o"))
            original = 0;
        else if (!in)
            in = argv[i];
        else if (!out)
            out = argv[i];
        else
            return Usage();
    }
    if (!in || !out) return Usage();
    if (bitrate == 0) bitrate = layer == 1 ? 256 : (layer == 2 ? 192 : 128);
    Wave w;
    FILE* src = std::fopen(in, "rb");
    if (!src || !OpenWave(src, &w)) {
        std::fprintf(stderr, "taven: %s is not a 16-bit PCM WAVE file\n", in);
        if (src) std::fclose(src);
        return 1;
    }
    uint8_t context[TAVENC_CONTEXT_BYTES];
    if (!MpegAudioEncodeSetInfo(context, layer | (w.channels << 8), w.rate, bitrate)) {
        std::fprintf(stderr, "taven: layer %d at %d Hz, %d kbit/s, %d channel(s) is not supported\n", layer, w.rate,
                     bitrate, w.channels);
        std::fclose(src);
        return 1;
    }
    MpegAudioEncodeSetCategoryCode(context, copyright | original << 1);
    FILE* f = std::fopen(out, "wb");
    if (!f) {
        std::fprintf(stderr, "taven: cannot create %s\n", out);
        std::fclose(src);
        return 1;
    }
    // The data chunk in 32 KB slices; the library keeps any partial frame until the flush.
    std::vector<uint8_t> inBuf(32768), outBuf(1 << 16);
    uint32_t left = w.dataBytes;
    int ok = 1;
    while (ok && left > 0) {
        size_t want = left < inBuf.size() ? left : inBuf.size();
        size_t got = std::fread(inBuf.data(), 1, want, src);
        if (got == 0) break;  // a data chunk longer than the file: encode what is there
        left -= uint32_t(got);
        const uint8_t* inPtr = inBuf.data();
        const uint8_t* inEnd = inPtr + got;
        while (ok && inPtr < inEnd) {
            uint8_t* o = outBuf.data();
            uint32_t produced = 0, consumed = 0;
            ok = MpegAudioEncode(&o, outBuf.data() + outBuf.size(), &produced, &inPtr, inEnd, &consumed) != 0;
            if (produced) ok = ok && std::fwrite(outBuf.data(), 1, produced, f) == produced;
        }
    }
    std::fclose(src);
    if (ok) {
        uint8_t* o = outBuf.data();
        uint32_t produced = 0;
        MpegAudioEncodeFlush(&o, outBuf.data() + outBuf.size(), &produced);
        ok = MpegAudioEncodeGetFatalError(context) == 0 && std::fwrite(outBuf.data(), 1, produced, f) == produced;
    }
    if (std::fclose(f) != 0) ok = 0;
    if (!ok) {
        std::fprintf(stderr, "taven: encoding failed\n");
        return 1;
    }
    return 0;
}
