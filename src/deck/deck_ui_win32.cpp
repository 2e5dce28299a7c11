// Windows build: the file property sheet is the Edit sheet of the file tools; the playlist
// window is not wired to the deck yet, so its calls do nothing.
#include "deck/deck_ui.h"
#include "base/shell_handles.h"
#include "tools/edit_sheet.h"

void RunFilePropertySheet(const char* path, const char* folder) {
    OpenEditSheet(MainWindowHandle(), InstanceHandle(), path, folder);
}
int OpenPlaylistWindow() { return 0; }
void EnablePlaylistWindow(int enable) {}
void TellPlaylistWindowState(int deckState) {}
