// The MCI windows (Video for Windows' MCIWnd class), hidden children of the main window.
#include "playback/mci_windows.h"
#include "playback/mpeg_libraries.h"
#include <windows.h>
#include <vfw.h>
#include <cstring>

namespace {
// Child, overlapped-window frame bits, not visible; show name/pos/mode, notify mode changes.
const DWORD MCI_WINDOW_STYLE = 0x40CF0170;
// MCIWnd polls its device on a timer while a file is open; the deck polls the mode itself on its
// own tick, so the windows' timers are slowed right down to keep an idle deck idle.
const WPARAM MCI_WINDOW_ACTIVE_TIMER_MS = 1000;
const LPARAM MCI_WINDOW_INACTIVE_TIMER_MS = 5000;

struct MciWindows {
    HWND windows[MCI_WINDOW_COUNT];  // playback window, track-space window
    MCIDEVICEID silenceDevice;       // wave-audio device open for the track-space window, 0 = none
    int playerReady;                 // MpegAudioPlayInit returned 0
};
MciWindows g_mci;

HWND MakeMciWindow(HWND parent, HINSTANCE instance) {
    HWND w = MCIWndCreateA(parent, instance, MCI_WINDOW_STYLE, nullptr);
    if (!w) return nullptr;
    ShowWindow(w, SW_HIDE);  // MCIWndCreate shows the window whatever the style says
    SendMessageA(w, MCIWNDM_SETTIMERS, MCI_WINDOW_ACTIVE_TIMER_MS, MCI_WINDOW_INACTIVE_TIMER_MS);
    char format[64] = "";
    SendMessageA(w, MCIWNDM_GETTIMEFORMATA, sizeof format, (LPARAM)format);
    if (std::strncmp(format, "milliseconds", 12) != 0 && std::strcmp(format, "ms") != 0)
        SendMessageA(w, MCIWNDM_SETTIMEFORMATA, 0, (LPARAM) "ms");
    return w;
}

HWND Window(int window) { return window >= 0 && window < MCI_WINDOW_COUNT ? g_mci.windows[window] : nullptr; }

// The silence files end in ".$$$", which MCI cannot map to a device by itself; naming the
// wave-audio device explicitly spares the user any MCI registration (the deck runs from a plain
// folder). MCIWnd's open has no way to name the device, so the track-space window's file is
// opened on the device directly and the window stays its owner for notifications.
long OpenSilenceDevice(const char* path) {
    MCI_OPEN_PARMSA open = {};
    open.lpstrDeviceType = "waveaudio";
    open.lpstrElementName = path;
    MCIERROR err = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT, (DWORD_PTR)&open);
    if (err) return (long)err;
    g_mci.silenceDevice = open.wDeviceID;
    MCI_SET_PARMS set = {};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    mciSendCommandA(g_mci.silenceDevice, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, (DWORD_PTR)&set);
    return 0;
}

long SilenceCommand(int command, long param) {
    if (!g_mci.silenceDevice) return MCIERR_DEVICE_NOT_READY;
    MCI_GENERIC_PARMS generic = {};
    generic.dwCallback = (DWORD_PTR)g_mci.windows[MCI_TRACK_SPACE_WINDOW];
    switch (command) {
    case MCI_COMMAND_CLOSE: {
        MCIERROR err = mciSendCommandA(g_mci.silenceDevice, MCI_CLOSE, MCI_WAIT, (DWORD_PTR)&generic);
        g_mci.silenceDevice = 0;
        return (long)err;
    }
    case MCI_COMMAND_PLAY: {
        MCI_PLAY_PARMS play = {};
        return (long)mciSendCommandA(g_mci.silenceDevice, MCI_PLAY, 0, (DWORD_PTR)&play);
    }
    case MCI_COMMAND_STOP: return (long)mciSendCommandA(g_mci.silenceDevice, MCI_STOP, MCI_WAIT, (DWORD_PTR)&generic);
    case MCI_COMMAND_SEEK: {
        MCI_SEEK_PARMS seek = {};
        DWORD flags = MCI_WAIT;
        if (param == -1)
            flags |= MCI_SEEK_TO_START;
        else if (param == -2)
            flags |= MCI_SEEK_TO_END;
        else {
            flags |= MCI_TO;
            seek.dwTo = (DWORD)param;
        }
        return (long)mciSendCommandA(g_mci.silenceDevice, MCI_SEEK, flags, (DWORD_PTR)&seek);
    }
    }
    return MCIERR_UNRECOGNIZED_COMMAND;
}

DWORD_PTR SilenceStatus(DWORD item) {
    if (!g_mci.silenceDevice) return 0;
    MCI_STATUS_PARMS status = {};
    status.dwItem = item;
    if (mciSendCommandA(g_mci.silenceDevice, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, (DWORD_PTR)&status)) return 0;
    return status.dwReturn;
}
}  // namespace

int CreatePlaybackWindows(void* parent, void* instance) {
    HWND playback = MakeMciWindow((HWND)parent, (HINSTANCE)instance);
    if (!playback) return 0;
    HWND trackSpace = MakeMciWindow((HWND)parent, (HINSTANCE)instance);
    if (!trackSpace) {
        SendMessageA(playback, WM_CLOSE, 0, 0);
        return 0;
    }
    g_mci.windows[MCI_PLAYBACK_WINDOW] = playback;
    g_mci.windows[MCI_TRACK_SPACE_WINDOW] = trackSpace;
    if (!g_mci.playerReady && PlayerInit()) g_mci.playerReady = 1;
    return 1;
}

void DestroyPlaybackWindows() {
    if (g_mci.silenceDevice) SilenceCommand(MCI_COMMAND_CLOSE, 0);
    for (HWND& w : g_mci.windows) {
        if (w) SendMessageA(w, WM_CLOSE, 0, 0);
        w = nullptr;
    }
    if (g_mci.playerReady) PlayerTerm();
    g_mci.playerReady = 0;
}

void* PlaybackWindow() { return g_mci.windows[MCI_PLAYBACK_WINDOW]; }
void* TrackSpaceWindow() { return g_mci.windows[MCI_TRACK_SPACE_WINDOW]; }
int PlayerReady() { return g_mci.playerReady; }

long MciWindowOpen(int window, const char* path) {
    HWND w = Window(window);
    if (!w) return MCIERR_DEVICE_NOT_READY;
    if (window == MCI_TRACK_SPACE_WINDOW) return OpenSilenceDevice(path);
    return (long)SendMessageA(w, MCIWNDM_OPENA, 0, (LPARAM)path);
}

long MciWindowCommand(int window, int command, long param) {
    HWND w = Window(window);
    if (!w) return MCIERR_DEVICE_NOT_READY;
    if (window == MCI_TRACK_SPACE_WINDOW) return SilenceCommand(command, param);
    return (long)SendMessageA(w, (UINT)command, 0, (LPARAM)param);
}

uint32_t MciWindowPosition(int window) {
    HWND w = Window(window);
    if (!w) return 0;
    if (window == MCI_TRACK_SPACE_WINDOW) return (uint32_t)SilenceStatus(MCI_STATUS_POSITION);
    return (uint32_t)SendMessageA(w, MCIWNDM_GETPOSITIONA, 0, 0);
}

int MciWindowMode(int window) {
    HWND w = Window(window);
    if (!w) return MCI_MODE_VALUE_NOT_READY;
    if (window == MCI_TRACK_SPACE_WINDOW)
        return g_mci.silenceDevice ? (int)SilenceStatus(MCI_STATUS_MODE) : MCI_MODE_VALUE_NOT_READY;
    return (int)SendMessageA(w, MCIWNDM_GETMODEA, 0, 0);
}

void SetPlaybackWindowsFailForTest(int, int) {}
