// Playlist start-up and shutdown. The list's file and registry persistence fills these in; until
// then the list starts empty, nothing is saved and closing is always allowed.
#include "playlist/playlist_files.h"

namespace {
struct PlaylistFilesState {
    int started;          // PlaylistInit succeeded
    int failInitForTest;  // tests: PlaylistInit fails
};
PlaylistFilesState g_plf;
}  // namespace

int PlaylistInit(void*) {
    if (g_plf.failInitForTest) return 0;
    g_plf.started = 1;
    return 1;
}

int PlaylistShutdown() {
    g_plf.started = 0;
    return 1;
}

int PlaylistMayClose() { return 1; }
int PlaylistRebuilding() { return 0; }
void SetPlaylistInitFailForTest(int fail) { g_plf.failInitForTest = fail; }
