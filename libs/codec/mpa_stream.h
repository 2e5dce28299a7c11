// MPEG audio stream layout, read through an MpaReader: where the audio starts (after an ID3v2
// tag or leading junk) and ends (before an ID3v1 tag and the "MEXT" title trailer), the VBR
// header (Xing/Info with the LAME extension, or VBRI), and the frame walk. Only the head, the
// tail and (when asked for) a sliding window over the frames are ever read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mpa_header.h"
#include "mpa_reader.h"

enum : uint32_t {
    MPA_ID3V1_BYTES = 128,
    MPA_TRAILER_FOOTER_BYTES = 8,   // chunk-area length (LE32), then "MEXT"
    MPA_MAX_LEADING_JUNK = 65536,   // bytes searched for the first frame after any ID3v2 tag
    MPA_DECODER_DELAY = 529,        // samples the synthesis adds before the first real sample
    MPA_MAX_TRAILER_BYTES = 65536,  // a longer "MEXT" chunk area is not taken for a title trailer
    MPA_INDEX_SLOTS = 512,          // entries of the sparse frame index
};

// Offsets of every stride-th audio frame, in constant space: when the slots run out, every
// other entry is dropped and the stride doubles.
struct MpaFrameIndex {
    uint32_t stride;  // frames between entries (a power of two)
    uint32_t count;   // entries in use; entry i is frame i * stride
    uint64_t offset[MPA_INDEX_SLOTS];
};

struct MpaStreamInfo {
    size_t audioStart;         // first byte of the first frame (a VBR header frame included)
    size_t audioEnd;           // one past the last audio byte
    MpaHeader first;           // header of the first frame
    size_t id3v2Bytes;         // size of a leading ID3v2 tag, 0 when none
    int hasId3v1;              // 1 when the file ends with an ID3v1 tag
    size_t trailerBytes;       // size of the "MEXT" title trailer, 0 when none
    int hasChannelStatus;      // 1 when the trailer holds a "CHST" value
    uint8_t channelStatus[4];  // its four bytes, else zero
    int hasVbrHeader;          // 1 when the first frame is a Xing/Info/VBRI header (not audio)
    int vbr;                   // 1 when the header says VBR ("Xing" or VBRI) or the rate varies
    int hasGapless;            // 1 when a LAME extension gave the encoder delay and padding
    uint32_t encoderDelay;     // samples
    uint32_t encoderPadding;   // samples
    uint32_t frames;           // audio frames (VBR header frame excluded); counted by a walk,
                               // else from the VBR header, else nominal from bytes and bit rate
    int walked;                // 1 when frames, vbr and averageKbps come from a frame walk
    uint64_t decodedSamples;   // frames * samples per frame
    uint64_t skipSamples;      // samples to drop at the start for gapless playback
    uint64_t samples;          // samples per channel after gapless trimming
    uint32_t lengthMs;
    uint32_t averageKbps;  // bytes of the audio frames over their duration
};

// Examines the stream behind r. Returns 1 when it holds an MPEG audio stream (at least one
// frame, checked against the following frames), filling *info; 0 otherwise (RIFF and MIDI files
// are refused). With walk == 0 only the head and tail are read and the length comes from the
// VBR header, or for a constant bit rate from the stream bytes and the bit rate (what players
// show for such files). With walk == 1 every frame header is visited through a small window,
// giving exact counts, and indexOut (if given) gets the sparse frame index.
int MpaScanStream(const MpaReader* r, MpaStreamInfo* info, int walk, MpaFrameIndex* indexOut = nullptr);

// The next whole audio frame at or after *at within w (same stream as first), resynchronising
// past damage as the walk does. Returns 1 with *at on the frame and *out its header; 0 at the end.
int MpaNextFrame(MpaWindow* w, const MpaHeader* first, uint64_t* at, MpaHeader* out);
