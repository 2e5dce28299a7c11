// The playlist window as the rest of the program sees it: the list's model tells it what
// changed, the deck opens it and disables it around its dialogs. Every call does nothing while
// the window is closed. The Win32 build has the real window (playlist_window_win32.cpp); the
// native build notes the calls, so tests see what a user would have seen change.
#pragma once
#include <cstdint>

// ---- from the model --------------------------------------------------------------------------
int PlaylistWindowIsOpen();                    // 1 while the window exists
void* ListWindowHandle();                      // its HWND, null while closed (owner of the list's dialogs)
void RefreshAll();                             // every row again, surplus rows gone, the selection and mark kept
void RefreshRow(int n);                        // row n (and its mark when it is the current entry)
void ShowTotals(uint32_t totalMs, int count);  // the totals panel, when either value changed
void ShowListName(const char* name);           // the title: a playlist file's full path, or "No Name"
void MarkCurrent(int n);                       // the current mark moves to row n (0: no row)
void EnableListWindow(int enable);             // around the main window's dialogs
void RefreshHistoryBox(int named);             // the history box again from the model's history

// ---- from the deck and the shell -------------------------------------------------------------
int RegisterPlaylistClass(void* instance);  // the window class "VORNEX_USB_PLAY_LIST"; 0 on failure
void UnregisterPlaylistClass(void* instance);
int OpenListWindow();    // creates the window, or restores and raises the open one; 0 on failure
void CloseListWindow();  // hides and destroys it, keeping its column widths in the layout
// Double-click (or Enter) on a row plays that entry; the deck, which sits above the list,
// registers the operation that does it.
typedef int (*PlayEntryHook)(int n);
void SetListWindowPlayHook(PlayEntryHook play);
// Files dropped on the window are added by AddDroppedFiles (playlist_view.h). The same batch
// also arrives as WM_COPYDATA sent to the window with this dwData and the NUL-separated paths
// (an extra NUL at the end), for callers that cannot hand over a drop.
enum { LIST_WINDOW_COPYDATA_DROP = 0x51444C57 };
// The Delete key (the main window's accelerator): the selected entry leaves the list.
void DeleteSelectedListEntry();

// ---- native build only -----------------------------------------------------------------------
struct ListWindowCalls {
    int open;          // the window counts as open
    int enabled;       // last EnableListWindow
    int refreshAll;    // RefreshAll calls
    int rows[8];       // the last rows RefreshRow was called for, oldest first
    int rowCalls;      // RefreshRow calls
    uint32_t totalMs;  // last ShowTotals
    int totalCount;
    int totalsCalls;
    char name[300];  // last ShowListName
    int nameCalls;
    int marked;  // last MarkCurrent
    int markCalls;
    int historyNamed;  // last RefreshHistoryBox
    int historyCalls;
};
const ListWindowCalls& ListWindowCallLog();
void SetPlaylistWindowOpenForTest(int open);
void ResetListWindowCallsForTest();  // clears the log; the open flag stays
