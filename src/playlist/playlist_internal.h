// Shared between the playlist's own files (model, probing, list files) and their tests; nothing
// else includes this. The list's state is one record owned by playlist_model.cpp.
#pragma once
#include <cstdint>

#include "playlist/playlist_model.h"

// An entry with its three strings inline: the 999 slots are one block that lives as long as the
// program, so adding an entry never allocates and cannot run out of memory half way.
struct PlaylistSlot {
    char path[PLAYLIST_PATH_BYTES];
    char fileName[PLAYLIST_PATH_BYTES];
    char title[PLAYLIST_PATH_BYTES];
    uint32_t durationMs;
    uint32_t probeState;
};

struct PlaylistVars {
    PlaylistSlot entries[PLAYLIST_MAX_ENTRIES];  // entry n lives in entries[n - 1]
    int entryCount;
    int dirty;  // changed since loaded from or saved to its playlist file
    int named;  // named after a playlist file, which is then history entry 1
    char history[PLAYLIST_HISTORY_MAX][PLAYLIST_PATH_BYTES];  // most recent first
    int historyCount;
    uint32_t totalMs;                         // sum of durationMs over the probed entries
    uint32_t totalWithGapsMs;                 // the same with PLAYLIST_GAP_MS for every probed entry but the first
    uint32_t shownTotalMs;                    // totalWithGapsMs while the gap setting is on, else totalMs
    int gapSettingSeen;                       // the gap setting as the last probe tick saw it
    int currentNumber;                        // the entry the window marks, 0 = none
    char lastAddedPath[PLAYLIST_PATH_BYTES];  // the last path added singly (naming rule)
    char messagePath[PLAYLIST_PATH_BYTES];    // path or name shown in the next message
    int unsupportedSeen;                      // a file of an unsupported kind was met in this add operation
    int addAttempts;                          // add attempts since the end of the last add operation
    int filesInOperation;                     // files handled so far in this add operation
    int passBase;                             // count before the latest multi-file add or probe pass; 0 after clearing
    int dropBase;        // count before a drop or hand-off, and after a playlist file named the list
    int acceptTempList;  // ".$$$" files are read as lists (restoring the unnamed list)
    int questionDepth;   // questions and dialogs of the list that are open; list operations wait for them
    // Background probing (playlist_probe.cpp).
    int probeHold;           // suspended: an operation or message box runs, or a pass has finished
    int probeBusy;           // an entry is being probed right now
    int probeNext;           // next entry the pass looks at
    int probeSeen;           // entry count the current pass was planned for
    int probePassEnd;        // last entry of the older part of the list in a new-batch pass
    int probeLimit;          // last entry the pass goes to this tick
    int probeNewBatch;       // the pass probes new entries first, then wraps to the older ones
    int probeWrapped;        // the pass has wrapped to the older entries
    uint32_t probeLastRun;   // tick count of the last probe tick that ran (ms)
    int probeRestart;        // the next tick starts a pass from entry 1
    uint32_t lastMidiProbe;  // tick count of the last pacing check that passed (ms)
};

PlaylistVars& PL();

// Adds one file (or reads one playlist file at `level`); every way of adding ends here.
int AddFile(const char* path, int level, int owner);
// Moves path to the top of the history (adding it, or replacing entry 10 when full); named := 1.
void PushHistory(const char* path);
// Drops the entry's length from the totals, as deleting entry n of a list of `count` does.
void RemoveFromTotals(const PlaylistSlot& slot, int count);
void UpdateShownTotal();
// Names the list "No Name" (only while the playlist window is open, which shows it).
void NameListNoName();
int IsListPath(const char* path);            // a ".spl" file, any letter case
void CopyPath(char* out, const char* text);  // bounded to PLAYLIST_PATH_BYTES
// The name without folder and extension ("C:\Lists\Party.spl" gives "Party").
void FileTitleOf(const char* path, char* out);
// The entry's title from its file (ID3v1 first), "No Title" when the file has none.
void ReadEntryTitle(PlaylistSlot* s);
