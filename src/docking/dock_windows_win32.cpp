// The docking windows on Win32 (see dock_windows.h). Messages to the selector wait for it, but not
// for ever: a hung selector must not freeze the deck with it.
#include "docking/dock_windows.h"
#include "base/shell_handles.h"
#include <windows.h>

namespace {
const char SELECTOR_CLASS[] = "Vornex_Selector";
enum { SELECTOR_ANSWER_MS = 5000 };

HWND Deck() { return (HWND)MainWindowHandle(); }
HWND Selector() { return FindWindowA(SELECTOR_CLASS, nullptr); }
PlaceRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
}  // namespace

void* FindSelector() { return Selector(); }

int SelectorRect(PlaceRect* rectOut) {
    HWND s = Selector();
    RECT r;
    if (!s || !GetWindowRect(s, &r)) return 0;
    *rectOut = FromRect(r);
    return 1;
}

int SelectorMinimised() {
    HWND s = Selector();
    return s && IsIconic(s) ? 1 : 0;
}

int SendToSelector(unsigned message, long lParam) {
    HWND s = Selector();
    if (!s) return 0;
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(s, message, (WPARAM)Deck(), (LPARAM)lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               SELECTOR_ANSWER_MS, &result)
               ? 1
               : 0;
}

void MoveSelector(int left, int top) {
    HWND s = Selector();
    if (s) SetWindowPos(s, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RaiseSelector() {
    HWND s = Selector();
    if (!s) return;
    if (IsIconic(s)) PostMessageA(s, WM_SYSCOMMAND, SC_RESTORE, 0);
    BringWindowToTop(s);
    HWND popup = GetLastActivePopup(s);
    if (popup && popup != s) BringWindowToTop(popup);
}

int StartSelector(const char* commandLine) {
    // WinExec looks in the program's own folder first, then along the system's search path.
    return WinExec(commandLine, SW_SHOWNORMAL) > 31 ? 1 : 0;
}

int DeckRect(PlaceRect* rectOut) {
    RECT r;
    if (!Deck() || !GetWindowRect(Deck(), &r)) return 0;
    *rectOut = FromRect(r);
    return 1;
}

void MoveDeck(int left, int top, int topmost) {
    UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | (topmost ? 0 : SWP_NOZORDER);
    SetWindowPos(Deck(), topmost ? HWND_TOPMOST : nullptr, left, top, 0, 0, flags);
}

void DeskRect(PlaceRect* rectOut) {
    RECT r;
    GetClientRect(GetDesktopWindow(), &r);
    *rectOut = FromRect(r);
}

void ScreenSize(int* widthOut, int* heightOut) {
    *widthOut = GetSystemMetrics(SM_CXSCREEN);
    *heightOut = GetSystemMetrics(SM_CYSCREEN);
}

void CaptureMouse(int on) {
    if (on)
        SetCapture(Deck());
    else
        ReleaseCapture();
}

FakeDockWindows& FakeDock() {
    static FakeDockWindows unused;
    return unused;
}
void ResetFakeDock() {}
