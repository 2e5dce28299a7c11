// The recorder window: class "RECMCI", title "recwindow", 50 x 10 at 0,0, owned by the main
// window. Its creation starts the capture timer (id 1, 10 ms); its destruction kills it.
#include "record/recorder_window.h"
#include <windows.h>

namespace {
const char RECORDER_CLASS[] = "RECMCI";
const char RECORDER_TITLE[] = "recwindow";
enum { CAPTURE_TIMER_ID = 1, CAPTURE_TIMER_MS = 10, RECORDER_W = 50, RECORDER_H = 10 };

struct RecorderWindowState {
    HWND window;         // the hidden window
    HINSTANCE instance;  // for unregistering the class
    int registered;      // RECMCI registered
};
RecorderWindowState g_rec;

LRESULT CALLBACK RecorderWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: SetTimer(hwnd, CAPTURE_TIMER_ID, CAPTURE_TIMER_MS, nullptr); return 0;
    case WM_TIMER: return 0;  // the capture step runs here once capture exists
    case WM_DESTROY:
        KillTimer(hwnd, CAPTURE_TIMER_ID);
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
void SetRecorderWindowFailForTest(int) {}
