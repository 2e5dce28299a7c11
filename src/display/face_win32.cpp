// A plain face drawn with GDI into the back buffer: the deck's name, the transport state, the
// time and the status line. The skinned face replaces the drawing; the buffer and the painting
// stay as they are.
#include "display/face.h"
#include "base/shell_handles.h"
#include "display/face_setters.h"
#include "display/shown_states.h"
#include "hardware/slider.h"
#include "settings/settings.h"
#include <windows.h>
#include <cstdio>

namespace {

const COLORREF FACE_BACKGROUND = RGB(40, 44, 52);
const COLORREF FACE_TEXT = RGB(220, 220, 220);
const COLORREF FACE_STATUS = RGB(100, 0, 0);

struct FaceState {
    HDC backDc;          // memory DC holding the composed face
    HBITMAP backBitmap;  // 800 x 210, compatible with the screen
    HGDIOBJ oldBitmap;   // the DC's original bitmap, put back before deleting ours
    int bitmapsLoaded;   // LoadFaceBitmaps ran
    int shownState;      // the state the face shows
};
FaceState g_face;

int FaceScale() { return Layout().mag == 2 ? 2 : 1; }
}  // namespace

int LoadFaceBitmaps() {
    g_face.bitmapsLoaded = 1;
    return 1;
}

void FreeFaceBitmaps() { g_face.bitmapsLoaded = 0; }

int CreateBackBuffer() {
    HDC screen = GetDC(nullptr);
    g_face.backDc = CreateCompatibleDC(screen);
    g_face.backBitmap = g_face.backDc ? CreateCompatibleBitmap(screen, BACK_BUFFER_W, BACK_BUFFER_H) : nullptr;
    ReleaseDC(nullptr, screen);
    if (!g_face.backDc || !g_face.backBitmap) {
        FreeBackBuffer();
        return 0;
    }
    g_face.oldBitmap = SelectObject(g_face.backDc, g_face.backBitmap);
    return 1;
}

void FreeBackBuffer() {
    if (g_face.backDc && g_face.oldBitmap) SelectObject(g_face.backDc, g_face.oldBitmap);
    if (g_face.backBitmap) DeleteObject(g_face.backBitmap);
    if (g_face.backDc) DeleteDC(g_face.backDc);
    g_face.backDc = nullptr;
    g_face.backBitmap = nullptr;
    g_face.oldBitmap = nullptr;
}

void ComposeFace() {
    if (!g_face.backDc) return;
    RECT all = {0, 0, BACK_BUFFER_W, BACK_BUFFER_H};
    HBRUSH brush = CreateSolidBrush(FACE_BACKGROUND);
    FillRect(g_face.backDc, &all, brush);
    DeleteObject(brush);
    int scale = FaceScale();
    SetBkMode(g_face.backDc, TRANSPARENT);
    SetTextColor(g_face.backDc, FACE_TEXT);
    TextOutA(g_face.backDc, 10 * scale, 8 * scale, "Quaverly Deck", 13);
    const char* state = ShownStateName(g_face.shownState);
    TextOutA(g_face.backDc, 10 * scale, 30 * scale, state, lstrlenA(state));
    char time[32];
    uint32_t ms = Face().timeMs & ~FACE_TIME_LEFT_BIT;
    int n = std::snprintf(time, sizeof time, "%s%02u:%02u", (Face().timeMs & FACE_TIME_LEFT_BIT) ? "-" : "",
                          (unsigned)(ms / 60000), (unsigned)(ms / 1000 % 60));
    TextOutA(g_face.backDc, 300 * scale, 30 * scale, time, n);
    RedrawSliders();
}

void PaintFace(void* hdc, int width, int height) {
    if (g_face.backDc) BitBlt((HDC)hdc, 0, 0, width, height, g_face.backDc, 0, 0, SRCCOPY);
    SetBkMode((HDC)hdc, TRANSPARENT);
    SetTextColor((HDC)hdc, FACE_STATUS);
    const char* text = Face().tickerText;
    TextOutA((HDC)hdc, 10 * FaceScale(), 60 * FaceScale(), text, lstrlenA(text));
}

void ShowStateOnFace(int shownState) {
    g_face.shownState = shownState;
    ComposeFace();
    HWND main = (HWND)MainWindowHandle();
    if (main) InvalidateRect(main, nullptr, FALSE);
}

void DrawStatusLine() {
    HWND main = (HWND)MainWindowHandle();
    if (main) InvalidateRect(main, nullptr, FALSE);
}

void RedrawFaceButton(int) {}

int FaceAreaAt(int x, int y) {
    struct Area {
        int left, top, right, bottom, area;
    };
    // unscaled face pixels: the name label and the time digits drawn by ComposeFace
    const Area areas[] = {
        {10,  8,  130, 24, 1},
        {300, 30, 380, 46, 2}
    };
    int scale = FaceScale();
    for (const Area& a : areas)
        if (x >= a.left * scale && x < a.right * scale && y >= a.top * scale && y < a.bottom * scale) return a.area;
    return 0;
}

void* FaceBackBuffer() { return g_face.backDc; }
