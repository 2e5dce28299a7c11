// The playlist: up to 999 files, numbered from 1, that the deck steps through. The deck asks for
// the count and the path of entry n, tells the list which entry is current, and implements next,
// previous and repeat itself.
#pragma once
#include <cstdint>

enum { PLAYLIST_MAX_ENTRIES = 999, PLAYLIST_PATH_BYTES = 256 };

// probeState values.
enum { Unprobed = 0, Probed = 1, Failed = 2 };

struct PlaylistEntry {
    const char* path;      // full path as added
    const char* fileName;  // name and extension, for display
    const char* title;     // "Unknown" until probed
    uint32_t durationMs;   // 0 until probed, and when probing failed
    uint32_t probeState;
};

int GetEntryCount();
int GetEntryPath(int n, char* pathOut);        // PLAYLIST_PATH_BYTES; 0 outside 1..count
int GetEntry(int n, PlaylistEntry* entryOut);  // 0 outside 1..count
int SetCurrentNumber(int n);                   // 0..999; the window marks entry n
int GetCurrentNumber();

int AddPath(const char* path);  // one sound file or playlist file; 0 when refused
int SelectFiles(void* owner);   // the "Select File" dialog; the chosen files replace the list
int DeleteEntry(int n);
int ClearPlaylist();  // asks to save a changed, named list first; 0 on Cancel
int RefreshTitles(const char* path);
// Fills in entry n's length and title once: "Illegal File" when the probe gives no length,
// "File Not Found" when the file cannot be opened, "No Title" when it has none. 0 outside 1..count.
int ProbeEntry(int n);
uint32_t GetTotalMs();       // sum of the probed entries' lengths
void RefreshPlaylistView();  // redraws the playlist window's rows when it is open

void ResetPlaylistForTest();
