// The MCI windows (Video for Windows' MCIWnd class), hidden children of the main window.
#include "playback/mci_windows.h"
#include "playback/mpeg_libraries.h"
#include <windows.h>
#include <vfw.h>
#include <cstring>

namespace {
// Child, overlapped-window frame bits, not visible; show name/pos/mode, notify mode changes.
const DWORD MCI_WINDOW_STYLE = 0x40CF0170;

struct MciWindows {
    HWND playback;    // plays WAVE, MIDI and whatever else MCI accepts
    HWND trackSpace;  // plays the silence files
    int playerReady;  // MpegAudioPlayInit returned 0
};
MciWindows g_mci;

HWND MakeMciWindow(HWND parent, HINSTANCE instance) {
    HWND w = MCIWndCreateA(parent, instance, MCI_WINDOW_STYLE, nullptr);
    if (!w) return nullptr;
    ShowWindow(w, SW_HIDE);  // MCIWndCreate shows the window whatever the style says
    char format[64] = "";
    SendMessageA(w, MCIWNDM_GETTIMEFORMATA, sizeof format, (LPARAM)format);
    if (std::strncmp(format, "milliseconds", 12) != 0 && std::strcmp(format, "ms") != 0)
        SendMessageA(w, MCIWNDM_SETTIMEFORMATA, 0, (LPARAM) "ms");
    return w;
}
}  // namespace

int CreatePlaybackWindows(void* parent, void* instance) {
    g_mci.playback = MakeMciWindow((HWND)parent, (HINSTANCE)instance);
    if (!g_mci.playback) return 0;
    g_mci.trackSpace = MakeMciWindow((HWND)parent, (HINSTANCE)instance);
    if (!g_mci.trackSpace) {
        SendMessageA(g_mci.playback, WM_CLOSE, 0, 0);
        g_mci.playback = nullptr;
        return 0;
    }
    if (!g_mci.playerReady && PlayerInit()) g_mci.playerReady = 1;
    return 1;
}

void DestroyPlaybackWindows() {
    if (g_mci.playback) {
        SendMessageA(g_mci.playback, MCI_CLOSE, 0, 0);
        SendMessageA(g_mci.playback, WM_CLOSE, 0, 0);
    }
    if (g_mci.trackSpace) SendMessageA(g_mci.trackSpace, WM_CLOSE, 0, 0);
    g_mci.playback = g_mci.trackSpace = nullptr;
    if (g_mci.playerReady) PlayerTerm();
    g_mci.playerReady = 0;
}

void* PlaybackWindow() { return g_mci.playback; }
void* TrackSpaceWindow() { return g_mci.trackSpace; }
int PlayerReady() { return g_mci.playerReady; }

int OpenSilenceFile(const char* path) {
    if (!g_mci.trackSpace) return 0;
    return SendMessageA(g_mci.trackSpace, MCIWNDM_OPENA, 0, (LPARAM)path) == 0;
}

void CloseSilenceFile() {
    if (g_mci.trackSpace) SendMessageA(g_mci.trackSpace, MCI_CLOSE, 0, 0);
}

void SetPlaybackWindowsFailForTest(int, int) {}
