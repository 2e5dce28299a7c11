// The slider windows: class "USB_AUDIO_SLIDER", two children of the main window drawn from the
// strip and thumb tiles into the face's back buffer, dragged with the mouse under capture, each
// with a tooltip that shows the value.
#include "hardware/slider.h"
#include "base/shell_handles.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

namespace {
const char SLIDER_CLASS[] = "USB_AUDIO_SLIDER";
const char SLIDER_MENU_NAME[] = "USB Audio Slider";
const char SLIDER_TITLE[] = "USB Audio Slider";
enum { LOW_COLOUR_BITS = 9, LABEL_BYTES = 64 };
const uint32_t TIME_LEFT_BIT = 0x80000000u;

struct SliderWindows {
    HWND window[SLIDER_COUNT];  // volume, position (null when not created)
    int value[SLIDER_COUNT];    // last value set or dragged
    int drawnW[SLIDER_COUNT];   // face units wide when last drawn, 0 when not drawn as it stands
    int drawnX[SLIDER_COUNT];   // the thumb's left edge then
    HWND tooltip;               // the tooltip control the tips live in
    int ownTooltip;             // the tooltip control was made here and is destroyed here
    HBITMAP strip, thumb;       // 21 x 9 strip of end and middle tiles, 7 x 9 thumb
    int dragging;               // the left button holds a slider
    int dragIndex;              // which one
    // A slider is composed in memory DCs kept from one draw to the next: making three DCs and a
    // bitmap per draw cost Wine server round trips each time the thumb moved.
    HDC canvasDc, stripDc, thumbDc;                // null until the first draw
    HGDIOBJ canvasOld, stripOld, thumbOld;         // each DC's original bitmap
    HBITMAP canvas;                                // as large as the largest slider drawn
    int canvasW, canvasH;
};
SliderWindows g_win;

int IndexOf(HWND hwnd) {
    for (int i = 0; i < SLIDER_COUNT; ++i)
        if (g_win.window[i] == hwnd) return i;
    return -1;
}
int IndexOfId(int controlId) {
    for (int i = 0; i < SLIDER_COUNT; ++i)
        if (SliderRows()[i].controlId == controlId) return i;
    return -1;
}
int Zoom() { return FaceScaleOf(Layout().mag); }

void FreeCanvas() {
    const struct {
        HDC dc;
        HGDIOBJ old;
    } dcs[] = {{g_win.canvasDc, g_win.canvasOld}, {g_win.stripDc, g_win.stripOld}, {g_win.thumbDc, g_win.thumbOld}};
    for (const auto& d : dcs) {
        if (!d.dc) continue;
        SelectObject(d.dc, d.old);
        DeleteDC(d.dc);
    }
    if (g_win.canvas) DeleteObject(g_win.canvas);
    g_win.canvasDc = g_win.stripDc = g_win.thumbDc = nullptr;
    g_win.canvas = nullptr;
    g_win.canvasW = g_win.canvasH = 0;
}

// The kept DCs, with a canvas of at least w x h; 0 when GDI refuses them.
int PrepareCanvas(HDC like, int w, int h) {
    if (!g_win.canvasDc) {
        g_win.canvasDc = CreateCompatibleDC(like);
        g_win.stripDc = CreateCompatibleDC(like);
        g_win.thumbDc = CreateCompatibleDC(like);
        if (!g_win.canvasDc || !g_win.stripDc || !g_win.thumbDc) {
            for (HDC dc : {g_win.canvasDc, g_win.stripDc, g_win.thumbDc})
                if (dc) DeleteDC(dc);
            g_win.canvasDc = g_win.stripDc = g_win.thumbDc = nullptr;
            return 0;
        }
        g_win.canvasOld = GetCurrentObject(g_win.canvasDc, OBJ_BITMAP);
        g_win.stripOld = SelectObject(g_win.stripDc, g_win.strip);
        g_win.thumbOld = SelectObject(g_win.thumbDc, g_win.thumb);
    }
    if (g_win.canvas && w <= g_win.canvasW && h <= g_win.canvasH) return 1;
    int cw = w > g_win.canvasW ? w : g_win.canvasW, ch = h > g_win.canvasH ? h : g_win.canvasH;
    HBITMAP bigger = CreateCompatibleBitmap(like, cw, ch);
    if (!bigger) return 0;
    SelectObject(g_win.canvasDc, bigger);
    if (g_win.canvas) DeleteObject(g_win.canvas);
    g_win.canvas = bigger;
    g_win.canvasW = cw;
    g_win.canvasH = ch;
    return 1;
}

// The slider's rectangle in the main window's client (and so the back buffer's) coordinates.
int PlaceInParent(HWND hwnd, RECT* r) {
    HWND parent = GetParent(hwnd);
    if (!parent || !GetWindowRect(hwnd, r)) return 0;
    MapWindowPoints(HWND_DESKTOP, parent, (POINT*)r, 2);
    return 1;
}

HDC BackBuffer() {
    const SliderHooks& h = GetSliderHooks();
    return h.backBuffer ? (HDC)h.backBuffer() : nullptr;
}

void CopyToWindow(HWND hwnd, HDC target) {
    RECT r;
    HDC back = BackBuffer();
    if (!back || !PlaceInParent(hwnd, &r)) return;
    BitBlt(target, 0, 0, r.right - r.left, r.bottom - r.top, back, r.left, r.top, SRCCOPY);
}

// Composes the slider at face size, then copies it scaled into the back buffer and the window.
void Draw(int i) {
    HWND hwnd = g_win.window[i];
    HDC back = BackBuffer();
    RECT r;
    g_win.drawnW[i] = 0;
    // The slider's own style, not IsWindowVisible: the face is composed before the main window
    // is first shown, and a slider hidden in the thin face must not draw over it.
    if (!hwnd || !(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)) return;
    if (!back || !g_win.strip || !g_win.thumb || !PlaceInParent(hwnd, &r)) return;
    const SliderRow& row = SliderRows()[i];
    int zoom = Zoom();
    int w = (r.right - r.left) / zoom, h = (r.bottom - r.top) / zoom;
    if (w < 2 * SLIDER_TILE_W || h <= 0) return;
    if (!PrepareCanvas(back, w, h)) return;
    g_win.drawnW[i] = w;
    g_win.drawnX[i] = SliderThumbX(row, g_win.value[i], w);
    HDC canvas = g_win.canvasDc, strip = g_win.stripDc;
    BitBlt(canvas, 0, 0, SLIDER_TILE_W, SLIDER_TILE_H, strip, 0, 0, SRCCOPY);
    for (int x = SLIDER_TILE_W; x < w - SLIDER_TILE_W; x += SLIDER_TILE_W)
        BitBlt(canvas, x, 0, SLIDER_TILE_W, SLIDER_TILE_H, strip, SLIDER_TILE_W, 0, SRCCOPY);
    BitBlt(canvas, w - SLIDER_TILE_W, 0, SLIDER_TILE_W, SLIDER_TILE_H, strip, 2 * SLIDER_TILE_W, 0, SRCCOPY);
    BitBlt(canvas, g_win.drawnX[i], (h - SLIDER_TILE_H) / 2, SLIDER_TILE_W, SLIDER_TILE_H, g_win.thumbDc, 0, 0,
           SRCCOPY);
    SetStretchBltMode(back, COLORONCOLOR);
    StretchBlt(back, r.left, r.top, w * zoom, h * zoom, canvas, 0, 0, w, h, SRCCOPY);
    HDC dc = GetDC(hwnd);
    if (dc) {
        CopyToWindow(hwnd, dc);
        ReleaseDC(hwnd, dc);
    }
}

void SetTip(int i, const char* text) {
    if (!g_win.tooltip || !g_win.window[i]) return;
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = GetParent(g_win.window[i]);
    ti.uId = (UINT_PTR)g_win.window[i];
    ti.lpszText = (LPSTR)text;
    SendMessageA(g_win.tooltip, TTM_UPDATETIPTEXTA, 0, (LPARAM)&ti);
}

void Label(int i, char* out) {
    out[0] = 0;
    LoadStringA((HINSTANCE)InstanceHandle(), (UINT)SliderRows()[i].labelString, out, LABEL_BYTES);
}

// The value under the mouse goes to the volume or to the deck; the tip follows.
void DragTo(int i, int x) {
    const SliderRow& row = SliderRows()[i];
    RECT client;
    GetClientRect(g_win.window[i], &client);
    int value = SliderValueAt(row, x, client.right);
    const SliderHooks& h = GetSliderHooks();
    char label[LABEL_BYTES], text[SLIDER_TIP_BYTES];
    Label(i, label);
    if (row.controlId == IDC_SLIDER_VOLUME) {
        VolumeTipText(label, value, text);
        SetTip(i, text);
        if (h.volumeDragged) h.volumeDragged(value);
    } else {
        if (h.positionDragMove) h.positionDragMove(value);
        PositionTipText(label, h.positionMs ? h.positionMs() & ~TIME_LEFT_BIT : 0, text);
        SetTip(i, text);
    }
}

void EndDrag() {
    if (!g_win.dragging) return;
    g_win.dragging = 0;
    const SliderHooks& h = GetSliderHooks();
    if (SliderRows()[g_win.dragIndex].controlId == IDC_SLIDER_POSITION && h.positionDragEnd) h.positionDragEnd();
}

LRESULT OnButtonDown(HWND hwnd, int i, int x) {
    g_win.dragging = 1;
    g_win.dragIndex = i;
    SetCapture(hwnd);
    const SliderHooks& h = GetSliderHooks();
    if (SliderRows()[i].controlId == IDC_SLIDER_POSITION && h.positionDragBegin) h.positionDragBegin();
    DragTo(i, x);
    return 0;
}

LRESULT OnButtonUp() {
    EndDrag();  // first, so losing the capture below does not end the drag a second time
    ReleaseCapture();
    return 0;
}

LRESULT OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    CopyToWindow(hwnd, dc);
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT CALLBACK SliderProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    int i = IndexOf(hwnd);
    int x = (short)LOWORD(lp);
    switch (msg) {
    case WM_PAINT: return OnPaint(hwnd);
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN:
        if (i >= 0) return OnButtonDown(hwnd, i, x);
        break;
    case WM_MOUSEMOVE:
        if (i >= 0 && g_win.dragging && g_win.dragIndex == i) DragTo(i, x);
        return 0;
    case WM_LBUTTONUP: return OnButtonUp();
    case WM_CAPTURECHANGED: EndDrag(); return 0;  // a drag cut short still ends (the deck seeks)
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND MakeTooltip(HWND parent) {
    return CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, (HINSTANCE)InstanceHandle(),
                           nullptr);
}

void AddTip(int i, HWND parent) {
    char label[LABEL_BYTES], text[SLIDER_TIP_BYTES];
    Label(i, label);
    if (SliderRows()[i].controlId == IDC_SLIDER_VOLUME)
        VolumeTipText(label, 0, text);
    else
        PositionTipText(label, 0, text);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = parent;
    ti.uId = (UINT_PTR)g_win.window[i];
    ti.lpszText = text;
    SendMessageA(g_win.tooltip, TTM_ADDTOOLA, 0, (LPARAM)&ti);
}

void LoadTiles() {
    HDC screen = GetDC(nullptr);
    int lowColour = screen && GetDeviceCaps(screen, BITSPIXEL) < LOW_COLOUR_BITS;
    if (screen) ReleaseDC(nullptr, screen);
    HINSTANCE inst = (HINSTANCE)InstanceHandle();
    g_win.strip = LoadBitmapA(inst, MAKEINTRESOURCEA(lowColour ? IDB_SLIDER_TRACK_16 : IDB_SLIDER_TRACK));
    g_win.thumb = LoadBitmapA(inst, MAKEINTRESOURCEA(lowColour ? IDB_SLIDER_THUMB_16 : IDB_SLIDER_THUMB));
}
}  // namespace

int RegisterSliderClass(void* instance) {
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_SAVEBITS;
    wc.lpfnWndProc = SliderProc;
    wc.hInstance = (HINSTANCE)instance;
    wc.hIcon = LoadIconA((HINSTANCE)instance, MAKEINTRESOURCEA(IDI_DECK));
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = SLIDER_MENU_NAME;
    wc.lpszClassName = SLIDER_CLASS;
    return RegisterClassA(&wc) != 0;
}

void UnregisterSliderClass(void* instance) { UnregisterClassA(SLIDER_CLASS, (HINSTANCE)instance); }

int CreateSliders(void* parentWindow, void* tooltip) {
    if (g_win.window[0]) return 1;
    HWND parent = (HWND)parentWindow;
    g_win.tooltip = (HWND)tooltip;
    if (!g_win.tooltip) {
        g_win.tooltip = MakeTooltip(parent);
        g_win.ownTooltip = g_win.tooltip != nullptr;
    }
    LoadTiles();
    for (int i = 0; i < SLIDER_COUNT; ++i) {
        const SliderRow& row = SliderRows()[i];
        int x, y, w, h;
        SliderPlace(row, Layout().mode, Zoom(), &x, &y, &w, &h);
        g_win.window[i] = CreateWindowExA(0, SLIDER_CLASS, SLIDER_TITLE, WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                                          (HMENU)(INT_PTR)row.controlId, (HINSTANCE)InstanceHandle(), nullptr);
        if (!g_win.window[i]) {
            DestroySliders();
            return 0;
        }
        if (g_win.tooltip) AddTip(i, parent);
    }
    LayoutSliders();
    return 1;
}

void DestroySliders() {
    if (g_win.dragging) ReleaseCapture();
    for (HWND& w : g_win.window) {
        // A shared tooltip control outlives the sliders: their tools come off it first.
        if (w && g_win.tooltip && !g_win.ownTooltip && IsWindow(g_win.tooltip)) {
            TOOLINFOA ti = {};
            ti.cbSize = TTTOOLINFOA_V1_SIZE;
            ti.hwnd = GetParent(w);
            ti.uId = (UINT_PTR)w;
            SendMessageA(g_win.tooltip, TTM_DELTOOLA, 0, (LPARAM)&ti);
        }
        if (w) DestroyWindow(w);
        w = nullptr;
    }
    if (g_win.ownTooltip && g_win.tooltip) DestroyWindow(g_win.tooltip);
    FreeCanvas();  // first: the strip and thumb are selected into its DCs
    if (g_win.strip) DeleteObject(g_win.strip);
    if (g_win.thumb) DeleteObject(g_win.thumb);
    int values[SLIDER_COUNT] = {g_win.value[0], g_win.value[1]};
    g_win = SliderWindows();
    for (int i = 0; i < SLIDER_COUNT; ++i) g_win.value[i] = values[i];  // the values outlive the windows
}

void LayoutSliders() {
    for (int i = 0; i < SLIDER_COUNT; ++i) {
        if (!g_win.window[i]) continue;
        int x, y, w, h;
        int shown = SliderPlace(SliderRows()[i], Layout().mode, Zoom(), &x, &y, &w, &h);
        SetWindowPos(g_win.window[i], nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(g_win.window[i], shown ? SW_SHOW : SW_HIDE);
    }
    RedrawSliders();
}

void SetSliderValue(int controlId, int value) {
    int i = IndexOfId(controlId);
    if (i < 0) return;
    g_win.value[i] = value;
    if (SliderValueMovesThumb(SliderRows()[i], value, g_win.drawnW[i], g_win.drawnX[i])) Draw(i);
}

void RedrawSliders() {
    for (int i = 0; i < SLIDER_COUNT; ++i) Draw(i);
}

int SliderValue(int controlId) {
    int i = IndexOfId(controlId);
    return i < 0 ? 0 : g_win.value[i];
}
