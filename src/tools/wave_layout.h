// The parts of a WAVE file the tools cut and join: everything in front of the sound data (the
// RIFF head, "fmt " and any chunks before "data"), the sound data, and the chunks behind it.
#pragma once
#include <cstdint>
#include "media/media_file.h"

enum {
    WAVE_HEAD_BYTES = 20,       // "RIFF", size, "WAVE", "fmt ", fmt size
    WAVE_FMT_MAX_BYTES = 1024,  // the longest "fmt " data taken (PCM has 16, extensible 40)
    RIFF_SIZE_OFFSET = 4,
    CHUNK_HEAD_BYTES = 8,
};

enum {
    WAVE_FORMAT_EXTENSIBLE_TAG = 0xFFFE,
    WAVE_SUB_FORMAT_BYTES = 16,  // the GUID of an extensible format
};

struct WaveLayout {
    uint64_t fileSize;
    uint32_t fmtSize;
    uint16_t formatTag;
    uint16_t channels;
    uint32_t sampleRate;
    uint16_t bitsPerSample;
    uint8_t subFormat[WAVE_SUB_FORMAT_BYTES];  // extensible formats only, else zero
    uint32_t avgBytesPerSec;                   // from "fmt "
    uint32_t blockAlign;
    uint64_t dataHeaderAt;   // offset of the "data" chunk's 8-byte header
    uint32_t dataSize;       // as the header says
    uint64_t dataAvailable;  // the sound bytes the file really holds (a cut-off file has fewer)
    uint64_t trailingAt;     // first byte behind the sound data and its pad byte
};

// Reads the layout of a WAVE file: "RIFF", "WAVE" and "fmt " at the start, then the "data"
// chunk. The chunk after "fmt " is normally the sound data; other programs put a "LIST" or
// "fact" chunk in between, which is walked over and kept with the head. 1 when understood.
int ReadWaveLayout(const MediaFile* file, WaveLayout* layoutOut);

// 1 when the sound data of the two files is coded alike, so one can follow the other in a
// data chunk: the same format tag (and sub-format of an extensible one), channels, rate, bits
// and block align. Float and PCM, or A-law and mu-law, of the same size are not alike.
int SameWaveCoding(const WaveLayout* a, const WaveLayout* b);
