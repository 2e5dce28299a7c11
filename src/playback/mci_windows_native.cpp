// Native stand-in for the MCI windows: no windows and no sound, but the same answers, kept in a
// script that tests read and steer (a play makes the mode "playing", a stop or close "stopped").
// Like the system, the track-space window holds the silence file it opened; the system refuses
// to delete a file held so, and the stand-in notes it when the file vanished while held
// ("silence file deleted while open").
#include <cstdio>

#include "base/native_calls.h"
#include "playback/mci_windows.h"
#include "playback/mci_windows_native.h"
#include "playback/mpeg_libraries.h"

namespace {
struct MciWindowsFake {
    int created;          // windows "exist"
    int playerReady;      // MpegAudioPlayInit returned 0
    int failCreate;       // tests
    int failOpenSilence;  // tests
    MciWindowScript windows[MCI_WINDOW_COUNT];
    std::vector<std::string> calls;
};
MciWindowsFake g_mci;
int g_fakeWindow;  // address used as the windows' handle

int ValidWindow(int window) { return g_mci.created && window >= 0 && window < MCI_WINDOW_COUNT; }
void Log(int window, const std::string& what) { g_mci.calls.push_back(std::to_string(window) + " " + what); }

// Lets go of the silence file, noting when it was deleted while held.
void ReleaseSilenceFile() {
    std::string& held = g_mci.windows[MCI_TRACK_SPACE_WINDOW].openPath;
    if (held.empty()) return;
    std::FILE* f = std::fopen(held.c_str(), "rb");
    if (f)
        std::fclose(f);
    else
        NoteNativeCall("silence file deleted while open");
    held.clear();
}
}  // namespace

int CreatePlaybackWindows(void*, void*) {
    if (g_mci.failCreate) return 0;
    NoteNativeCall("CreatePlaybackWindows");
    g_mci.created = 1;
    if (!g_mci.playerReady && PlayerInit() == 0) g_mci.playerReady = 1;
    return 1;
}

void DestroyPlaybackWindows() {
    NoteNativeCall("DestroyPlaybackWindows");
    ReleaseSilenceFile();
    g_mci.created = 0;
    for (MciWindowScript& w : g_mci.windows) w.openPath.clear();
    if (g_mci.playerReady) PlayerTerm();
    g_mci.playerReady = 0;
}

void* PlaybackWindow() { return g_mci.created ? &g_fakeWindow : nullptr; }
void* TrackSpaceWindow() { return g_mci.created ? &g_fakeWindow : nullptr; }
int PlayerReady() { return g_mci.playerReady; }

long MciWindowOpen(int window, const char* path) {
    if (!ValidWindow(window)) return -1;
    Log(window, std::string("open ") + path);
    MciWindowScript& w = g_mci.windows[window];
    long result = (window == MCI_TRACK_SPACE_WINDOW && g_mci.failOpenSilence) ? 1 : w.openResult;
    if (result != 0) return result;
    if (window == MCI_TRACK_SPACE_WINDOW) {
        ReleaseSilenceFile();
        NoteNativeCall("OpenSilenceFile");
    }
    w.openPath = path;
    w.mode = MCI_MODE_VALUE_STOP;
    w.position = 0;
    return 0;
}

long MciWindowCommand(int window, int command, long param) {
    if (!ValidWindow(window)) return -1;
    MciWindowScript& w = g_mci.windows[window];
    switch (command) {
    case MCI_COMMAND_CLOSE:
        Log(window, "close");
        if (window == MCI_TRACK_SPACE_WINDOW) {
            NoteNativeCall("CloseSilenceFile");
            ReleaseSilenceFile();
        }
        w.openPath.clear();
        return 0;
    case MCI_COMMAND_PLAY:
        Log(window, "play");
        if (w.openPath.empty()) return 1;
        if (w.playResult == 0) w.mode = MCI_MODE_VALUE_PLAY;
        return w.playResult;
    case MCI_COMMAND_STOP:
        Log(window, "stop");
        if (!w.openPath.empty()) w.mode = MCI_MODE_VALUE_STOP;
        return 0;
    case MCI_COMMAND_SEEK:
        Log(window, "seek " + std::to_string(param));
        if (param >= 0) w.position = (uint32_t)param;
        return 0;
    }
    return 1;
}

uint32_t MciWindowPosition(int window) {
    return ValidWindow(window) && !g_mci.windows[window].openPath.empty() ? g_mci.windows[window].position : 0;
}

int MciWindowMode(int window) {
    if (!ValidWindow(window) || g_mci.windows[window].openPath.empty()) return MCI_MODE_VALUE_NOT_READY;
    return g_mci.windows[window].mode;
}

void SetPlaybackWindowsFailForTest(int failCreate, int failOpenSilence) {
    g_mci.failCreate = failCreate;
    g_mci.failOpenSilence = failOpenSilence;
}

MciWindowScript& MciScript(int window) { return g_mci.windows[window]; }
const std::vector<std::string>& MciCalls() { return g_mci.calls; }
void ResetMciWindowsForTest() { g_mci = MciWindowsFake{}; }
