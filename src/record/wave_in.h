// Wave-input seam: one open capture device and its 60 buffer headers. The Win32 build drives
// waveIn with a callback function; the native build is a fake device that tests fill on the
// fake clock. Either way a finished buffer is reported through MarkBufferFilled (capture.h),
// from whatever thread the device uses.
#pragma once
#include <cstdint>

enum { WAVE_IN_BUFFERS = 60 };

// Opens wave-in device index for 16-bit PCM. 1 = opened.
int WaveInOpen(uint32_t index, uint16_t channels, uint32_t sampleRate, uint16_t bits);
// Prepares header slot (0..59) for data and gives it to the device. 1 = queued.
int WaveInQueue(int slot, uint8_t* data, uint32_t bytes);
uint32_t WaveInRecordedBytes(int slot);  // bytes the device put into a returned buffer
int WaveInStart();
// Resets the device (every buffer comes back), unprepares all headers and closes it.
void WaveInClose();
int WaveInIsOpen();
// 1 once the device reported an error or went away while open (the capture then stops).
int WaveInFailed();

// Native build only: the fake device.
enum { FAKE_WAVE_IN_CONSTANT = 0, FAKE_WAVE_IN_COUNTER = 1 };
// Constant: every frame holds left, right. Counter: left and right hold a running frame number
// (its low 15 bits, right negated), so a test can find gaps and repeats in what was written.
void SetFakeWaveInSignal(int kind, int16_t left, int16_t right);
// Completes the oldest queued buffers as time passes: one per 100 ms of the fake clock since the
// last call (the clock is advanced here). Returns how many were filled.
int AdvanceFakeWaveIn(uint32_t ms);
void FillFakeWaveInBuffers(int count);  // completes count buffers at once
int FakeWaveInQueued();                 // buffers at the device
// Failures: opening device index fails (-1 = none), the n-th queue call fails (0 = never), the
// device reports an error.
void SetFakeWaveInFailures(int failOpenIndex, int failQueueAt, int deviceError);
void ResetFakeWaveIn();
