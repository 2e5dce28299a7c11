// Windows build: the deck's windows. The file property sheet is the Edit sheet of the file tools;
// the playlist window is the playlist's own.
#include "deck/deck_ui.h"
#include "base/shell_handles.h"
#include "deck/deck.h"
#include "playlist/playlist_window.h"
#include "tools/edit_sheet.h"

void RunFilePropertySheet(const char* path, const char* folder) {
    OpenEditSheet(MainWindowHandle(), InstanceHandle(), path, folder);
}

int OpenPlaylistWindow() {
    SetListWindowPlayHook(PlayTrackNumber);  // a double-clicked row plays through the deck
    return OpenListWindow();
}

void EnablePlaylistWindow(int enable) { EnableListWindow(enable); }

// The window follows the list's model directly; nothing of the transport changes what it shows.
void TellPlaylistWindowState(int deckState) {}
