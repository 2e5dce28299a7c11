// qdtone: writes a tone as a 16-bit stereo PCM WAVE file, for the demo list the run command
// offers and for tests that need a known sound. A short fade at both ends keeps it click-free.
//   qdtone [-r rate] [-a amplitude] frequencyHz milliseconds out.wav
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
enum { HEADER_BYTES = 44, CHANNELS = 2, BYTES_PER_SAMPLE = 2, FADE_MS = 10 };
const double PI = 3.14159265358979323846;

void PutLe16(unsigned char* p, uint32_t v) {
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
}
void PutLe32(unsigned char* p, uint32_t v) {
    PutLe16(p, v & 0xFFFF);
    PutLe16(p + 2, v >> 16);
}

int Usage() {
    std::fprintf(stderr, "usage: qdtone [-r rate] [-a amplitude 0..1] frequencyHz milliseconds out.wav\n");
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    uint32_t rate = 44100;
    double amplitude = 0.25;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (!std::strcmp(argv[i], "-r"))
            rate = (uint32_t)std::strtoul(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "-a"))
            amplitude = std::atof(argv[i + 1]);
        else
            return Usage();
    }
    if (argc - i != 3 || rate < 8000 || rate > 192000 || amplitude < 0 || amplitude > 1) return Usage();
    double frequency = std::atof(argv[i]);
    uint32_t ms = (uint32_t)std::strtoul(argv[i + 1], nullptr, 10);
    if (frequency <= 0 || ms == 0 || ms > 600000) return Usage();

    uint32_t frames = (uint32_t)((uint64_t)rate * ms / 1000);
    uint32_t fade = rate * FADE_MS / 1000;
    uint32_t dataBytes = frames * CHANNELS * BYTES_PER_SAMPLE;
    std::vector<unsigned char> data(HEADER_BYTES + (size_t)dataBytes);
    unsigned char* h = data.data();
    std::memcpy(h, "RIFF", 4);
    PutLe32(h + 4, HEADER_BYTES - 8 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLe32(h + 16, 16);
    PutLe16(h + 20, 1);
    PutLe16(h + 22, CHANNELS);
    PutLe32(h + 24, rate);
    PutLe32(h + 28, rate * CHANNELS * BYTES_PER_SAMPLE);
    PutLe16(h + 32, CHANNELS * BYTES_PER_SAMPLE);
    PutLe16(h + 34, 8 * BYTES_PER_SAMPLE);
    std::memcpy(h + 36, "data", 4);
    PutLe32(h + 40, dataBytes);
    unsigned char* p = h + HEADER_BYTES;
    for (uint32_t n = 0; n < frames; ++n) {
        double gain = amplitude;
        if (n < fade) gain *= (double)n / fade;
        if (frames - n < fade) gain *= (double)(frames - n) / fade;
        int16_t s = (int16_t)std::lround(32767.0 * gain * std::sin(2 * PI * frequency * n / rate));
        for (int c = 0; c < CHANNELS; ++c, p += 2) PutLe16(p, (uint16_t)s);
    }
    FILE* f = std::fopen(argv[i + 2], "wb");
    if (!f) {
        std::fprintf(stderr, "qdtone: cannot write %s\n", argv[i + 2]);
        return 1;
    }
    int ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (std::fclose(f) != 0) ok = 0;
    if (!ok) {
        std::fprintf(stderr, "qdtone: short write to %s\n", argv[i + 2]);
        std::remove(argv[i + 2]);
        return 1;
    }
    return 0;
}
