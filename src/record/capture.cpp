// Capture stand-in: keeps the capture mode and its transitions so the deck runs end to end while
// the wave-input ring is not yet wired. No sound is captured; the recorded time stays 0.
#include "record/capture.h"

#include "settings/settings.h"

namespace {
struct CaptureModule {
    int mode;        // CaptureMode
    int deviceOpen;  // the wave-in device is running
};
CaptureModule g_capture;
}  // namespace

int PrepareCapture(int release) {
    if (release || !g_capture.deviceOpen) {
        g_capture.deviceOpen = 1;
        g_capture.mode = Settings().recAutoRecording ? CAPTURE_ARMED : CAPTURE_WAITING;
        return 1;
    }
    g_capture.mode = CAPTURE_ARMED;
    return 1;
}

int StartWriting() {
    if (g_capture.mode == CAPTURE_ARMED) {
        g_capture.mode = CAPTURE_WAITING;
        return 0;
    }
    g_capture.mode = CAPTURE_WRITING;
    return 1;
}

int PauseWriting() {
    g_capture.mode = Settings().recAutoRecording ? CAPTURE_ARMED : CAPTURE_WAITING;
    return 1;
}

int ResumeWriting() {
    g_capture.mode = CAPTURE_WRITING;
    return 1;
}

int StopCapture(int release) {
    g_capture.mode = CAPTURE_OFF;
    if (release) g_capture.deviceOpen = 0;
    return 1;
}

uint32_t GetRecordedMs() { return 0; }

void GetPeaks(int* leftOut, int* rightOut) {
    if (leftOut) *leftOut = 0;
    if (rightOut) *rightOut = 0;
}

int GetCaptureMode() { return g_capture.mode; }
void SetCaptureMode(int mode) { g_capture.mode = mode; }
int GetStepsSinceLevel() { return 1000; }
uint32_t GetRecordedInputRate() { return 0; }
int StoreInputStatus(const char* path) { return path && path[0] ? 1 : 0; }

void ResetCaptureForTest() { g_capture = CaptureModule{}; }
