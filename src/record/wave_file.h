// A 16-bit PCM WAVE file written front to back: the RIFF header with an 18-byte "fmt " chunk
// and one "data" chunk. Recordings and the track gap's silence files both go through here, so
// the layout is written in one place.
//
// A recording must survive a crash or a power cut. The header's RIFF and data sizes are made
// true after the first block of audio and then again whenever another second of audio has been
// appended, each time followed by a flush to the disk; a killed process therefore leaves a file
// that plays up to at most one second before the kill and needs no repair at the next start.
// Audio bytes written after the last refresh lie beyond the data chunk and are ignored by
// players. The file is unbuffered, so a failed write is seen at the call that failed.
#pragma once
#include <cstdint>
#include <cstdio>

enum {
    WAVE_FMT_BYTES = 18,        // the PCM format record with its extra-size field (recordings)
    WAVE_FMT_SHORT_BYTES = 16,  // without it (the silence files)
    WAVE_HEADER_BYTES = 46,     // "RIFF" size "WAVE" "fmt " 18 <record> "data" size
    WAVE_RIFF_SIZE_AT = 4,
    WAVE_FMT_AT = 20,
    WAVE_DATA_SIZE_AT = 42,  // with the 18-byte record; 2 bytes less with the short one
};
enum : uint32_t { WAVE_FORMAT_PCM = 1 };

// The PCM format record as stored in "fmt ".
struct PcmFormat {
    uint16_t formatTag;  // WAVE_FORMAT_PCM
    uint16_t channels;
    uint32_t sampleRate;      // Hz
    uint32_t avgBytesPerSec;  // sampleRate * blockAlign
    uint16_t blockAlign;      // channels * bits / 8
    uint16_t bitsPerSample;
};

PcmFormat MakePcmFormat(uint16_t channels, uint32_t sampleRate, uint16_t bits);

struct WaveWriter {
    std::FILE* file;  // null when closed
    PcmFormat format;
    uint32_t dataBytes;        // whole frames in the data chunk so far
    uint32_t headerDataBytes;  // the data size the header holds now
    uint32_t refreshBytes;     // audio between two header refreshes: one second
    uint32_t headerBytes;      // where the audio begins: WAVE_HEADER_BYTES, or 2 less
    int failed;                // a write or seek failed; the file holds audio up to dataBytes
};

// Creates the file with the header; the data size first reads initialDataBytes (the recorder
// writes one buffer's size there until real audio arrives). 0 when the file cannot be created
// or the header not written; the half-made file is then deleted. fmtBytes: WAVE_FMT_BYTES or
// WAVE_FMT_SHORT_BYTES.
int WaveCreate(WaveWriter* w, const char* path, const PcmFormat& format, uint32_t initialDataBytes,
               uint32_t fmtBytes = WAVE_FMT_BYTES);

// Appends audio; only whole frames count. Refreshes the header once a second of audio.
// 0 on a failed or short write: what was written up to the last whole frame is kept.
int WaveAppend(WaveWriter* w, const uint8_t* data, uint32_t bytes);

// Writes the true RIFF and data sizes into the header and flushes the file to the disk.
int WaveRefreshHeader(WaveWriter* w);

// Replaces the format record in place (the recorder's rate can change before audio arrives).
int WaveRewriteFormat(WaveWriter* w, const PcmFormat& format);

// Makes the header true, closes the file and, after a failed write, cuts off a torn frame
// that lies beyond the data chunk. 0 when any of it failed (the audio counted stays playable).
int WaveClose(WaveWriter* w, const char* path);

// Tests only: the n-th file operation from now (write, seek, flush) fails, a write after
// writing half its bytes; 0 turns it off.
void SetWaveFailureForTest(int nthOperation);
// The disk fills up during the nth write that grows the file (it is written half); from then on
// every growing write, flush and close fails while the header can still be overwritten.
// 0 = never; SetWaveFailureForTest ends it too.
void SetWaveDiskFullForTest(int nthAppend);
