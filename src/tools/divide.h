// Divide: cuts the stretch between an In and an Out position of a WAVE or MPEG audio file into
// a new file. WAVE files are cut on block boundaries and keep the chunks behind their sound data
// (titles included); MPEG files are cut on frame boundaries and keep their ID3v1 fields.
#pragma once
#include <cstdint>

// Output extension for a media kind: ".wav", ".mpa", ".mp2", ".mp3"; null for MIDI (the typed
// extension stays).
const char* ToolExtensionForKind(int kind);

// Replaces the extension of path's file name by the kind's (see above), in place; path holds
// TOOL_PATH_BYTES. 0 when the result would not fit.
int ApplyKindExtension(char* path, int kind);

// Writes the ID3v1 fields of source's tag record into newPath when source has an ID3v1 tag (a
// title trailer is never carried over); 1 on success or when there was nothing to copy.
int CopyId3Fields(const char* newPath, const char* source);

// Divides source between inMs and outMs into destination. destination (TOOL_PATH_BYTES) is
// rewritten with the name actually used. Shows every message itself but the success message;
// 1 when the new file was made.
int DivideFile(char* destination, const char* source, uint32_t inMs, uint32_t outMs);

// The two cutters behind DivideFile, without its checks and messages. 1 on success; on failure
// nothing is left under destination's name.
int DivideWave(const char* destination, const char* source, uint32_t inMs, uint32_t outMs);
int DivideMpeg(const char* destination, const char* source, uint32_t inMs, uint32_t outMs);
