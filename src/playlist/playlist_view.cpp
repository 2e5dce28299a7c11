// The playlist window's decisions, kept apart from its Win32 code so they are tested natively:
// title, clamping, layout, cell texts, row icons, the totals panel's glyphs, the history box's
// items and the selection after Up, Down and Delete.
#include "playlist/playlist_view.h"

#include <cstdio>
#include <cstring>

#include "media/media_file.h"
#include "playlist/playlist_internal.h"
#include "playlist/playlist_window.h"

namespace {
const char LIST_WINDOW_TITLE[] = "Quaverly Deck Play List";
const char TIME_UNKNOWN[] = "???:??";

enum {
    MAX_MINUTES = 9999,
    // Layout, in client pixels.
    MARGIN = 10,
    LIST_GAP_BELOW_HISTORY = 4,
    LIST_BOTTOM_MARGIN = 28,
    BUTTON_W = 40,
    BUTTON_H = 14,
    BUTTON_STEP = 42,
    BUTTON_FROM_BOTTOM = 24,
    CLOSE_FROM_RIGHT = 50,
    PANEL_FROM_RIGHT = 190,
    LOGO_W = 78,
    LOGO_H = 11,
    LOGO_FROM_RIGHT = 135,
    LOGO_FROM_BOTTOM = 22,
};

// Glyph strip 161 (row 0): digits are 5 wide at x = digit * 5, the blank at 50. A digit's
// segments reach both edges of its cell, so digits are set 6 apart, as on the deck's rate
// display: set 5 apart, a 1 would run into the digit after it and read as a thick bar.
enum { DIGIT_W = 5, DIGIT_PITCH = 6, BLANK_X = 50 };
struct PanelPiece {
    int srcX, width, dstX;
};
// strip x, width, panel x
const PanelPiece PANEL_LABEL = {98, 25, 6};         // the total's label
const PanelPiece PANEL_SEPARATOR = {70, 5, 64};     // between minutes and seconds
const PanelPiece PANEL_PENDING = {154, 17, 85};     // some entry still waits for its probe
const PanelPiece PANEL_COUNT_OPEN = {145, 5, 106};  // before the count
const PanelPiece PANEL_WORD_ONE = {124, 16, 141};   // "file"
const PanelPiece PANEL_WORD_MANY = {124, 20, 141};  // "files"
const PanelPiece PANEL_COUNT_CLOSE = {149, 5, 162};
enum { MINUTES_X = 36, SECONDS_X = 71, COUNT_X = 113 };

// Bitmap columns of the buttons, in control-id order: Up, Down, Clear, Save, Add, Delete, Close.
const int BUTTON_COLUMNS[LIST_BUTTONS] = {0, 1, 2, 5, 3, 4, 6};

PanelGlyph Glyph(const PanelPiece& p) { return PanelGlyph{p.srcX, p.width, p.dstX}; }

// `digits` digits of value at dstX; leading zeros become blanks when `blankLead` is set.
int PutNumber(PanelGlyph* out, int at, int value, int digits, int dstX, int blankLead) {
    char text[8];
    std::snprintf(text, sizeof text, blankLead ? "%*d" : "%0*d", digits, value);
    for (int i = 0; i < digits; ++i) {
        int src = text[i] == ' ' ? BLANK_X : (text[i] - '0') * DIGIT_W;
        out[at++] = PanelGlyph{src, DIGIT_W, dstX + i * DIGIT_PITCH};
    }
    return at;
}
}  // namespace

void ListWindowTitle(const char* name, char* out, int outBytes) {
    std::snprintf(out, (size_t)outBytes, "%s - %s", LIST_WINDOW_TITLE, name && name[0] ? name : "No Name");
}

void ClampListWindow(int screenW, int screenH, int width, int height, int* leftInOut, int* topInOut) {
    int left = *leftInOut, top = *topInOut;
    if (left > screenW - width) left = screenW - width;
    if (top > screenH - height) top = screenH - height;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    *leftInOut = left;
    *topInOut = top;
}

ListWindowLayout LayOutListWindow(int clientW, int clientH, int historyTop, int historyBottom) {
    ListWindowLayout l;
    int listTop = historyBottom + LIST_GAP_BELOW_HISTORY;
    l.list = ViewRect{MARGIN, listTop, clientW - 2 * MARGIN, clientH - LIST_BOTTOM_MARGIN - listTop};
    if (l.list.w < 0) l.list.w = 0;
    if (l.list.h < 0) l.list.h = 0;
    int buttonY = clientH - BUTTON_FROM_BOTTOM;
    for (int i = 0; i < LIST_BUTTONS - 1; ++i)
        l.buttons[i] = ViewRect{MARGIN + i * BUTTON_STEP, buttonY, BUTTON_W, BUTTON_H};
    l.buttons[LIST_BUTTONS - 1] = ViewRect{clientW - CLOSE_FROM_RIGHT, buttonY, BUTTON_W, BUTTON_H};
    int historyCentre = (historyTop + historyBottom) / 2;
    l.panel = ViewRect{clientW - PANEL_FROM_RIGHT, historyCentre - PANEL_H / 2, PANEL_W, PANEL_H};
    l.logo = ViewRect{clientW - LOGO_FROM_RIGHT, clientH - LOGO_FROM_BOTTOM, LOGO_W, LOGO_H};
    return l;
}

int ButtonBitmapColumn(int buttonIndex) {
    return buttonIndex >= 0 && buttonIndex < LIST_BUTTONS ? BUTTON_COLUMNS[buttonIndex] : 0;
}

void MinutesSeconds(uint32_t ms, int* minutesOut, int* secondsOut) {
    uint64_t rounded = (uint64_t)ms + 500;  // 2^32 - 1 ms must not wrap to 0
    uint64_t minutes = rounded / 60000;
    *minutesOut = minutes > MAX_MINUTES ? MAX_MINUTES : (int)minutes;
    *secondsOut = (int)((rounded / 1000) % 60);
}

void EntryTimeText(const PlaylistEntry& entry, char* out, int outBytes) {
    if (entry.probeState != Probed) {
        std::snprintf(out, (size_t)outBytes, "%s", TIME_UNKNOWN);
        return;
    }
    int minutes = 0, seconds = 0;
    MinutesSeconds(entry.durationMs, &minutes, &seconds);
    std::snprintf(out, (size_t)outBytes, "%03d:%02d", minutes, seconds);
}

void ListCellText(const PlaylistEntry& entry, int n, int column, char* out, int outBytes) {
    switch (column) {
    case 0: std::snprintf(out, (size_t)outBytes, "%.3d", n); break;
    case 1: std::snprintf(out, (size_t)outBytes, "%s", entry.fileName ? entry.fileName : ""); break;
    case 2: EntryTimeText(entry, out, outBytes); break;
    case 3: std::snprintf(out, (size_t)outBytes, "%s", entry.title ? entry.title : ""); break;
    default: std::snprintf(out, (size_t)outBytes, "%s", "");
    }
}

// The file is opened each time its row is drawn: the list view asks only for the rows on the
// screen, so a long list costs a few opens per repaint, and a file deleted after its probe
// shows as missing at the next repaint.
RowIcon ListRowIcon(const PlaylistEntry& entry, int n, int currentNumber) {
    if (currentNumber != 0 && n == currentNumber) return ROW_ICON_CURRENT;
    MediaFile file;
    if (!entry.path || !OpenMediaFile(entry.path, MF_READ, &file)) return ROW_ICON_MISSING;
    CloseMediaFile(&file);
    return ROW_ICON_FILE;
}

int AnyEntryNotProbed() {
    PlaylistEntry e;
    for (int n = 1, count = GetEntryCount(); n <= count; ++n)
        if (GetEntry(n, &e) && e.probeState != Probed) return 1;
    return 0;
}

int PanelGlyphs(uint32_t totalMs, int count, int anyUnprobed, PanelGlyph* out) {
    int minutes = 0, seconds = 0;
    MinutesSeconds(totalMs, &minutes, &seconds);
    if (count < 0) count = 0;
    if (count > PLAYLIST_MAX_ENTRIES) count = PLAYLIST_MAX_ENTRIES;
    int at = 0;
    out[at++] = Glyph(PANEL_LABEL);
    at = PutNumber(out, at, minutes, 4, MINUTES_X, 0);
    out[at++] = Glyph(PANEL_SEPARATOR);
    at = PutNumber(out, at, seconds, 2, SECONDS_X, 0);
    if (anyUnprobed) out[at++] = Glyph(PANEL_PENDING);
    out[at++] = Glyph(PANEL_COUNT_OPEN);
    at = PutNumber(out, at, count, 3, COUNT_X, 1);
    out[at++] = Glyph(count < 2 ? PANEL_WORD_ONE : PANEL_WORD_MANY);
    out[at++] = Glyph(PANEL_COUNT_CLOSE);
    return at;
}

HistoryBoxPlan PlanHistoryBox(int named, int historyCount) {
    HistoryBoxPlan p = {0, 0, -1};
    if (named) {
        if (historyCount < 1 || historyCount > HISTORY_BOX_MAX_ITEMS) return p;
        p.historyItems = historyCount;
        p.selected = 0;
        return p;
    }
    p.historyItems = historyCount < 0 ? 0 : historyCount;
    p.noNameItem = 1;
    p.selected = p.historyItems;
    return p;
}

int HistoryEntryOfItem(const HistoryBoxPlan& plan, int index) {
    return index >= 0 && index < plan.historyItems ? index + 1 : 0;
}

int RowAfterMoveUp(int n, int count) { return n > 1 ? n - 1 : count; }
int RowAfterMoveDown(int n, int count) { return n < count ? n + 1 : 1; }
int RowAfterDelete(int n, int countAfter) {
    if (countAfter <= 0) return 0;
    return n >= 1 && n < countAfter ? n : countAfter;
}

int AddDroppedFiles(const char* paths) {
    int before = GetEntryCount(), files = 0;
    MarkBeforeDrop();
    for (const char* p = paths; p && *p; p += std::strlen(p) + 1) {
        AddPath(p);
        ++files;
    }
    if (files == 0) return 0;
    RefreshAll();
    FinishAdd(files, OWNER_PLAYLIST_WINDOW);
    return GetEntryCount() > before ? before + 1 : 0;
}

int DeleteFromListWindow(int n) {
    int wasCurrent = n == GetCurrentNumber();
    if (!DeleteEntry(n)) return -1;
    if (GetEntryCount() == 0) NameListNoName();
    if (wasCurrent) SetCurrentNumber(0);
    RefreshAll();
    ShowTotals(GetShownTotalMs(), GetEntryCount());
    return RowAfterDelete(n, GetEntryCount());
}
