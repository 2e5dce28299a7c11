// Native stand-in of the playlist window: no window, only a log of what the model asked it to
// show, so tests check that every change of the list reaches the view.
#include "playlist/playlist_window.h"

#include <cstdio>
#include <cstring>

namespace {
struct ListWindowStandIn {
    ListWindowCalls calls;
    PlayEntryHook play;  // registered by the deck; the stand-in never calls it
};
ListWindowStandIn g_window;
}  // namespace

int PlaylistWindowIsOpen() { return g_window.calls.open; }
void* ListWindowHandle() { return g_window.calls.open ? &g_window : nullptr; }  // a stand-in handle

void RefreshAll() { g_window.calls.refreshAll++; }

void RefreshRow(int n) {
    ListWindowCalls& c = g_window.calls;
    enum { KEPT = sizeof c.rows / sizeof c.rows[0] };
    if (c.rowCalls >= KEPT) std::memmove(c.rows, c.rows + 1, sizeof c.rows - sizeof c.rows[0]);
    c.rows[c.rowCalls < KEPT ? c.rowCalls : KEPT - 1] = n;
    c.rowCalls++;
}

void ShowTotals(uint32_t totalMs, int count) {
    g_window.calls.totalMs = totalMs;
    g_window.calls.totalCount = count;
    g_window.calls.totalsCalls++;
}

void ShowListName(const char* name) {
    std::snprintf(g_window.calls.name, sizeof g_window.calls.name, "%s", name ? name : "");
    g_window.calls.nameCalls++;
}

void MarkCurrent(int n) {
    g_window.calls.marked = n;
    g_window.calls.markCalls++;
}

void EnableListWindow(int enable) { g_window.calls.enabled = enable; }

void RefreshHistoryBox(int named) {
    g_window.calls.historyNamed = named;
    g_window.calls.historyCalls++;
}

int RegisterPlaylistClass(void*) { return 1; }
void UnregisterPlaylistClass(void*) {}

int OpenListWindow() {
    g_window.calls.open = 1;
    return 1;
}
void CloseListWindow() { g_window.calls.open = 0; }
void SetListWindowPlayHook(PlayEntryHook play) { g_window.play = play; }
void DeleteSelectedListEntry() {}

const ListWindowCalls& ListWindowCallLog() { return g_window.calls; }
void SetPlaylistWindowOpenForTest(int open) { g_window.calls.open = open; }
void ResetListWindowCallsForTest() {
    int open = g_window.calls.open;
    g_window.calls = ListWindowCalls{};
    g_window.calls.open = open;
    g_window.calls.enabled = 1;
}
