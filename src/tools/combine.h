// Combine: joins two sound files of the same format, one after the other, into a new file.
// WAVE files become one data chunk behind the first file's header; MPEG files are joined as
// runs of whole frames and keep the first file's ID3v1 fields.
#pragma once
#include <cstdint>
#include "tools/mpeg_frames.h"

// Joins file1 and file2 into destination (TOOL_PATH_BYTES, rewritten with the name actually
// used). Every compatibility problem is reported before anything is written. Shows every message
// itself but the success message; 1 when the new file was made.
int CombineFiles(char* destination, const char* file1, const char* file2);

// The two joiners behind CombineFiles, without its checks. 1 on success; on failure nothing is
// left under destination's name.
int CombineWave(const char* destination, const char* file1, const char* file2);
int CombineMpeg(const char* destination, const char* file1, const char* file2);

// Moves *end back to the end of the last whole frame that fits before it: for k = 0..999 a
// header search from *end - k x F (F the nominal frame length); the first header h whose frame
// ends by *end gives that end. The frame's own length counts, not F: in a stream whose frames
// alternate between F and F - 1 bytes (the padding bit), h + F could end one byte into the
// next frame. 1 when found; 0 with *end unchanged.
int FindLastWholeFrameEnd(const MediaFile* file, uint64_t* end, uint32_t frameLength, const MpegStreamInfo* info);
