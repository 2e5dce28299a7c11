// Writing and deleting the three silence files of the track gap.
#include "base/byte_order.h"
#include "deck/silence_files.h"
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
enum {
    RIFF_HEADER_BYTES = 8,       // "RIFF" and the size
    WAVE_FMT_HEADER_BYTES = 12,  // "WAVE", "fmt " and its size
    FMT_BYTES = 16,              // PCMWAVEFORMAT
    DATA_HEADER_BYTES = 8,       // "data" and its size
    SILENCE_BLOCKS = 24,         // 24 blocks of `rate` bytes: 6 s of 16-bit stereo
};
const uint32_t SILENCE_RATES[SILENCE_FILE_COUNT] = {32000, 44100, 48000};
const char* const SILENCE_NAMES[SILENCE_FILE_COUNT] = {"Sil32.$$$", "Sil44.$$$", "Sil48.$$$"};
const int SILENCE_ERRORS[SILENCE_FILE_COUNT] = {8, 9, 10};

struct SilenceFiles {
    char paths[SILENCE_FILE_COUNT][SILENCE_PATH_BYTES];  // empty until WriteSilenceFiles
};
SilenceFiles g_sil;

}  // namespace

int MakeSilenceFile(const char* path, uint32_t rate) {
    const uint16_t channels = 2, bits = 16;
    const uint32_t dataBytes = rate * SILENCE_BLOCKS;
    unsigned char header[RIFF_HEADER_BYTES + WAVE_FMT_HEADER_BYTES + FMT_BYTES + DATA_HEADER_BYTES];
    unsigned char* p = header;
    std::memcpy(p, "RIFF", 4);
    PutLe32(p + 4, (uint32_t)sizeof header - RIFF_HEADER_BYTES + dataBytes);
    p += RIFF_HEADER_BYTES;
    std::memcpy(p, "WAVEfmt ", 8);
    PutLe32(p + 8, FMT_BYTES);
    p += WAVE_FMT_HEADER_BYTES;
    PutLe16(p, 1);  // PCM
    PutLe16(p + 2, channels);
    PutLe32(p + 4, rate);
    PutLe32(p + 8, rate * channels * (bits / 8));
    PutLe16(p + 12, channels * (bits / 8));
    PutLe16(p + 14, bits);
    p += FMT_BYTES;
    std::memcpy(p, "data", 4);
    PutLe32(p + 4, dataBytes);

    std::FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    std::vector<unsigned char> zeros(rate, 0);
    int ok = std::fwrite(header, 1, sizeof header, f) == sizeof header;
    for (int i = 0; ok && i < SILENCE_BLOCKS; ++i) ok = std::fwrite(zeros.data(), 1, rate, f) == rate;
    if (std::fclose(f) != 0) ok = 0;
    return ok;
}

int WriteSilenceFiles(const char* folder) {
    size_t n = std::strlen(folder);
    const char* sep = (n > 0 && folder[n - 1] != '\\' && folder[n - 1] != '/') ? "\\" : "";
#ifndef _WIN32
    if (*sep) sep = "/";
#endif
    // A name cut off at the path limit would write (and later delete) some other file: such a
    // name is left empty, and its file counts as not written.
    for (int i = 0; i < SILENCE_FILE_COUNT; ++i)
        if (std::snprintf(g_sil.paths[i], SILENCE_PATH_BYTES, "%s%s%s", folder, sep, SILENCE_NAMES[i]) >=
            SILENCE_PATH_BYTES)
            g_sil.paths[i][0] = 0;
    for (int i = 0; i < SILENCE_FILE_COUNT; ++i) {
        if (!g_sil.paths[i][0] || !MakeSilenceFile(g_sil.paths[i], SILENCE_RATES[i])) {
            DeleteSilenceFiles();
            return SILENCE_ERRORS[i];
        }
    }
    return 0;
}

void DeleteSilenceFiles() {
    for (int i = 0; i < SILENCE_FILE_COUNT; ++i)
        if (g_sil.paths[i][0]) std::remove(g_sil.paths[i]);
}

const char* SilenceFilePath(uint32_t rate) {
    int i = rate == 44100 ? 1 : rate == 48000 ? 2 : 0;
    return g_sil.paths[i];
}
