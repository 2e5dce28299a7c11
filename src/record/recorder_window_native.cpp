// Native stand-in for the recorder window: no window, a switch to fail its creation.
#include "base/native_calls.h"
#include "record/recorder_window.h"

namespace {
struct RecorderWindowFake {
    int created;  // the window "exists"
    int fail;     // tests: creation fails
};
RecorderWindowFake g_rec;
int g_fakeWindow;
}  // namespace

int CreateRecorderWindow(void*, void*) {
    if (g_rec.fail) return 0;
    g_rec.created = 1;
    NoteNativeCall("CreateRecorderWindow");
    return 1;
}
void UnregisterRecorderClass() {
    NoteNativeCall("UnregisterRecorderClass");
    g_rec.created = 0;
}
void* RecorderWindow() { return g_rec.created ? &g_fakeWindow : nullptr; }
void SetRecorderWindowFailForTest(int fail) { g_rec.fail = fail; }
