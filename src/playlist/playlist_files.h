// Playlist files and the list's life across runs: reading and writing ".spl" files, the save
// dialog, and the start-up and shutdown of the playlist with its registry key "ListInformation\"
// (the history "file1".."file10" and "NoName", the unnamed list kept in NoName.$$$ in the
// program's folder).
#pragma once

#define PLAYLIST_KEY_PATH "SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\ListInformation\\"

enum { PLAYLIST_MAX_NESTING = 3 };  // a list file read from a list read from a list: no deeper

// Reads a list file and adds its entries (AddFile). 1 when the file was read, even when entries
// were refused; 0 when it cannot be opened or level is above PLAYLIST_MAX_NESTING.
int ReadPlaylistFile(const char* path, int level, int owner);
// Writes the whole list to path (replacing it in one step) and clears the changed flag. 0 when
// the file cannot be written; an existing file then stays as it was.
int WritePlaylistFile(const char* path);
// The save dialog with nameInOut (256 bytes) as the proposed name; askOverwrite asks before
// replacing a file. 1 with the chosen path in nameInOut; 0 when cancelled or the file is read-only.
int SaveDialog(int owner, char* nameInOut, int askOverwrite);

int PlaylistInit(void* mainWindow);  // 0 when the tables cannot be allocated
int PlaylistShutdown();              // saves the history and the unnamed list; always 1
int PlaylistMayClose();              // 0 when the user cancels saving a changed list
int PlaylistRebuilding();            // 1 while an entry is being probed (the tick waits)

void SetPlaylistInitFailForTest(int fail);
