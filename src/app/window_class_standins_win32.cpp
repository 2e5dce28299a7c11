// The playlist window class, registered with the main window's class. Its window is drawn by its
// own module; until that exists the class carries a plain procedure.
#include "app/main_window.h"
#include "resources/resource.h"
#include <windows.h>

namespace {
const char PLAYLIST_CLASS[] = "VORNEX_USB_PLAY_LIST";
enum { PLAYLIST_ICON = 179 };

struct PlaylistWindowState {
    HWND window;  // the playlist window when open
};
PlaylistWindowState g_playlistWindow;
}  // namespace

int RegisterPlaylistClass(void* instance) {
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = (HINSTANCE)instance;
    wc.hIcon = LoadIconA((HINSTANCE)instance, MAKEINTRESOURCEA(PLAYLIST_ICON));
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = PLAYLIST_CLASS;
    return RegisterClassA(&wc) != 0;
}

void UnregisterPlaylistClass(void* instance) { UnregisterClassA(PLAYLIST_CLASS, (HINSTANCE)instance); }

void ClosePlaylistWindow() {
    if (g_playlistWindow.window && IsWindow(g_playlistWindow.window)) DestroyWindow(g_playlistWindow.window);
    g_playlistWindow.window = nullptr;
}
