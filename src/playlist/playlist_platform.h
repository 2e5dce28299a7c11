// What the playlist needs from the platform besides files: the two file dialogs, the program's
// own folder, and the main window it disables around its questions (the playlist window is
// playlist_window.h). The Win32
// build uses the common dialogs and the window manager; the native build answers from a script,
// so the list's operations are tested whole.
#pragma once
#include <cstdint>

enum {
    SELECT_RESULT_BYTES = 999 * 256,  // room for 999 names of 256 bytes in one multi-selection
    PLAYLIST_DIALOG_PATH_BYTES = 256,
};

// The "Select File" dialog (multiple selection, files must exist). resultOut receives either one
// path followed by two zeros, or a folder, a zero, the chosen names each followed by a zero, and
// a final zero. initialFolder may be empty. 1 on OK, 0 when cancelled.
int RunSelectFileDialog(const char* initialFolder, char* resultOut, uint32_t resultBytes);

// The "Save playlist" dialog. pathInOut holds the proposed name (may be empty) and receives the
// chosen path (PLAYLIST_DIALOG_PATH_BYTES). askOverwrite: ask before replacing an existing file.
// 1 on OK, 0 when cancelled.
int RunSavePlaylistDialog(char* pathInOut, int askOverwrite);

// The folder of the running program, ending in a separator.
void ProgramFolder(char* folderOut, int bytes);

void EnableMainWindow(int enable);  // the deck's main window, around the list's questions

// ---- Native build only: the script the dialogs answer from ----------------------------------
// The next "Select File" result: `bytes` bytes as the dialog would leave them; null = Cancel.
void QueueSelectFileResult(const char* result, uint32_t bytes);
// The next save dialog answer: the chosen path, or null for Cancel.
void QueueSaveDialogResult(const char* path);
int SaveDialogAskedOverwrite();        // askOverwrite of the last save dialog
const char* SaveDialogProposedName();  // the name the last save dialog proposed
void SetProgramFolderForTest(const char* folder);
void ResetPlaylistPlatformForTest();
