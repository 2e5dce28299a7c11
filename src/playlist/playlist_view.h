// What the playlist window shows, worked out without a window: its title, where it may sit on
// the screen, where its controls go, the texts and icons of the rows, the glyphs of the totals
// panel, the items of the history box and where the selection goes after a list operation. The
// Win32 window (playlist_window_win32.cpp) only puts these on the screen.
#pragma once
#include <cstdint>

#include "playlist/playlist_model.h"

enum {
    LIST_TITLE_BYTES = 320,  // "Quaverly Deck Play List - " and a 255-byte path
    LIST_CELL_BYTES = 256,
    LIST_COLUMNS = 4,  // track number, file name, time, title
    LIST_BUTTONS = 7,  // Up, Down, Clear, Save, Add, Delete, Close
    // Window size and minimum client area (the frame and caption are added by the window).
    LIST_DEFAULT_W = 400,
    LIST_DEFAULT_H = 360,
    LIST_MIN_CLIENT_W = 400,
    LIST_MIN_CLIENT_H = 180,
    // Totals panel.
    PANEL_W = 180,
    PANEL_H = 21,
    PANEL_GLYPH_Y = 5,
    PANEL_GLYPH_H = 11,
    PANEL_MAX_GLYPHS = 16,
    HISTORY_BOX_MAX_ITEMS = 20,  // a named list with more history than this shows an empty box
};

// The window title: "Quaverly Deck Play List - " and the list's name, which is the playlist
// file's full path while the list is named and "No Name" otherwise.
void ListWindowTitle(const char* name, char* out, int outBytes);

// Pulls a stored position back so the whole window is on the screen. A window wider or taller
// than the screen keeps its left or top edge at 0, so its caption stays reachable.
void ClampListWindow(int screenW, int screenH, int width, int height, int* leftInOut, int* topInOut);

struct ViewRect {
    int x, y, w, h;
};
// Where the controls go in a client area of clientW x clientH; historyBottom is the bottom edge
// of the history box (its height follows the font).
struct ListWindowLayout {
    ViewRect list;
    ViewRect buttons[LIST_BUTTONS];  // in control-id order 201..207
    ViewRect panel;
    ViewRect logo;  // the 78 x 11 image above the Close button
};
ListWindowLayout LayOutListWindow(int clientW, int clientH, int historyTop, int historyBottom);

// Column of each button in the button bitmap, in control-id order (the bitmap keeps Save and Add
// in the other order).
int ButtonBitmapColumn(int buttonIndex);

// Cell texts: "%.3d" of the number, the file name, "mmm:ss" of a probed entry (else "???:??"),
// the title.
void ListCellText(const PlaylistEntry& entry, int n, int column, char* out, int outBytes);
void EntryTimeText(const PlaylistEntry& entry, char* out, int outBytes);

// The icon of a row: the current entry is marked; an entry whose file cannot be opened now
// (deleted, renamed, or never there) shows the exclamation icon, whatever its probe found
// earlier; every other row shows its file kind's icon.
enum RowIcon { ROW_ICON_FILE = 0, ROW_ICON_CURRENT = 1, ROW_ICON_MISSING = 2 };
RowIcon ListRowIcon(const PlaylistEntry& entry, int n, int currentNumber);
// 1 while some entry has no length yet or its probe failed: the panel's pending mark.
int AnyEntryNotProbed();

// One glyph of the totals panel: srcX in the glyph strip, its width, dstX in the panel.
struct PanelGlyph {
    int srcX, width, dstX;
};
// The glyphs for a shown total, an entry count and whether some entry is still waiting for its
// probe. Returns the number of glyphs written (at most PANEL_MAX_GLYPHS).
int PanelGlyphs(uint32_t totalMs, int count, int anyUnprobed, PanelGlyph* out);
// Minutes and seconds of a length as the list shows them: rounded to the second, at most 9,999 minutes.
void MinutesSeconds(uint32_t ms, int* minutesOut, int* secondsOut);

// The history box: one item per history entry, then "No name" while the list is unnamed.
struct HistoryBoxPlan {
    int historyItems;  // items taken from the history, in order
    int noNameItem;    // 1: a "No name" item follows them
    int selected;      // index of the selected item, -1 for none
};
HistoryBoxPlan PlanHistoryBox(int named, int historyCount);
// The history entry (1-based) behind box item `index`, 0 for the "No name" item or none.
int HistoryEntryOfItem(const HistoryBoxPlan& plan, int index);

// The row (1-based) that is selected after a list operation on row n: the selection follows the
// moved entry; after a delete it stays at the same place, or on the last row when the deleted
// entry was the last one; 0 when the list is empty.
int RowAfterMoveUp(int n, int count);
int RowAfterMoveDown(int n, int count);
int RowAfterDelete(int n, int countAfter);

// ---- the window's list operations, over the model ---------------------------------------------
// A batch of files dropped on the window: `paths` holds NUL-separated paths and an extra NUL.
// They are added in order and reported once, as the playlist window's operation. Returns the
// first new row, 0 when none was added.
int AddDroppedFiles(const char* paths);
// The Delete button: entry n leaves the list; an emptied list is named "No Name" and a deleted
// current entry leaves no entry marked. Returns the row to select afterwards (0: none), -1 when
// n was not in the list.
int DeleteFromListWindow(int n);
