// Audio capture: the wave-input device, its ring of buffers and the capture mode that decides
// whether captured sound reaches the record file. The deck arms, starts, pauses and stops it.
#pragma once
#include <cstdint>

// CaptureMode values.
enum { CAPTURE_OFF = 0, CAPTURE_ARMED = 1, CAPTURE_WAITING = 2, CAPTURE_WRITING = 3 };

// release = 1: open the wave-in device and start it; release = 0: capture already runs, re-arm.
int PrepareCapture(int release);
int StartWriting();            // 0 from Armed (moves to Waiting only), 1 when writing began
int PauseWriting();            // Armed with auto recording on, else Waiting
int ResumeWriting();           // Writing
int StopCapture(int release);  // release = 1 also closes the wave-in device
uint32_t GetRecordedMs();
void GetPeaks(int* leftOut, int* rightOut);
int GetCaptureMode();
void SetCaptureMode(int mode);
int GetStepsSinceLevel();
uint32_t GetRecordedInputRate();
int StoreInputStatus(const char* path);  // the input's channel status into the finished file

void ResetCaptureForTest();
