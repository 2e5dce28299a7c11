// The pop-up menu on Windows: menu 154's first submenu, tracked at the clicked point, and the
// platform actions of its items.
#include "app/deck_menu.h"
#include "app/app_state.h"
#include "base/message_box.h"
#include "display/about.h"
#include "display/face.h"
#include "docking/docking.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include <windows.h>
#include <shellapi.h>

namespace {
HWND Main() { return (HWND)MainWindowHandle(); }

void MarkItems(HMENU menu) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (sub) {
            MarkItems(sub);
            continue;
        }
        int id = (int)GetMenuItemID(menu, i);
        if (id <= 0) continue;
        int checked = 0, grayed = 0;
        MenuItemState(id, App().shownState, &checked, &grayed);
        CheckMenuItem(menu, (UINT)id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
        EnableMenuItem(menu, (UINT)id, MF_BYCOMMAND | (grayed ? MF_GRAYED : MF_ENABLED));
    }
}
}  // namespace

void ShowDeckMenu(int x, int y) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_DECK_POPUP));
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    MarkItems(popup);
    int id = (int)TrackPopupMenu(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, Main(), nullptr);
    DestroyMenu(menu);
    if (id >= 1) RunMenuItem(id);
}

void ApplyFaceSize() {
    RecomputeWindowSize();  // "Xs"/"Ys" follow the face mode and size
    int w = Layout().xs, h = Layout().ys;
    SetWindowPos(Main(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ComposeFace();  // lays out the buttons and sliders for the new mode and size
    InvalidateRect(Main(), nullptr, FALSE);
    DeckSizeChanged();
}

void ApplyTopmost() {
    SetWindowPos(Main(), Layout().top == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void OpenMakerPage() {
    wchar_t url[260];
    if (LoadDeckString(STR_MAKER_URL, url, 260)) ShellExecuteW(Main(), L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

void ShowAboutBox() { ShowAbout(Main()); }
