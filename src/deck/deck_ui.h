// Windows the deck opens or disables around its operations: the file property sheet and the
// playlist window. A seam, so the transport stays free of window code.
#pragma once

// Runs the file property sheet on path (may be empty) with folder as its start folder; returns
// when the sheet is closed.
void RunFilePropertySheet(const char* path, const char* folder);
int OpenPlaylistWindow();                     // opens the playlist window, or raises it when open
void EnablePlaylistWindow(int enable);        // no effect while the playlist window is closed
void TellPlaylistWindowState(int deckState);  // the playlist window follows the transport
