// The player's audio output seam: a queue of 16-bit PCM buffers on one output device.
// tavply_output_win32.cpp drives waveOut; tavply_output_native.cpp is a clocked stand-in with
// the same timing behaviour, so the player logic is tested natively.
#pragma once
#include <cstdint>

enum : int {
    TAV_OUTPUT_BUFFERS = 16,         // buffers queued at most
    TAV_OUTPUT_BUFFER_FRAMES = 2048  // sample frames per buffer
};

struct TavOutput;

// Opens the output device whose name begins with namePrefix (the default device when the
// prefix is empty or no device matches). Returns null when no device can be opened.
TavOutput* TavOutputOpen(const char* namePrefix, uint32_t sampleRate, int channels);
void TavOutputClose(TavOutput* out);

// Buffers that can be queued now.
int TavOutputFreeBuffers(TavOutput* out);
// Queues frames (at most TAV_OUTPUT_BUFFER_FRAMES) of interleaved 16-bit samples; 1 on success.
int TavOutputWrite(TavOutput* out, const int16_t* pcm, uint32_t frames);
// Sample frames played (heard) since the device was opened or last reset.
uint64_t TavOutputPlayed(TavOutput* out);
// Pause keeps the queue; Restart continues; Reset drops the queue and zeroes the count.
void TavOutputPause(TavOutput* out);
void TavOutputRestart(TavOutput* out);
void TavOutputReset(TavOutput* out);
