// MPEG audio stream layout over a file held in memory: where the audio starts (after an ID3v2
// tag or leading junk) and ends (before an ID3v1 tag and the "MEXT" title trailer), the VBR
// header (Xing/Info with the LAME extension, or VBRI), and the offsets of all audio frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mpa_header.h"

enum : uint32_t {
    MPA_ID3V1_BYTES = 128,
    MPA_TRAILER_FOOTER_BYTES = 8,  // chunk-area length (LE32), then "MEXT"
    MPA_MAX_LEADING_JUNK = 65536,  // bytes searched for the first frame after any ID3v2 tag
    MPA_DECODER_DELAY = 529,       // samples the synthesis adds before the first real sample
};

struct MpaStreamInfo {
    size_t audioStart;        // first byte of the first frame (a VBR header frame included)
    size_t audioEnd;          // one past the last audio byte
    MpaHeader first;          // header of the first frame
    size_t id3v2Bytes;        // size of a leading ID3v2 tag, 0 when none
    int hasId3v1;             // 1 when the file ends with an ID3v1 tag
    size_t trailerBytes;      // size of the "MEXT" title trailer, 0 when none
    int hasChannelStatus;     // 1 when the trailer holds a "CHST" value
    uint8_t channelStatus[4]; // its four bytes, else zero
    int hasVbrHeader;         // 1 when the first frame is a Xing/Info/VBRI header (not audio)
    int vbr;                  // 1 when the header says VBR ("Xing" or VBRI) or the rate varies
    int hasGapless;           // 1 when a LAME extension gave the encoder delay and padding
    uint32_t encoderDelay;    // samples
    uint32_t encoderPadding;  // samples
    uint32_t frames;          // audio frames (VBR header frame excluded)
    uint64_t decodedSamples;  // frames * samples per frame
    uint64_t skipSamples;     // samples to drop at the start for gapless playback
    uint64_t samples;         // samples per channel after gapless trimming
    uint32_t lengthMs;
    uint32_t averageKbps;     // bytes of the audio frames over their duration
};

// Examines a whole file in memory. Returns 1 when it holds an MPEG audio stream (at least one
// frame, checked against the following frames), filling *info and, when offsetsOut is given,
// the byte offset of every audio frame. Returns 0 otherwise (RIFF and MIDI files are refused).
int MpaScanStream(const uint8_t* data, size_t size, MpaStreamInfo* info, std::vector<uint32_t>* offsetsOut);

// Looks for the title trailer and ID3v1 tag at the end of data[0..size): sets *audioEndOut to
// the end of the audio, and fills the trailer fields of *info.
void MpaFindTrailers(const uint8_t* data, size_t size, size_t* audioEndOut, MpaStreamInfo* info);
