// tavdec: decodes an MPEG audio file (layer I, II or III) to a WAVE file, or prints what the
// player library would report about it. Used by hand, by the codec tests and by the benchmark.
//
//   tavdec [-f | -r | -t] input.mp3 [output]   decode; 16-bit WAVE by default,
//                                               -f 32-bit float WAVE, -r raw 32-bit floats,
//                                               -t decode only (no output)
//   tavdec -i input.mp3                          stream information
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli_file.h"
#include "mpa_source.h"

namespace {

enum OutputKind { OUT_PCM16, OUT_FLOAT, OUT_RAW, OUT_NONE };

// Full scale 1.0 to 16-bit, clamped, rounded to nearest (halves away from zero). Laid out
// without branches so the loop runs four samples at a time (built without trapping math).
void ToPcm16(const float* in, int16_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        float v = in[i] * 32768.0f;
        v = v < -32768.0f ? -32768.0f : v;
        v = v > 32767.0f ? 32767.0f : v;
        v += v < 0.0f ? -0.5f : 0.5f;
        out[i] = int16_t(int32_t(v));
    }
}

void PutLe(std::string* s, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s->push_back(char((v >> (8 * i)) & 0xFF));
}

std::string WaveHeader(int channels, uint32_t rate, int bits, int isFloat, uint64_t samples) {
    uint32_t dataBytes = uint32_t(samples * uint64_t(channels) * uint64_t(bits / 8));
    std::string h = "RIFF";
    PutLe(&h, 36 + dataBytes, 4);
    h += "WAVEfmt ";
    PutLe(&h, 16, 4);
    PutLe(&h, isFloat ? 3 : 1, 2);
    PutLe(&h, uint32_t(channels), 2);
    PutLe(&h, rate, 4);
    PutLe(&h, rate * uint32_t(channels * bits / 8), 4);
    PutLe(&h, uint32_t(channels * bits / 8), 2);
    PutLe(&h, uint32_t(bits), 2);
    h += "data";
    PutLe(&h, dataBytes, 4);
    return h;
}

int PrintInfo(const MpaSource& src) {
    const MpaStreamInfo& in = src.info;
    static const char* MODES[4] = {"stereo", "joint stereo", "dual channel", "mono"};
    static const char* VERSIONS[3] = {"MPEG-1", "MPEG-2", "MPEG-2.5"};
    std::printf("format: %s layer %d\n", VERSIONS[in.first.versionIndex], in.first.layer);
    std::printf("sample rate: %u Hz\nchannels: %d (%s)\n", in.first.sampleRate, in.first.channels,
                MODES[in.first.mode]);
    std::printf("bit rate: %u kbit/s%s\n", in.averageKbps, in.vbr ? " (VBR)" : "");
    std::printf("frames: %u\nsamples: %llu\nlength: %u ms\n", in.frames, (unsigned long long)in.samples, in.lengthMs);
    std::printf("audio bytes: %zu at %zu\n", in.audioEnd - in.audioStart, in.audioStart);
    if (in.hasGapless) std::printf("encoder delay: %u, padding: %u\n", in.encoderDelay, in.encoderPadding);
    if (in.id3v2Bytes) std::printf("ID3v2 tag: %zu bytes\n", in.id3v2Bytes);
    if (in.hasId3v1) std::printf("ID3v1 tag\n");
    if (in.trailerBytes) std::printf("title trailer: %zu bytes\n", in.trailerBytes);
    if (in.hasChannelStatus)
        std::printf("channel status: %02X %02X %02X %02X\n", in.channelStatus[0], in.channelStatus[1],
                    in.channelStatus[2], in.channelStatus[3]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    OutputKind kind = OUT_PCM16;
    bool info = false;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-' && argv[arg][1]; ++arg) {
        if (!std::strcmp(argv[arg], "-f"))
            kind = OUT_FLOAT;
        else if (!std::strcmp(argv[arg], "-r"))
            kind = OUT_RAW;
        else if (!std::strcmp(argv[arg], "-t"))
            kind = OUT_NONE;
        else if (!std::strcmp(argv[arg], "-i"))
            info = true;
        else {
            std::fprintf(stderr, "tavdec: unknown option %s\n", argv[arg]);
            return 2;
        }
    }
    if (arg >= argc || (!info && kind != OUT_NONE && arg + 1 >= argc)) {
        std::fprintf(stderr, "usage: tavdec [-f|-r|-t] input [output.wav]\n       tavdec -i input\n");
        return 2;
    }
    std::unique_ptr<MpaSource> src(new MpaSource());
    FILE* probe = std::fopen(argv[arg], "rb");
    if (!probe) {
        std::fprintf(stderr, "tavdec: cannot read %s\n", argv[arg]);
        return 1;
    }
    std::fclose(probe);
    if (!MpaSourceOpenFile(src.get(), argv[arg])) {
        std::fprintf(stderr, "tavdec: %s is not an MPEG audio stream\n", argv[arg]);
        return 1;
    }
    if (info) return PrintInfo(*src);

    CliOutput output;
    FILE* out = nullptr;
    if (kind != OUT_NONE) {
        const char* name = argv[arg + 1];
        if (CliSameFile(argv[arg], name)) {
            std::fprintf(stderr, "tavdec: %s and %s are the same file; the input would be lost\n", argv[arg], name);
            return 1;
        }
        if (!CliOutputOpen(&output, name)) {
            std::fprintf(stderr, "tavdec: cannot write %s: %s\n", name, std::strerror(errno));
            return 1;
        }
        out = output.file;
    }
    int nch = src->channels;
    int ok = 1;
    const bool wave = kind == OUT_PCM16 || kind == OUT_FLOAT;
    const int bits = kind == OUT_FLOAT ? 32 : 16;
    if (wave) {
        std::string h = WaveHeader(nch, src->sampleRate, bits, kind == OUT_FLOAT, src->info.samples);
        ok = std::fwrite(h.data(), 1, h.size(), out) == h.size();
    }
    std::vector<float> buf(4096 * size_t(nch));
    std::vector<int16_t> pcm16(buf.size());
    size_t n;
    uint64_t decoded = 0;
    while (ok && (n = MpaSourceRead(src.get(), buf.data(), 4096)) > 0) {
        size_t values = n * size_t(nch);
        decoded += n;
        if (kind == OUT_PCM16) {
            ToPcm16(buf.data(), pcm16.data(), values);
            ok = std::fwrite(pcm16.data(), sizeof(int16_t), values, out) == values;
        } else if (kind != OUT_NONE) {
            ok = std::fwrite(buf.data(), sizeof(float), values, out) == values;
        }
    }
    if (ok && wave && decoded != src->info.samples && !output.toStdout) {
        // a stream that ends early (cut short) or late: the header says what was decoded
        std::string h = WaveHeader(nch, src->sampleRate, bits, kind == OUT_FLOAT, decoded);
        ok = std::fseek(out, 0, SEEK_SET) == 0 && std::fwrite(h.data(), 1, h.size(), out) == h.size();
    }
    if (out) {
        if (!ok) {
            const int e = errno;
            CliOutputDiscard(&output);
            errno = e;
        }
        if (!ok || !CliOutputCommit(&output)) {
            std::fprintf(stderr, "tavdec: cannot write %s: %s; nothing was written\n", argv[arg + 1],
                         std::strerror(errno ? errno : EIO));
            return 1;
        }
    }
    if (src->concealed) std::fprintf(stderr, "tavdec: %d damaged frame(s) replaced by silence\n", src->concealed);
    return 0;
}
