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

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

struct Wave {
    int channels = 0, rate = 0, bits = 0;
    std::vector<uint8_t> data;
};

// Reads the fmt and data chunks of a RIFF WAVE file; 0 when it is not 16-bit PCM.
int ReadWave(const char* path, Wave* w) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    std::vector<uint8_t> all;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.insert(all.end(), buf, buf + n);
    std::fclose(f);
    if (all.size() < 12 || std::memcmp(all.data(), "RIFF", 4) || std::memcmp(all.data() + 8, "WAVE", 4)) return 0;
    size_t pos = 12;
    while (pos + 8 <= all.size()) {
        uint32_t size = Le32(&all[pos + 4]);
        size_t body = pos + 8;
        size_t avail = all.size() - body;
        if (size > avail) size = uint32_t(avail);
        if (!std::memcmp(&all[pos], "fmt ", 4) && size >= 16) {
            if (Le16(&all[body]) != 1) return 0;
            w->channels = Le16(&all[body + 2]);
            w->rate = int(Le32(&all[body + 4]));
            w->bits = Le16(&all[body + 14]);
        } else if (!std::memcmp(&all[pos], "data", 4)) {
            w->data.assign(all.begin() + long(body), all.begin() + long(body + size));
        }
        pos = body + size + (size & 1);
    }
    return w->channels >= 1 && w->channels <= 2 && w->bits == 16 && !w->data.empty() ? 1 : 0;
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
        if (!std::strcmp(argv[i], "-l") && i + 1 < argc) layer = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-b") && i + 1 < argc) bitrate = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "-c")) copyright = 1;
        else if (!std::strcmp(argv[i], "-o")) original = 0;
        else if (!in) in = argv[i];
        else if (!out) out = argv[i];
        else return Usage();
    }
    if (!in || !out) return Usage();
    if (bitrate == 0) bitrate = layer == 1 ? 256 : (layer == 2 ? 192 : 128);
    Wave w;
    if (!ReadWave(in, &w)) {
        std::fprintf(stderr, "taven: %s is not a 16-bit PCM WAVE file\n", in);
        return 1;
    }
    uint8_t context[TAVENC_CONTEXT_BYTES];
    if (!MpegAudioEncodeSetInfo(context, layer | (w.channels << 16), w.rate, bitrate)) {
        std::fprintf(stderr, "taven: layer %d at %d Hz, %d kbit/s, %d channel(s) is not supported\n", layer, w.rate,
                     bitrate, w.channels);
        return 1;
    }
    MpegAudioEncodeSetCategoryCode(context, copyright | original << 1);
    FILE* f = std::fopen(out, "wb");
    if (!f) {
        std::fprintf(stderr, "taven: cannot create %s\n", out);
        return 1;
    }
    // Whole-file input in slices; the library keeps any partial frame until the flush.
    std::vector<uint8_t> outBuf(1 << 16);
    const uint8_t* inPtr = w.data.data();
    const uint8_t* inEnd = inPtr + w.data.size();
    int ok = 1;
    while (ok && inPtr < inEnd) {
        uint8_t* o = outBuf.data();
        uint32_t produced = 0, consumed = 0;
        const uint8_t* sliceEnd = inEnd - inPtr > 32768 ? inPtr + 32768 : inEnd;
        ok = MpegAudioEncode(&o, outBuf.data() + outBuf.size(), &produced, &inPtr, sliceEnd, &consumed) != 0;
        if (produced) ok = ok && std::fwrite(outBuf.data(), 1, produced, f) == produced;
    }
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
