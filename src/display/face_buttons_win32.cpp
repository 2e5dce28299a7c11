// The face's buttons: 23 owner-drawn "BUTTON" windows over the skin, each with a tooltip from
// the string table, placed from the face layout table. A subclass answers background erasing
// (the skin paints everything) and turns the search keys' press and release into searches.
#include "display/face_buttons.h"

#include <windows.h>
#include <commctrl.h>

#include "base/shell_handles.h"
#include "display/face.h"
#include "display/face_layout.h"
#include "display/shown_states.h"
#include "hardware/slider.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {
const int TIP_BYTES = 128;

struct ButtonsState {
    HWND tooltip;                     // shared by the buttons and the sliders
    HWND buttons[FACE_BUTTON_COUNT];  // in the layout table's order
    WNDPROC classProc;                // the BUTTON class's own procedure
    SearchButtonHook searchHook;      // the deck's search, registered by the application
    int playTip;                      // string now shown by the Play key's tooltip
};
ButtonsState g_buttons;

HWND Main() { return (HWND)MainWindowHandle(); }
HINSTANCE Instance() { return (HINSTANCE)InstanceHandle(); }

void SetToolText(HWND button, int stringId) {
    if (!g_buttons.tooltip || !button) return;
    char text[TIP_BYTES] = "";
    LoadStringA(Instance(), stringId, text, TIP_BYTES);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = Main();
    ti.uId = (UINT_PTR)button;
    ti.hinst = Instance();
    ti.lpszText = text;
    SendMessageA(g_buttons.tooltip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&ti);
}

void AddTool(HWND button, int stringId) {
    char text[TIP_BYTES] = "";
    LoadStringA(Instance(), stringId, text, TIP_BYTES);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_CENTERTIP;
    ti.hwnd = Main();
    ti.uId = (UINT_PTR)button;
    ti.hinst = Instance();
    ti.lpszText = text;
    SendMessageA(g_buttons.tooltip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
}

LRESULT CALLBACK FaceButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    int id = GetDlgCtrlID(hwnd);
    int search = id == CMD_REWIND || id == CMD_FAST_FORWARD;
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
        if (search && g_buttons.searchHook) g_buttons.searchHook(id, 1);
        break;
    case WM_LBUTTONUP:
        if (search && g_buttons.searchHook) g_buttons.searchHook(id, 0);
        break;
    }
    return CallWindowProcA(g_buttons.classProc, hwnd, msg, wp, lp);
}
}  // namespace

void SetSearchButtonHook(SearchButtonHook hook) { g_buttons.searchHook = hook; }
void* FaceToolTip() { return g_buttons.tooltip; }

int CreateFaceButtons() {
    HWND main = Main();
    if (!main) return 0;
    g_buttons.tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, main, nullptr, Instance(), nullptr);
    int all = 1;
    for (int i = 0; i < FACE_BUTTON_COUNT; ++i) {
        const FaceButton& fb = FACE_BUTTONS[i];
        HWND b = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_OWNERDRAW | BS_NOTIFY, 0,
                                 0, fb.normal.w, fb.normal.h, main, (HMENU)(INT_PTR)fb.id, Instance(), nullptr);
        g_buttons.buttons[i] = b;
        if (!b) {
            all = 0;
            continue;
        }
        // Fast clicks arrive as separate clicks: the class loses its double-click bit.
        SetClassLongPtrA(b, GCL_STYLE, GetClassLongPtrA(b, GCL_STYLE) & ~(LONG_PTR)CS_DBLCLKS);
        WNDPROC old = (WNDPROC)SetWindowLongPtrA(b, GWLP_WNDPROC, (LONG_PTR)FaceButtonProc);
        if (!g_buttons.classProc) g_buttons.classProc = old;
        if (g_buttons.tooltip) AddTool(b, fb.tipString);
    }
    g_buttons.playTip = STR_TIP_PLAY;
    LayoutFaceButtons();
    return all;
}

void DestroyFaceButtons() {
    // The sliders' tips live in the buttons' tooltip control: they go first, while it still
    // exists to take their tools off.
    DestroySliders();
    for (HWND& b : g_buttons.buttons) {
        if (b) DestroyWindow(b);
        b = nullptr;
    }
    if (g_buttons.tooltip) DestroyWindow(g_buttons.tooltip);
    g_buttons.tooltip = nullptr;
}

void LayoutFaceButtons() {
    int mode = Layout().mode == FACE_MODE_THIN ? FACE_MODE_THIN : FACE_MODE_NORMAL;
    int s = FaceScale();
    for (int i = 0; i < FACE_BUTTON_COUNT; ++i) {
        HWND b = g_buttons.buttons[i];
        if (!b) continue;
        const FaceButton& fb = FACE_BUTTONS[i];
        FaceRect r = FaceButtonRect(fb, mode);
        int show = mode == FACE_MODE_NORMAL || fb.inThin;
        SetWindowPos(b, nullptr, r.x * s, r.y * s, r.w * s, r.h * s,
                     SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        InvalidateRect(b, nullptr, FALSE);
    }
}

void OnFaceDrawItem(const void* drawItem) {
    const DRAWITEMSTRUCT* d = (const DRAWITEMSTRUCT*)drawItem;
    if (!d || d->CtlType != ODT_BUTTON) return;
    if (!(d->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return;
    int state = (d->itemState & ODS_SELECTED)   ? BUTTON_PRESSED
                : (d->itemState & ODS_DISABLED) ? BUTTON_DISABLED
                                                : BUTTON_NORMAL;
    DrawButton((int)d->CtlID, state, d->hDC, 0, 0);
}

void UpdatePlayTooltip(int shownState) {
    int tip = STR_TIP_PLAY;
    if (shownState == Recording || shownState == RecAutoActive) tip = STR_TIP_RECORDING;
    if (shownState == RecPause || shownState == RecStandby) tip = STR_TIP_START_RECORDING;
    if (tip == g_buttons.playTip) return;
    g_buttons.playTip = tip;
    SetToolText(Main() ? GetDlgItem(Main(), CMD_PLAY) : nullptr, tip);
}
