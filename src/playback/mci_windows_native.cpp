// Native stand-in for the MCI windows: no windows, but the same outcomes, and switches that let
// tests fail creation or the silence open.
#include "playback/mci_windows.h"
#include "playback/mpeg_libraries.h"

namespace {
struct MciWindowsFake {
    int created;          // windows "exist"
    int silenceOpen;      // a silence file is "open"
    int playerReady;      // MpegAudioPlayInit returned 0
    int failCreate;       // tests
    int failOpenSilence;  // tests
};
MciWindowsFake g_mci;
int g_fakeWindow;  // address used as the windows' handle
}  // namespace

int CreatePlaybackWindows(void*, void*) {
    if (g_mci.failCreate) return 0;
    g_mci.created = 1;
    if (!g_mci.playerReady && PlayerInit()) g_mci.playerReady = 1;
    return 1;
}

void DestroyPlaybackWindows() {
    g_mci.created = 0;
    g_mci.silenceOpen = 0;
    if (g_mci.playerReady) PlayerTerm();
    g_mci.playerReady = 0;
}

void* PlaybackWindow() { return g_mci.created ? &g_fakeWindow : nullptr; }
void* TrackSpaceWindow() { return g_mci.created ? &g_fakeWindow : nullptr; }
int PlayerReady() { return g_mci.playerReady; }

int OpenSilenceFile(const char*) {
    if (!g_mci.created || g_mci.failOpenSilence) return 0;
    g_mci.silenceOpen = 1;
    return 1;
}

void CloseSilenceFile() { g_mci.silenceOpen = 0; }

void SetPlaybackWindowsFailForTest(int failCreate, int failOpenSilence) {
    g_mci.failCreate = failCreate;
    g_mci.failOpenSilence = failOpenSilence;
}
