// Windows media window length: the file is opened in a private, hidden MCI window (so the track
// cued in the playback window stays open), asked for its length in ms and closed again.
#include "media/media_window.h"

#include "base/window_messages.h"
#include <windows.h>
#include <vfw.h>

namespace {
const char MCI_WINDOW_CLASS[] = "MCIWndClass";
}  // namespace

// The playback windows are MCI children of the main window, created during start-up.
int MediaWindowExists() {
    HWND main = FindWindowA(DECK_WINDOW_CLASS, nullptr);
    DWORD pid = 0;
    if (!main || !GetWindowThreadProcessId(main, &pid) || pid != GetCurrentProcessId()) return 0;
    return FindWindowExA(main, nullptr, MCI_WINDOW_CLASS, nullptr) != nullptr;
}

uint32_t MediaWindowLength(const char* path) {
    HWND w = MCIWndCreateA(nullptr, GetModuleHandleA(nullptr),
                           WS_POPUP | MCIWNDF_NOPLAYBAR | MCIWNDF_NOMENU | MCIWNDF_NOERRORDLG, nullptr);
    if (!w) return 0;
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
