// Windows build: the deck's windows. The property sheet is not wired to the deck yet, so it does
// nothing; the playlist window is the playlist's own.
#include "deck/deck_ui.h"

#include "deck/deck.h"
#include "playlist/playlist_window.h"

void RunFilePropertySheet(const char* path, const char* folder) {}

int OpenPlaylistWindow() {
    SetListWindowPlayHook(PlayTrackNumber);  // a double-clicked row plays through the deck
    return OpenListWindow();
}

void EnablePlaylistWindow(int enable) { EnableListWindow(enable); }

// The window follows the list's model directly; nothing of the transport changes what it shows.
void TellPlaylistWindowState(int deckState) {}
