// The About box (see about.h). The logo dissolves in through six pattern brushes the first time
// it is drawn; later draws copy it at once.
#include "display/about.h"
#include "display/dialog_look.h"
#include "base/system_info.h"
#include "resources/resource.h"
#include <windows.h>
#include <cwchar>
#include <vector>

namespace {
const wchar_t NOT_AVAILABLE[] = L"Not Available";
const DWORD ROP_PSDPXAX = 0x00B8074A;  // the logo shows where the pattern brush lets it
enum { PATTERN_COUNT = 6, DISSOLVE_FRAME_MS = 120, VERSION_CHARS = 128, PATH_CHARS = 260 };
const int PATTERN_IDS[PATTERN_COUNT] = {IDB_LOGO_STEP_1, IDB_LOGO_STEP_2, IDB_LOGO_STEP_3,
                                        IDB_LOGO_STEP_4, IDB_LOGO_STEP_5, IDB_LOGO_STEP_6};

struct AboutModule {
    HBITMAP logo;                     // bitmap 180; null when the program has none
    int logoWidth, logoHeight;        // pixels
    HBITMAP patterns[PATTERN_COUNT];  // 8 x 8 dissolve patterns
    HBRUSH brushes[PATTERN_COUNT];    // pattern brushes over them, in dissolve order
    int armed;                        // the next draw dissolves the logo in
};
AboutModule g_about;

void FreeAboutBitmaps() {
    for (int i = 0; i < PATTERN_COUNT; ++i) {
        if (g_about.brushes[i]) DeleteObject(g_about.brushes[i]);
        if (g_about.patterns[i]) DeleteObject(g_about.patterns[i]);
    }
    if (g_about.logo) DeleteObject(g_about.logo);
    g_about = AboutModule();
}

void LoadAboutBitmaps() {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    g_about.logo = LoadBitmapW(inst, MAKEINTRESOURCEW(IDB_ABOUT_LOGO));
    BITMAP bm;
    if (g_about.logo && GetObjectW(g_about.logo, sizeof bm, &bm)) {
        g_about.logoWidth = bm.bmWidth;
        g_about.logoHeight = bm.bmHeight;
    }
    for (int i = 0; i < PATTERN_COUNT; ++i) {
        g_about.patterns[i] = LoadBitmapW(inst, MAKEINTRESOURCEW(PATTERN_IDS[i]));
        if (g_about.patterns[i]) g_about.brushes[i] = CreatePatternBrush(g_about.patterns[i]);
    }
}

void SetVersionTexts(HWND dialog) {
    wchar_t version[VERSION_CHARS], text[VERSION_CHARS + 8];
    GetVersionString(version, VERSION_CHARS, VERSION_PRODUCT);
    std::swprintf(text, VERSION_CHARS + 8, L"Ver.%ls", version);
    SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, text);
    wchar_t legal[VERSION_CHARS * 2];
    GetVersionString(legal, VERSION_CHARS * 2, VERSION_LEGAL);
    SetDlgItemTextW(dialog, IDC_ABOUT_LEGAL, legal);
}

INT_PTR OnInitDialog(HWND dialog) {
    FreeAboutBitmaps();
    LoadAboutBitmaps();
    if (g_about.logo)
        SetWindowPos(GetDlgItem(dialog, IDC_ABOUT_LOGO), nullptr, 0, 0, g_about.logoWidth, g_about.logoHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetVersionTexts(dialog);
    CentreOnScreen(dialog);
    g_about.armed = 1;
    return TRUE;
}

void DissolveLogo(HDC target, HDC logoDc, int w, int h) {
    HDC frameDc = CreateCompatibleDC(target);
    HBITMAP frame = CreateCompatibleBitmap(target, w, h);
    HGDIOBJ oldFrame = SelectObject(frameDc, frame);
    RECT all = {0, 0, w, h};
    for (int i = 0; i < PATTERN_COUNT; ++i) {
        if (!g_about.brushes[i]) continue;
        FillRect(frameDc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
        HGDIOBJ oldBrush = SelectObject(frameDc, g_about.brushes[i]);
        BitBlt(frameDc, 0, 0, w, h, logoDc, 0, 0, ROP_PSDPXAX);
        SelectObject(frameDc, oldBrush);
        BitBlt(target, 0, 0, w, h, frameDc, 0, 0, SRCCOPY);
        GdiFlush();
        Sleep(DISSOLVE_FRAME_MS);
    }
    SelectObject(frameDc, oldFrame);
    DeleteObject(frame);
    DeleteDC(frameDc);
}

INT_PTR OnDrawItem(const DRAWITEMSTRUCT* item) {
    if (!item || item->CtlID != IDC_ABOUT_LOGO || !g_about.logo) return FALSE;
    HDC logoDc = CreateCompatibleDC(item->hDC);
    HGDIOBJ old = SelectObject(logoDc, g_about.logo);
    int w = g_about.logoWidth, h = g_about.logoHeight;
    if (g_about.armed) {
        DissolveLogo(item->hDC, logoDc, w, h);
        g_about.armed = 0;
    }
    BitBlt(item->hDC, 0, 0, w, h, logoDc, 0, 0, SRCCOPY);
    SelectObject(logoDc, old);
    DeleteDC(logoDc);
    return TRUE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    if (void* brush = DialogLook(dialog, message, wp, lp)) return (INT_PTR)brush;
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_DRAWITEM: return OnDrawItem((const DRAWITEMSTRUCT*)lp);
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, LOWORD(wp) == IDOK ? 1 : 0);
        return TRUE;
    case WM_DESTROY: FreeAboutBitmaps(); return FALSE;
    }
    return FALSE;
}
}  // namespace

int ShowAbout(void* owner) {
    INT_PTR r = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUT), (HWND)owner, AboutProc, 0);
    return r == 1 ? 1 : 0;
}

int GetVersionString(wchar_t* buffer, int chars, int which) {
    if (chars <= 0) return 0;
    buffer[0] = 0;
    wchar_t path[PATH_CHARS];
    if (!GetModuleFileNameW(nullptr, path, PATH_CHARS)) return 0;
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(path, &ignored);
    if (!size) return 0;
    std::vector<unsigned char> record(size);
    if (!GetFileVersionInfoW(path, 0, size, record.data())) return 0;
    char name[96];
    VersionValuePath(which, SystemDefaultLanguage(), name, sizeof name);
    wchar_t wideName[96];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 96);
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.data(), wideName, (void**)&value, &length) || !value) {
        lstrcpynW(buffer, NOT_AVAILABLE, chars);
        return 0;
    }
    lstrcpynW(buffer, value, chars);
    return 1;
}

void CentreOnScreen(void* window) {
    RECT r;
    if (!GetWindowRect((HWND)window, &r)) return;
    int width = r.right - r.left + 1, height = r.bottom - r.top + 1;
    int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos((HWND)window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}
