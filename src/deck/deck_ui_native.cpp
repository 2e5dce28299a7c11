// Native build: no windows; the calls are counted so tests can see them.
#include "deck/deck_ui.h"
#include "deck/deck_ui_native.h"

namespace {
struct DeckUiModule {
    int sheetRuns;      // RunFilePropertySheet calls
    int playlistOpens;  // OpenPlaylistWindow calls
    int disabled;       // the playlist window is disabled
};
DeckUiModule g_ui;
}  // namespace

void RunFilePropertySheet(const char* path, const char* folder) { g_ui.sheetRuns++; }
int OpenPlaylistWindow() {
    g_ui.playlistOpens++;
    return 1;
}
void EnablePlaylistWindow(int enable) { g_ui.disabled = !enable; }
void TellPlaylistWindowState(int) {}

int PropertySheetRuns() { return g_ui.sheetRuns; }
int PlaylistWindowOpens() { return g_ui.playlistOpens; }
int PlaylistWindowDisabled() { return g_ui.disabled; }
void ResetDeckUiForTest() { g_ui = DeckUiModule{}; }
