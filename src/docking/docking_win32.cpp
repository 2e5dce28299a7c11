// Docking and the face drag. The deck sends the selector its window, face mode and place when a
// selector window exists; the magnetic docking geometry comes with the selector support, so for
// now the deck docks nowhere and only snaps to the screen edges.
#include "docking/docking.h"
#include "docking/docking_rules.h"
#include "base/shell_handles.h"
#include "base/window_messages.h"
#include "settings/settings.h"
#include <windows.h>

namespace {
const char SELECTOR_CLASS[] = "Vornex_Selector";

struct DockingState {
    int dragging;        // the left button is down on the face
    POINT grab;          // where in the window the face was grabbed
    int dockSide;        // 0 undocked, 1 right, 2 below, 3 left, 4 above
    long selectorScale;  // the selector's size factor
};
DockingState g_dock;

HWND MainWindow() { return (HWND)MainWindowHandle(); }
HWND SelectorWindow() { return FindWindowA(SELECTOR_CLASS, nullptr); }
}  // namespace

int DockAtStart() { return 0; }
int DetectDock() { return 0; }

void SnapToScreen() {
    HWND w = MainWindow();
    if (!w) return;
    RECT r, desk;
    GetWindowRect(w, &r);
    GetClientRect(GetDesktopWindow(), &desk);
    int left = r.left, top = r.top;
    SnapToScreenEdges({desk.left, desk.top, desk.right, desk.bottom}, {r.left, r.top, r.right, r.bottom}, &left, &top);
    if (left != r.left || top != r.top)
        SetWindowPos(w, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AnnounceDeckPlace() {
    HWND s = SelectorWindow();
    if (s) PostMessageA(s, SELECTOR_MSG_PLACE, (WPARAM)MainWindow(), 0);
}

void AnnounceDeckWindow() {
    HWND s = SelectorWindow();
    if (!s) return;
    PostMessageA(s, SELECTOR_MSG_WINDOW, (WPARAM)MainWindow(), (LPARAM)Layout().mode);
    PostMessageA(s, SELECTOR_MSG_ASK_MAG, (WPARAM)MainWindow(), 0);
}

void AnswerSelectorMag() {
    HWND s = SelectorWindow();
    if (s) PostMessageA(s, SELECTOR_MSG_WINDOW, (WPARAM)MainWindow(), (LPARAM)Layout().mag);
}

void AnnounceDeckGoes() {
    HWND s = SelectorWindow();
    if (s) PostMessageA(s, SELECTOR_MSG_WINDOW, 0, 0);
}

void RecordSelectorScale(void* from, long scale) {
    HWND selector = SelectorWindow();
    if (selector && (HWND)from == selector) g_dock.selectorScale = scale;
}
void RecordSelectorSide(int side) { g_dock.dockSide = side; }

void BeginFaceDrag(int x, int y) {
    g_dock.dragging = 1;
    g_dock.grab.x = x;
    g_dock.grab.y = y;
    SetCapture(MainWindow());
}

void MoveFaceDrag(int, int) {
    if (!g_dock.dragging) return;
    POINT p;
    GetCursorPos(&p);
    SetWindowPos(MainWindow(), nullptr, p.x - g_dock.grab.x, p.y - g_dock.grab.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void EndFaceDrag() {
    if (!g_dock.dragging) return;
    g_dock.dragging = 0;
    ReleaseCapture();
    if (!DetectDock()) SnapToScreen();
    AnnounceDeckPlace();
}
