// The recorder window: class "RECMCI", title "recwindow", 50 x 10 at 0,0, owned by the main
// window. Its capture timer (id 1) runs only while capture is on; the window's destruction kills
// it. The timer wakes every 100 ms and runs the 10 ms capture steps due (CaptureStepsDue): the
// device fills a buffer every 100 ms, and waking more often only cost CPU, under Wine three Wine
// server round trips each time, for nothing anyone could see or hear. A buffer goes back to the
// device at most a wake after it was filled, with 59 others queued behind it.
#include "record/recorder_window.h"
#include <windows.h>

#include "record/capture.h"

namespace {
const char RECORDER_CLASS[] = "RECMCI";
const char RECORDER_TITLE[] = "recwindow";
enum { CAPTURE_TIMER_ID = 1, CAPTURE_TIMER_MS = 100, RECORDER_W = 50, RECORDER_H = 10 };

struct RecorderWindowState {
    HWND window;         // the hidden window
    HINSTANCE instance;  // for unregistering the class
    int registered;      // RECMCI registered
    int timer;           // the capture timer runs
};
RecorderWindowState g_rec;

LRESULT CALLBACK RecorderWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == CAPTURE_TIMER_ID) CaptureStepsDue();
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, CAPTURE_TIMER_ID);
        g_rec.timer = 0;
        g_rec.window = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}
}  // namespace

int CreateRecorderWindow(void* owner, void* instance) {
    g_rec.instance = (HINSTANCE)instance;
    if (!g_rec.registered) {
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = RecorderWindowProc;
        wc.hInstance = g_rec.instance;
        wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
        wc.lpszClassName = RECORDER_CLASS;
        if (!RegisterClassA(&wc)) return 0;
        g_rec.registered = 1;
    }
    g_rec.window = CreateWindowExA(0, RECORDER_CLASS, RECORDER_TITLE, 0, 0, 0, RECORDER_W, RECORDER_H, (HWND)owner,
                                   nullptr, g_rec.instance, nullptr);
    return g_rec.window != nullptr;
}

void UnregisterRecorderClass() {
    if (g_rec.registered) UnregisterClassA(RECORDER_CLASS, g_rec.instance);
    g_rec.registered = 0;
}

void* RecorderWindow() { return g_rec.window; }
void SetCaptureTimer(int running) {
    if (!g_rec.window || running == g_rec.timer) return;
    if (running)
        g_rec.timer = SetTimer(g_rec.window, CAPTURE_TIMER_ID, CAPTURE_TIMER_MS, nullptr) != 0;
    else {
        KillTimer(g_rec.window, CAPTURE_TIMER_ID);
        g_rec.timer = 0;
    }
}

int CaptureTimerRunning() { return g_rec.timer; }

void SetRecorderWindowFailForTest(int) {}
