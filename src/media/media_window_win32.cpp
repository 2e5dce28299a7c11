// Windows media window length: the file is opened in a private, hidden MCI window (so the track
// cued in the playback window stays open), asked for its length in ms and closed again.
#include "media/media_window.h"

#include "base/window_messages.h"
#include <windows.h>
#include <vfw.h>

namespace {
const char MCI_WINDOW_CLASS[] = "MCIWndClass";

// This process's main window, or none while it is not made yet.
HWND OwnMainWindow() {
    HWND main = FindWindowA(DECK_WINDOW_CLASS, nullptr);
    DWORD pid = 0;
    if (!main || !GetWindowThreadProcessId(main, &pid) || pid != GetCurrentProcessId()) return nullptr;
    return main;
}
}  // namespace

// The playback windows are MCI children of the main window, created during start-up.
int MediaWindowExists() {
    HWND main = OwnMainWindow();
    return main && FindWindowExA(main, nullptr, MCI_WINDOW_CLASS, nullptr) != nullptr;
}

// The length window is a hidden child of the main window, as the playback windows are.
// MCIWndCreate makes every window it creates visible, and a top-level one with a caption: shown,
// that one would take the activation and the keyboard focus from wherever the user is (a
// dropped-down box rolls up, keys go astray) each time a list's files are probed in the
// background. A child is never activated, and it is hidden again before anything is drawn.
uint32_t MediaWindowLength(const char* path) {
    HWND main = OwnMainWindow();
    if (!main) return 0;
    HWND w = MCIWndCreateA(main, GetModuleHandleA(nullptr),
                           WS_CHILD | MCIWNDF_NOPLAYBAR | MCIWNDF_NOMENU | MCIWNDF_NOERRORDLG, nullptr);
    if (!w) return 0;
    ShowWindow(w, SW_HIDE);
    uint32_t ms = 0;
    if (SendMessageA(w, MCIWNDM_OPENA, 0, LPARAM(path)) == 0) {
        SendMessageA(w, MCIWNDM_SETTIMEFORMATA, 0, LPARAM("ms"));
        LONG len = MCIWndGetLength(w);
        ms = len > 0 ? uint32_t(len) : 0;
        MCIWndClose(w);
    }
    MCIWndDestroy(w);
    return ms;
}

void SetMediaWindowExistsForTest(int) {}
