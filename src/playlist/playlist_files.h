// Playlist start-up and shutdown: allocating the list and its history, restoring the last list,
// and saving them again at the end of the run; also whether the deck may close now.
#pragma once

int PlaylistInit(void* mainWindow);  // 0 when the tables cannot be allocated
int PlaylistShutdown();              // saves the list and the history; 0 on failure
int PlaylistMayClose();              // 0 when the user cancels saving a changed list
int PlaylistRebuilding();            // 1 while the list is being rebuilt (the tick waits)

void SetPlaylistInitFailForTest(int fail);
