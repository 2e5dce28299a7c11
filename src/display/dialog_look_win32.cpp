// Drawing the dialog look (see dialog_look.h): colours of the controls, the window frame on the
// dialog's own colour request, and the client painting (watermark, outer frame, control frames).
#include "display/dialog_look.h"
#include <windows.h>

namespace {
const COLORREF SILVER = RGB(192, 192, 192);
const COLORREF DARK_GREY = RGB(128, 128, 128);
const COLORREF WHITE = RGB(255, 255, 255);
const COLORREF WATERMARK_GREY = RGB(172, 172, 172);
const wchar_t WATERMARK_TEXT[] = L"Quaverly Deck ";
const wchar_t WATERMARK_FONT[] = L"Times New Roman";
enum { WATERMARK_HEIGHT = -20, MAX_WATERMARK_ROWS = 256 };

// A pen selected into a DC for the guard's lifetime.
struct PenGuard {
    HDC dc;
    HPEN pen, old;
    PenGuard(HDC d, COLORREF colour) : dc(d), pen(CreatePen(PS_SOLID, 1, colour)), old((HPEN)SelectObject(d, pen)) {}
    ~PenGuard() {
        SelectObject(dc, old);
        DeleteObject(pen);
    }
};

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void DrawLines(HDC dc, const LookLine* lines, int n) {
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    for (int i = 0; i < n; ++i) {
        PenGuard pen(dc, lines[i].colour == LOOK_WHITE ? WHITE : shadow);
        Line(dc, lines[i].x1, lines[i].y1, lines[i].x2, lines[i].y2);
    }
}

// The frame of the whole window, drawn on its window DC: silver border strips, dark grey and
// white lines, and a box around the caption.
void PaintWindowFrame(HWND dialog) {
    HDC dc = GetWindowDC(dialog);
    if (!dc) return;
    RECT w;
    GetWindowRect(dialog, &w);
    int width = w.right - w.left, height = w.bottom - w.top;
    int fx = GetSystemMetrics(SM_CXDLGFRAME) + 1, fy = GetSystemMetrics(SM_CYDLGFRAME) + 1;
    int caption = GetSystemMetrics(SM_CYCAPTION);
    HBRUSH silver = CreateSolidBrush(SILVER);
    RECT strips[] = {
        {0,          0,           fx,    height},
        {width - fx, 0,           width, height},
        {0,          0,           width, fy    },
        {0,          height - fy, width, height},
    };
    for (const RECT& r : strips) FillRect(dc, &r, silver);
    DeleteObject(silver);
    {
        PenGuard pen(dc, DARK_GREY);
        Line(dc, 0, height - 1, 0, 0);
        Line(dc, 0, 0, width, 0);
        Line(dc, width - 2, 1, width - 2, height - 1);
        Line(dc, 1, height - 2, width - 1, height - 2);
    }
    {
        PenGuard pen(dc, WHITE);
        Line(dc, 1, height - 2, 1, 1);
        Line(dc, 1, 1, width - 1, 1);
    }
    int left = fx - 1 + 1, top = fy - 1, right = width - fx, bottom = top + caption;
    {
        PenGuard pen(dc, DARK_GREY);
        Line(dc, left, bottom, left, top);
        Line(dc, left, top, right, top);
    }
    {
        PenGuard pen(dc, WHITE);
        Line(dc, right, top, right, bottom);
        Line(dc, left, bottom, right + 1, bottom);
    }
    ReleaseDC(dialog, dc);
}

void PaintWatermark(HDC dc, const RECT& client) {
    HFONT font =
        CreateFontW(WATERMARK_HEIGHT, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_ROMAN, WATERMARK_FONT);
    HFONT old = (HFONT)SelectObject(dc, font);
    int chars = (int)(sizeof WATERMARK_TEXT / sizeof WATERMARK_TEXT[0]) - 1;
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, WATERMARK_TEXT, chars, &size);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, WATERMARK_GREY);
    WatermarkRow rows[MAX_WATERMARK_ROWS];
    int n = WatermarkRows(size.cx, size.cy, client.bottom, rows, MAX_WATERMARK_ROWS);
    for (int i = 0; i < n; ++i)
        for (int x = rows[i].x; x < client.right; x += size.cx) TextOutW(dc, x, rows[i].y, WATERMARK_TEXT, chars);
    SelectObject(dc, old);
    DeleteObject(font);
}

void PaintControlFrames(HWND dialog, HDC dc) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[64] = "";
        GetClassNameA(child, cls, sizeof cls);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        ChildTraits t = {cls, IsWindowVisible(child) ? 1 : 0, (style & WS_TABSTOP) ? 1 : 0, (style & WS_GROUP) ? 1 : 0,
                         GetWindowTextLengthA(child) > 0 ? 1 : 0};
        int kind = ChildFrameKind(t);
        if (kind == LOOK_FRAME_NONE) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, (POINT*)&r, 2);
        LookLine lines[LOOK_MAX_LINES];
        DrawLines(dc, lines, ChildFrameLines(kind, {r.left, r.top, r.right, r.bottom}, lines));
    }
}

void PaintClient(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    RECT client;
    GetClientRect(dialog, &client);
    PaintWatermark(dc, client);
    RECT unit = {0, 0, 4, 8};  // one base unit high is 8 dialog units
    MapDialogRect(dialog, &unit);
    LookLine lines[LOOK_MAX_LINES];
    DrawLines(dc, lines, OuterFrameLines({client.left, client.top, client.right, client.bottom}, unit.bottom, lines));
    PaintControlFrames(dialog, dc);
    EndPaint(dialog, &ps);
}

HBRUSH Colours(HDC dc, int opaque) {
    SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
    SetBkColor(dc, SILVER);
    SetTextColor(dc, RGB(0, 0, 0));
    return (HBRUSH)GetStockObject(LTGRAY_BRUSH);
}
}  // namespace

void* DialogLook(void* dialogHandle, unsigned message, uintptr_t wParam, intptr_t) {
    HWND dialog = (HWND)dialogHandle;
    switch (message) {
    case WM_PAINT: PaintClient(dialog); return nullptr;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR: return Colours((HDC)wParam, 1);
    case WM_CTLCOLORSTATIC: return Colours((HDC)wParam, 0);
    case WM_CTLCOLORDLG: PaintWindowFrame(dialog); return Colours((HDC)wParam, 1);
    }
    return nullptr;
}
