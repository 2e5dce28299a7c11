// Native docking windows: a selector and a deck that exist as rectangles, and a log of the
// messages the deck sent (see dock_windows.h).
#include "docking/dock_windows.h"
#include <cstring>

namespace {
FakeDockWindows g_fake;
const PlaceRect SCREEN = {0, 0, 1280, 1024};
}  // namespace

FakeDockWindows& FakeDock() { return g_fake; }
void ResetFakeDock() {
    g_fake = FakeDockWindows();
    g_fake.desk = SCREEN;
    g_fake.deck = {100, 100, 500, 205};
}

void* FindSelector() { return g_fake.selectorExists ? (void*)&g_fake.selector : nullptr; }
int SelectorRect(PlaceRect* rectOut) {
    if (!g_fake.selectorExists) return 0;
    *rectOut = g_fake.selector;
    return 1;
}
int SelectorMinimised() { return g_fake.selectorExists && g_fake.selectorMinimised; }

int SendToSelector(unsigned message, long lParam) {
    if (!g_fake.selectorExists) return 0;
    if (g_fake.sentCount < (int)(sizeof g_fake.sent / sizeof g_fake.sent[0]))
        g_fake.sent[g_fake.sentCount++] = {message, lParam};
    return 1;
}

void MoveSelector(int left, int top) {
    PlaceRect& s = g_fake.selector;
    s = {left, top, left + s.right - s.left, top + s.bottom - s.top};
}
void RaiseSelector() { g_fake.selectorMinimised = 0; }
int StartSelector(const char* commandLine) {
    g_fake.started++;
    std::strncpy(g_fake.lastCommandLine, commandLine, sizeof g_fake.lastCommandLine - 1);
    return 1;
}

int DeckRect(PlaceRect* rectOut) {
    *rectOut = g_fake.deck;
    return 1;
}
void MoveDeck(int left, int top, int topmost) {
    PlaceRect& d = g_fake.deck;
    d = {left, top, left + d.right - d.left, top + d.bottom - d.top};
    g_fake.deckTopmost = topmost;
}
void DeskRect(PlaceRect* rectOut) { *rectOut = g_fake.desk; }
void ScreenSize(int* widthOut, int* heightOut) {
    *widthOut = g_fake.desk.right - g_fake.desk.left;
    *heightOut = g_fake.desk.bottom - g_fake.desk.top;
}
void CaptureMouse(int) {}
