// Windows build: the property sheet and the playlist window are not wired to the deck yet, so
// these calls do nothing; the transport around them still runs.
#include "deck/deck_ui.h"

void RunFilePropertySheet(const char* path, const char* folder) {}
int OpenPlaylistWindow() { return 0; }
void EnablePlaylistWindow(int enable) {}
void TellPlaylistWindowState(int deckState) {}
