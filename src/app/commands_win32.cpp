// Win32 shell actions behind the face buttons.
#include "app/commands.h"
#include "app/app_state.h"
#include "display/face.h"
#include "docking/docking.h"
#include "resources/resource.h"
#include "playlist/playlist_window.h"
#include "settings/settings.h"
#include <windows.h>

namespace {
HWND Main() { return (HWND)MainWindowHandle(); }
}  // namespace

void PostCloseRequest() { PostMessageA(Main(), WM_CLOSE, 0, 0); }
void MinimizeDeck() { ShowWindow(Main(), SW_MINIMIZE); }

void ToggleFaceMode() {
    Layout().mode = Layout().mode == 0 ? 1 : 0;
    RecomputeWindowSize();  // "Xs"/"Ys" follow the face mode and size
    int w = Layout().xs, h = Layout().ys;
    SetWindowPos(Main(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ComposeFace();  // lays out the buttons and sliders for the new mode and size
    InvalidateRect(Main(), nullptr, FALSE);
    if (!DetectDock()) SnapToScreen();
    AnnounceDeckPlace();
}

void LaunchSelector() { LaunchOrRaiseSelector(); }

void RepaintFace() {
    ComposeFace();
    InvalidateRect(Main(), nullptr, FALSE);
}
void DeleteSelectedEntries() { DeleteSelectedListEntry(); }

int ShellActionCount(int) { return 0; }
void ResetShellActions() {}
