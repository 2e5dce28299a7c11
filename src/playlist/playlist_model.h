// The playlist: up to 999 files, numbered from 1, that the deck steps through. The deck asks for
// the count and the path of entry n, tells the list which entry is current, and implements next,
// previous and repeat itself. Titles and lengths are filled in by background probing, one entry
// per deck tick; the list remembers whether it changed since it was loaded or saved, and which
// playlist files were used last.
#pragma once
#include <cstdint>

enum {
    PLAYLIST_MAX_ENTRIES = 999,
    PLAYLIST_PATH_BYTES = 256,
    PLAYLIST_HISTORY_MAX = 10,
    PLAYLIST_GAP_MS = 4000,  // the silence "Insert 4 seconds space" puts between two tracks
};

// probeState values.
enum { Unprobed = 0, Probed = 1, Failed = 2 };

// Who asked for a list operation: its messages are owned by that window, and some naming
// decisions depend on it.
enum PlaylistOwner { OWNER_MAIN_WINDOW = 0, OWNER_PLAYLIST_WINDOW = 1 };

// Playlist message codes (PlaylistMessage).
enum {
    PLMSG_NO_MEMORY = 0,
    PLMSG_CANNOT_PLAY = 1,
    PLMSG_READ_ONLY = 2,
    PLMSG_NO_MORE_FILES = 3,
    PLMSG_SAVE_CHANGED = 4,
    PLMSG_NOT_FOUND = 5,
    PLMSG_PATH_TOO_LONG = 6,
    PLMSG_CANNOT_ADD_MORE = 7,
    PLMSG_FORMATS_UNSUPPORTED = 8,
};

struct PlaylistEntry {
    const char* path;      // full path as added
    const char* fileName;  // name and extension, for display
    const char* title;     // "Unknown" until probed
    uint32_t durationMs;   // 0 until probed, and when probing failed
    uint32_t probeState;
};

// ---- queries ---------------------------------------------------------------------------------
int GetEntryCount();
int GetEntryPath(int n, char* pathOut);        // PLAYLIST_PATH_BYTES; 0 outside 1..count
int GetEntry(int n, PlaylistEntry* entryOut);  // 0 outside 1..count; strings stay valid until the next change
int SetCurrentNumber(int n);                   // 0..999; the window marks entry n
int GetCurrentNumber();
int GetHistoryCount();
int GetHistoryPath(int k, char* pathOut);  // k in 1..count; PLAYLIST_PATH_BYTES
int PlaylistIsNamed();                     // named after a playlist file (history entry 1)
int PlaylistIsDirty();                     // changed since it was loaded or saved
uint32_t GetTotalMs();                     // sum of the probed entries' lengths
uint32_t GetTotalWithGapsMs();             // the same with 4 s before every probed entry but the first
uint32_t GetShownTotalMs();                // what the window shows: with gaps while the gap setting is on
int PlaylistProbeHeld();                   // background probing waits for the next list operation

// ---- adding ----------------------------------------------------------------------------------
// One sound file or playlist file (dropped, handed over, from the command line, a recording).
// 0 when refused; a refused file may leave a message for FinishAdd.
int AddPath(const char* path);
// Whether the path names a kind of file the list takes (a sound file or a playlist file).
int HasSupportedExtension(const char* path);
// Before a batch of dropped or handed-over paths.
void MarkBeforeDrop();
// Once after every add operation: names the list and reports what the operation ran into.
void FinishAdd(int fileCount, int owner);
// The main window's "Select file": the chosen files replace the list. 0 when cancelled.
int SelectFiles(void* owner);
// The playlist window's "Add files to playlist": the chosen files are appended.
int AddFilesDialog();

// ---- editing ---------------------------------------------------------------------------------
int DeleteEntry(int n);
// Moves entry n one place up (MOVE_UP) or down (MOVE_DOWN): entry 1 moved up goes to the end,
// the last entry moved down goes to the top. 0 for no such entry or while a question is open.
enum { MOVE_UP = -1, MOVE_DOWN = 1 };
int MoveEntry(int n, int step);
// The "Clear playlist" action: asks to save a changed, named list first; 0 on Cancel.
int ClearPlaylist();
// Empties the list without asking (a new list replaces it).
void ClearPlaylistWithoutPrompt();
int OpenHistoryEntry(int k);
// The "Save playlist" action: save dialog, then the file is written and names the list.
int SavePlaylist();
// Asks to save a changed, named list: 1 when nothing needed asking, 6 saved, 7 not saved,
// 2 cancelled (the caller stops what it was doing).
int PromptSaveChanges(int owner);
// After a file's title changed: every entry of that path (any letter case) reads it again.
int RefreshTitles(const char* path);

// ---- probing ---------------------------------------------------------------------------------
// Fills in entry n's length and title once: "Illegal File" when the probe gives no length,
// "File Not Found" when the file cannot be opened, "No Title" when it has none. 0 outside 1..count.
int ProbeEntry(int n);
// Called by the deck tick every 100 ms with DeckState: probes at most one entry, paced (see
// playlist_probe.cpp). The two states it paces by, as the deck numbers them (the deck sits above
// the playlist, so the numbers are repeated here and the tests check they agree).
enum { PROBE_DECK_PLAYING = 2, PROBE_DECK_RECORDING = 4 };
void ProbeTick(int32_t deckState);

// Shows a playlist message box (codes PLMSG_*); returns the answer.
int PlaylistMessage(int code, int owner);

void RefreshPlaylistView();  // redraws the playlist window's rows when it is open
void ResetPlaylistForTest();
