// Frame positions in MPEG audio files for the divide and combine tools: the stream description
// from the player library's information call, byte positions for times, and the header search
// that puts every cut on a frame boundary.
#pragma once
#include <cstdint>
#include <thread>
#include <vector>
#include "media/media_file.h"

// What the tools need of an MPEG audio file.
struct MpegStreamInfo {
    uint32_t sampleRate;   // Hz
    uint32_t bitRate;      // kbit/s (the average for a variable rate)
    uint32_t layer;        // 1..3
    uint32_t versionBit;   // the header's ID bit (1 = MPEG-1)
    uint32_t layerCode;    // the layer bits as coded (3 = layer I ... 1 = layer III)
    uint64_t audioStart;   // first byte of the first frame (a VBR header frame included)
    uint64_t streamBytes;  // bytes of the audio stream from audioStart (tags not counted)
    int vbrHeader;         // the first frame is a Xing/Info/VBRI header frame, not audio
    int id3v2;             // an ID3v2 tag stands in front of the stream
};

enum {
    SAMPLES_PER_FRAME_LAYER1 = 384,
    SAMPLES_PER_FRAME = 1152,          // layer 2, and layer 3 of MPEG-1
    SAMPLES_PER_FRAME_LOW_RATE = 576,  // layer 3 of MPEG-2 (16, 22.05 and 24 kHz)
    MPEG_SYNC_OFFSET_COUNT = 5,        // SeekFirstMpegSync looks at 0, 128, 256, 384 and 512
    MPEG_SYNC_OFFSET_STEP = 128,
};

// Fills info from the player library's information call; 1 when the file is an MPEG audio
// stream with a sampling rate and a bit rate (without them no position can be computed).
int GetMpegStreamInfo(const char* path, MpegStreamInfo* infoOut);

// Samples in each frame of the stream: 384, 1152, or 576 for layer 3 at the low rates.
uint32_t MpegSamplesPerFrame(const MpegStreamInfo* info);

// Byte position in the stream for a time, from the nominal bit rate: whole frames of samples
// before ms, their bytes rounded to the nearest byte (a multiple of 4 for layer 1), then 4 bytes
// back so the header search starts just before the frame (unless at 0 or past the stream).
// Counted from the stream's start: a file position adds where the audio starts.
uint64_t MpegBytePosition(const MpegStreamInfo* info, uint32_t ms);

// Frame length F in bytes: samples per frame / rate x bit rate x 125, to the nearest byte; 0
// when the rate is 0.
uint32_t MpegFrameLength(const MpegStreamInfo* info);

// Searches forward from *position for a frame header of the stream (sync, version bit and
// layer as the stream's, a valid bit rate and the stream's sampling rate, and the next frame's
// header where the stream goes on). 1 with *position at the header's first byte; 0 with
// *position unchanged when none is found before the end of the file.
int FindMpegFrame(const char* path, uint64_t* position, const MpegStreamInfo* info);
// The same on an open file; frameBytesOut (optional) gets the found frame's own length, its
// padding byte included.
int FindMpegFrameIn(const MediaFile* file, uint64_t* position, const MpegStreamInfo* info,
                    uint32_t* frameBytesOut = nullptr);

// The first of the offsets 0, 128, 256, 384, 512 that holds a frame sync; 1 and *offsetOut when
// found, else 0.
int SeekFirstMpegSync(const MediaFile* file, uint64_t* offsetOut);

// Where the audio after a VBR header frame starts: the next frame header behind the one at
// audioStart; audioStart when the stream has no header frame or none follows it.
uint64_t FirstAudioFrame(const MediaFile* file, const MpegStreamInfo* info);

// A run of whole frames of one file, as it will stand in a new file.
struct FrameSpan {
    const MediaFile* file;
    uint64_t from, to;
};

// The header frame that opens a new layer III file made of the spans of sources that had one (one after the other,
// right behind the header): "Xing" when the frames' bit rates vary, "Info" when they do not,
// with the frame count, the byte count (header included) and the 100-entry seek table. Players
// take a file's length and seek points from it. Made in two steps: PlanVbrHeaderFrame sizes it
// from the first frame of the spans (the smallest bit rate that holds the header; no CRC) and
// fills in its header; 1 with frameOut that long, 0 (frameOut empty) for other layers or when no
// frame is found. FillVbrHeaderFrame walks all the frames and fills in the rest; 1 on success.
int PlanVbrHeaderFrame(const FrameSpan* spans, int count, std::vector<uint8_t>* frameOut);
int FillVbrHeaderFrame(const FrameSpan* spans, int count, std::vector<uint8_t>* frame);

// FillVbrHeaderFrame on a thread of its own, so that the walk over the frames runs while the
// caller copies them. The spans (kept alive by the caller until the finish) must read through
// handles of their own: a handle's file position is shared on Windows. FinishVbrHeaderFill
// waits for the walk and returns FillVbrHeaderFrame's result; it must follow every start.
struct VbrHeaderFill {
    std::thread walker;
    int result;
};
void StartVbrHeaderFill(const FrameSpan* spans, int count, std::vector<uint8_t>* frame, VbrHeaderFill* fill);
int FinishVbrHeaderFill(VbrHeaderFill* fill);
