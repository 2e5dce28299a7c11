// The hidden recorder window whose 10 ms timer drives audio capture. It exists from engine
// start-up to shutdown, owned by the main window and never shown.
#pragma once

int CreateRecorderWindow(void* owner, void* instance);  // 0 when it cannot be created
void UnregisterRecorderClass();
void* RecorderWindow();  // HWND, null when not created

// The capture timer (10 ms) runs only while capture is on, so an idle deck does not wake 100
// times a second. Capture turns it on and off.
void SetCaptureTimer(int running);
int CaptureTimerRunning();

void SetRecorderWindowFailForTest(int fail);
