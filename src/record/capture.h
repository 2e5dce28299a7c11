// Audio capture: the wave-input device, its ring of 60 buffers of 100 ms and the capture mode
// that decides whether captured sound reaches the record file. The deck arms, starts, pauses and
// stops it; the recorder window's timer runs the 10 ms capture steps due while capture is on.
#pragma once
#include <cstdint>

#include "hardware/device.h"

// CaptureMode values.
enum { CAPTURE_OFF = 0, CAPTURE_ARMED = 1, CAPTURE_WAITING = 2, CAPTURE_WRITING = 3 };
// Capture device kinds.
enum { CAPTURE_DEVICE_NONE = 0, CAPTURE_DEVICE_NAMED = 1, CAPTURE_DEVICE_FALLBACK = 2 };
// RecordedInputRate besides the locked rates 32000, 44100, 48000.
enum { INPUT_RATE_NO_DEVICE = 0, INPUT_RATE_UNLOCKED = 2, INPUT_RATE_UNREADABLE = 3 };
enum {
    CAPTURE_RING_BUFFERS = 60,
    CAPTURE_MAX_HELD = 40,           // filled buffers kept back from the driver: 4 s of history
    CAPTURE_WRITE_BUDGET_MS = 50,    // writing time per step, so the window stays responsive
    CAPTURE_DISK_CHECK_STEPS = 100,  // steps between two free-space checks
    CAPTURE_STEP_MS = 10,            // the step period every count of steps is made in
    CAPTURE_CATCH_UP_STEPS = 20,     // steps run at most on one wake (two timer periods); a longer stall is skipped
};

// release = 1: open the wave-in device and start it; release = 0: capture already runs, re-arm.
int PrepareCapture(int release);
int StartWriting();            // 0 from Armed (moves to Waiting only), 1 when writing began
int PauseWriting();            // Armed with auto recording on, else Waiting
int ResumeWriting();           // Writing
int StopCapture(int release);  // release = 1 also closes the wave-in device
void CaptureStep();            // one capture step
// The steps due since the last call, one per CAPTURE_STEP_MS: the recorder window's timer wakes
// less often than the step period and runs these, so every count of steps means the same time.
void CaptureStepsDue();
uint32_t GetRecordedMs();      // whole seconds of audio written, in ms
void GetPeaks(int* leftOut, int* rightOut);
int GetCaptureMode();
void SetCaptureMode(int mode);
int GetStepsSinceLevel();
uint32_t GetRecordedInputRate();
int GetCaptureDeviceKind();
uint16_t GetLostBufferCount();
void GetInputChannelStatus(uint8_t statusOut[CHANNEL_STATUS_BYTES]);
int StoreInputStatus(const char* path);  // the input's channel status into the finished file

// The deck's operations the recorder calls: stopping a recording (a failure, a full disk) and
// auto recording's start and split. The deck sits above the recorder and registers them.
struct RecorderDeckHooks {
    int (*stopRecording)();  // the Stop key's operation
    int (*autoStart)();      // sound arrived: start writing
    int (*autoSplit)();      // silence: end this file, arm the next
};
void SetRecorderDeckHooks(const RecorderDeckHooks& hooks);

// Wave service thread: the device is done with buffer slot (0..59). Only stores its flag.
void MarkBufferFilled(int slot);
// Frees the ring and the encoder's work buffers, closing the device first if it is open.
void ReleaseCaptureRing();

void ResetCaptureForTest();
