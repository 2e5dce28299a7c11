// Seekable PCM source over an MPEG audio stream read through an MpaReader: a sparse frame index,
// gapless trimming, a fixed channel count for the whole stream, and frame-accurate seeking with
// enough pre-roll to refill the bit reservoir and the filter-bank history. Memory does not
// grow with the file: frames are read through one small window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "mpa_decoder.h"
#include "mpa_reader.h"
#include "mpa_stream.h"

struct MpaFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

struct MpaSource {
    std::unique_ptr<FILE, MpaFileCloser> file;  // when opened from a path
    MpaReader reader;                           // the stream's bytes
    MpaStreamInfo info;
    MpaFrameIndex index;  // where every index.stride-th frame starts
    MpaWindow window;     // the frames being decoded
    MpaDecoder dec;
    int channels;  // output channels (those of the first frame)
    uint32_t sampleRate;
    size_t nextFrame;                // index of the next frame to decode
    uint64_t nextOffset;             // where to look for it
    uint64_t position;               // samples per channel delivered (after trimming)
    uint64_t decodedPos;             // stream sample (untrimmed) at the start of pcm
    float pcm[MPA_MAX_SAMPLES * 2];  // the current frame's samples, interleaved
    int pcmSamples;                  // samples per channel in pcm
    int pcmUsed;                     // of those, already delivered
    int concealed;                   // frames decoded as silence so far
};

// Opens a source over r (its context must outlive the source). Returns 1 when it is an MPEG
// audio stream. Walks the frame headers once for exact counts and the index.
int MpaSourceOpenReader(MpaSource* src, const MpaReader& r);

// Opens a source over data[0..size) held by the caller.
int MpaSourceOpen(MpaSource* src, const uint8_t* data, size_t size);

// Opens the file at path; the source keeps it open until it is destroyed or reopened.
int MpaSourceOpenFile(MpaSource* src, const char* path);

// Reads up to `count` samples per channel, interleaved, into out. Returns the samples per
// channel written; 0 at the end.
size_t MpaSourceRead(MpaSource* src, float* out, size_t count);

// Moves to a sample position (samples per channel from the trimmed start; past the end means
// the end). Returns 1.
int MpaSourceSeek(MpaSource* src, uint64_t sample);
