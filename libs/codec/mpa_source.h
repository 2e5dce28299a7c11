// Seekable PCM source over an MPEG audio file held in memory: frame index, gapless trimming,
// a fixed channel count for the whole stream, and frame-accurate seeking with enough pre-roll
// to refill the bit reservoir and the filter-bank history.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mpa_decoder.h"
#include "mpa_stream.h"

struct MpaSource {
    const uint8_t* data;             // the file (not owned; must outlive the source)
    size_t size;
    MpaStreamInfo info;
    std::vector<uint32_t> frames;    // byte offset of every audio frame
    MpaDecoder dec;
    int channels;                    // output channels (those of the first frame)
    uint32_t sampleRate;
    size_t nextFrame;                // index of the next frame to decode
    uint64_t position;               // samples per channel delivered (after trimming)
    uint64_t decodedPos;             // stream sample (untrimmed) at the start of pcm
    float pcm[MPA_MAX_SAMPLES * 2];  // the current frame's samples, interleaved
    int pcmSamples;                  // samples per channel in pcm
    int pcmUsed;                     // of those, already delivered
    int concealed;                   // frames decoded as silence so far
};

// Opens a source over data[0..size). Returns 1 when it is an MPEG audio stream.
int MpaSourceOpen(MpaSource* src, const uint8_t* data, size_t size);

// Reads up to `count` samples per channel, interleaved, into out. Returns the samples per
// channel written; 0 at the end.
size_t MpaSourceRead(MpaSource* src, float* out, size_t count);

// Moves to a sample position (samples per channel from the trimmed start; past the end means
// the end). Returns 1.
int MpaSourceSeek(MpaSource* src, uint64_t sample);
