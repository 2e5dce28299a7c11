// Native stand-in for the MCI windows: no windows, but the same outcomes, and switches that let
// tests fail creation or the silence open. Like the system, it holds the silence file it opened;
// the system refuses to delete a file held so, and the stand-in notes it when the file vanished
// while held ("silence file deleted while open").
#include <cstdio>
#include <string>

#include "base/native_calls.h"
#include "playback/mci_windows.h"
#include "playback/mpeg_libraries.h"

namespace {
struct MciWindowsFake {
    int created;              // windows "exist"
    int silenceOpen;          // a silence file is "open"
    int playerReady;          // MpegAudioPlayInit returned 0
    int failCreate;           // tests
    int failOpenSilence;      // tests
    std::string silencePath;  // the silence file held open
};
MciWindowsFake g_mci;
int g_fakeWindow;  // address used as the windows' handle
}  // namespace

int CreatePlaybackWindows(void*, void*) {
    if (g_mci.failCreate) return 0;
    g_mci.created = 1;
    NoteNativeCall("CreatePlaybackWindows");
    if (!g_mci.playerReady && PlayerInit()) g_mci.playerReady = 1;
    return 1;
}

// Lets go of the silence file, noting when it was deleted while held.
void ReleaseSilenceFile() {
    if (!g_mci.silenceOpen) return;
    std::FILE* f = std::fopen(g_mci.silencePath.c_str(), "rb");
    if (f)
        std::fclose(f);
    else
        NoteNativeCall("silence file deleted while open");
    g_mci.silenceOpen = 0;
}

void DestroyPlaybackWindows() {
    NoteNativeCall("DestroyPlaybackWindows");
    ReleaseSilenceFile();
    g_mci.created = 0;
    if (g_mci.playerReady) PlayerTerm();
    g_mci.playerReady = 0;
}

void* PlaybackWindow() { return g_mci.created ? &g_fakeWindow : nullptr; }
void* TrackSpaceWindow() { return g_mci.created ? &g_fakeWindow : nullptr; }
int PlayerReady() { return g_mci.playerReady; }

int OpenSilenceFile(const char* path) {
    if (!g_mci.created || g_mci.failOpenSilence) return 0;
    ReleaseSilenceFile();
    NoteNativeCall("OpenSilenceFile");
    g_mci.silenceOpen = 1;
    g_mci.silencePath = path;
    return 1;
}

void CloseSilenceFile() {
    NoteNativeCall("CloseSilenceFile");
    ReleaseSilenceFile();
}

void SetPlaybackWindowsFailForTest(int failCreate, int failOpenSilence) {
    g_mci.failCreate = failCreate;
    g_mci.failOpenSilence = failOpenSilence;
}
