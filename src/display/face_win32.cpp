// The skinned face: composes the back buffer from the skin bitmaps, paints the window from it,
// and carries out the setters' redraws (time digits, rate, meters, ticker, lit buttons), each
// drawing only its own element, so a playing deck does not repaint the whole face.
#include "display/face.h"

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

#include "base/shell_handles.h"
#include "display/face_buttons.h"
#include "display/face_layout.h"
#include "display/face_paint.h"
#include "display/face_redraw.h"
#include "display/face_setters.h"
#include "display/shown_states.h"
#include "resources/resource.h"
#include "hardware/slider.h"
#include "settings/settings.h"

namespace {

const COLORREF TICKER_INK = RGB(100, 0, 0);
const int TICKER_FONT_HEIGHT = -20, TICKER_FONT_HEIGHT_DOUBLE = -39, TICKER_FONT_WEIGHT = 300;
const int TICKER_STRIP_MIN_W = 222;
const int FONT_NAME_BYTES = 64;
const int TICKER_TEXT_BYTES = FACE_TICKER_BYTES + TICKER_LEAD_BLANKS + TICKER_TRAIL_BLANKS;
enum { MAX_BLITS = FACE_BACKGROUND_MAX };

struct FaceState {
    HDC backDc;            // memory DC holding the composed face
    HBITMAP backBitmap;    // 800 x 210, compatible with the screen
    HGDIOBJ oldBitmap;     // the DC's original bitmap, put back before deleting ours
    int screenDepth;       // bits per pixel, read when the bitmaps are loaded
    int shownState;        // the state the Play and Pause keys show
    FaceShown shown;       // digits and meter cells as the back buffer (and so the screen) has them
    int32_t tickerOffset;  // scroll position, unscaled pixels
    HFONT tickerFont;      // made for tickerFontScale
    int tickerFontScale;
    SkinBlit compose[MAX_BLITS];  // the copies ComposeFace is carrying out
    // Skin bitmaps stay loaded once drawn, until the face's bitmaps are freed: loading one from
    // the resources makes a screen-compatible bitmap, and under Wine that costs display-driver
    // and server work on every tick that redraws the time, the meters or the ticker.
    std::vector<std::pair<int, HBITMAP>> loaded;
    // The skin bitmaps are copied out of one memory DC kept with the back buffer: making a DC for
    // every update cost Wine server round trips each time, ten times a second for moving meters.
    HDC skinDc;
    HGDIOBJ skinOld;  // the skin DC's original bitmap
    int skinSelected; // the skin bitmap selected into it, 0 none
    HDC stripDc;          // the ticker's strip, selected into its own DC; null until rendered
    HBITMAP strip;
    HGDIOBJ stripOld;     // the strip DC's original bitmap
    int stripW;           // the strip's width and the text's extents, screen pixels
    int stripExtent, stripLeadExtent;
};
FaceState g_face;

HWND Main() { return (HWND)MainWindowHandle(); }
HINSTANCE Instance() { return (HINSTANCE)InstanceHandle(); }
int Mode() { return Layout().mode == FACE_MODE_THIN ? FACE_MODE_THIN : FACE_MODE_NORMAL; }

// The window shows the face: it exists, is visible and not minimised.
int FaceOnScreen() {
    HWND main = Main();
    return main && IsWindowVisible(main) && !IsIconic(main);
}

HBITMAP SkinBitmap(int id) {
    for (const auto& l : g_face.loaded)
        if (l.first == id) return l.second;
    HBITMAP b = LoadBitmapA(Instance(), MAKEINTRESOURCEA(id));
    if (b) g_face.loaded.emplace_back(id, b);
    return b;
}

void FreeSkinBitmaps() {
    if (g_face.skinDc && g_face.skinSelected) SelectObject(g_face.skinDc, g_face.skinOld);
    g_face.skinSelected = 0;
    for (const auto& l : g_face.loaded) DeleteObject(l.second);
    g_face.loaded.clear();
}

// Copies from the skin bitmaps onto `dc`; (ox, oy) is the face point at the DC's origin.
void CopyBlits(HDC dc, const SkinBlit* b, int n, int ox = 0, int oy = 0) {
    if (!dc || n <= 0) return;
    int s = FaceScale();
    int kept = g_face.skinDc != nullptr;
    HDC mem = kept ? g_face.skinDc : CreateCompatibleDC(dc);
    if (!mem) return;
    HGDIOBJ old = nullptr;
    int selectedId = kept ? g_face.skinSelected : 0;
    for (int i = 0; i < n; ++i) {
        int id = SkinBitmapFor(b[i], g_face.screenDepth);
        if (id != selectedId) {
            HBITMAP bitmap = SkinBitmap(id);
            if (!bitmap) continue;
            HGDIOBJ was = SelectObject(mem, bitmap);
            if (!old) old = was;
            selectedId = id;
        }
        StretchBlt(dc, (b[i].dx - ox) * s, (b[i].dy - oy) * s, b[i].w * s, b[i].h * s, mem, b[i].sx, b[i].sy, b[i].w,
                   b[i].h, SRCCOPY);
    }
    if (kept) {
        g_face.skinSelected = selectedId;
        return;
    }
    if (old) SelectObject(mem, old);
    DeleteDC(mem);
}

// The window gets the part of the back buffer the copies `b` covered, in one copy.
void ShowOnScreen(const SkinBlit* b, int n) {
    if (n <= 0 || !FaceOnScreen()) return;
    int left = b[0].dx, top = b[0].dy, right = b[0].dx + b[0].w, bottom = b[0].dy + b[0].h;
    for (int i = 1; i < n; ++i) {
        if (b[i].dx < left) left = b[i].dx;
        if (b[i].dy < top) top = b[i].dy;
        if (b[i].dx + b[i].w > right) right = b[i].dx + b[i].w;
        if (b[i].dy + b[i].h > bottom) bottom = b[i].dy + b[i].h;
    }
    int s = FaceScale();
    HDC dc = GetDC(Main());
    BitBlt(dc, left * s, top * s, (right - left) * s, (bottom - top) * s, g_face.backDc, left * s, top * s, SRCCOPY);
    ReleaseDC(Main(), dc);
}

// Copies onto the back buffer and, while the face is on the screen, onto the window too.
void CopyToFaceAndScreen(const SkinBlit* b, int n) {
    if (n <= 0) return;  // meters that did not change on this tick
    CopyBlits(g_face.backDc, b, n);
    ShowOnScreen(b, n);
}

ButtonLook CurrentLook() {
    const FaceValues& v = Face();
    ButtonLook l{};
    l.repeatMode = v.repeatMode;
    l.recordFormat = v.recordFormat;
    l.formatLabelSet = v.formatIsRecord;
    l.inputSelect = v.inputSelect;
    l.muteState = v.muteState;
    l.closeLit = v.closeLit;
    l.faceMode = Mode();
    l.shownState = g_face.shownState;
    return l;
}

HFONT TickerFont(int scale) {
    if (g_face.tickerFont && g_face.tickerFontScale == scale) return g_face.tickerFont;
    if (g_face.tickerFont) DeleteObject(g_face.tickerFont);
    char name[FONT_NAME_BYTES] = "Arial";
    LoadStringA(Instance(), STR_TICKER_FONT, name, FONT_NAME_BYTES);
    g_face.tickerFont = CreateFontA(scale == 2 ? TICKER_FONT_HEIGHT_DOUBLE : TICKER_FONT_HEIGHT, 0, 0, 0,
                                    TICKER_FONT_WEIGHT, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_STROKE_PRECIS, PROOF_QUALITY, FF_ROMAN, name);
    g_face.tickerFontScale = scale;
    return g_face.tickerFont;
}

void FreeTickerStrip() {
    if (g_face.stripDc) {
        SelectObject(g_face.stripDc, g_face.stripOld);
        DeleteDC(g_face.stripDc);
    }
    if (g_face.strip) DeleteObject(g_face.strip);
    g_face.stripDc = nullptr;
    g_face.strip = nullptr;
    g_face.stripOld = nullptr;
}

// The ticker's strip: the text between its blanks on a strip backed by the ticker window's
// middle columns, kept until the text, its mode or the face size changes; each draw copies the
// 219-pixel window at the offset out of it.
void RenderTickerStrip(int s) {
    FreeTickerStrip();
    const FaceValues& v = Face();
    int centred = v.tickerMode == TICKER_CENTRED;
    int lead = centred ? TICKER_CENTRE_LEAD : TICKER_LEAD_BLANKS;
    int trail = centred ? TICKER_CENTRE_TRAIL : TICKER_TRAIL_BLANKS;
    char text[TICKER_TEXT_BYTES];
    int len = 0;
    for (int i = 0; i < lead; ++i) text[len++] = ' ';
    for (const char* p = v.tickerText; *p && len < TICKER_TEXT_BYTES - trail - 1; ++p) text[len++] = *p;
    for (int i = 0; i < trail; ++i) text[len++] = ' ';
    text[len] = 0;

    HDC mem = CreateCompatibleDC(g_face.backDc);
    if (!mem) return;
    HGDIOBJ oldFont = SelectObject(mem, TickerFont(s));
    SIZE extent = {0, 0}, leadExtent = {0, 0};
    GetTextExtentPoint32A(mem, text, len, &extent);
    GetTextExtentPoint32A(mem, text, TICKER_LEAD_BLANKS, &leadExtent);
    int stripW = extent.cx > TICKER_STRIP_MIN_W * s ? extent.cx : TICKER_STRIP_MIN_W * s;
    int stripH = TICKER_WINDOW.h * s;
    HBITMAP strip = CreateCompatibleBitmap(g_face.backDc, stripW, stripH);
    if (!strip) {
        SelectObject(mem, oldFont);
        DeleteDC(mem);
        return;
    }
    g_face.stripOld = SelectObject(mem, strip);
    std::vector<SkinBlit> tiles((size_t)TickerStripTiles(stripW, s, nullptr, 0));
    CopyBlits(mem, tiles.data(), TickerStripTiles(stripW, s, tiles.data(), (int)tiles.size()));
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, TICKER_INK);
    RECT r = {0, 0, stripW, stripH};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (centred && extent.cx < stripW ? DT_CENTER : 0);
    DrawTextA(mem, text, len, &r, format);
    SelectObject(mem, oldFont);
    g_face.stripDc = mem;
    g_face.strip = strip;
    g_face.stripW = stripW;
    g_face.stripExtent = extent.cx;
    g_face.stripLeadExtent = leadExtent.cx;
    g_face.shown.tickerShown = 0;  // a new strip is yet to be copied out
}

// The ticker onto the back buffer, rendering its strip only when it changed. `advance` moves the
// offset first (each drawing of a scrolling text moves it 2 pixels). Returns 1 when the back
// buffer's ticker window changed; a fixed or paused ticker redrawn at the same place does not.
int UpdateTicker(int advance) {
    if (!g_face.backDc) return 0;
    int s = FaceScale();
    const FaceValues& v = Face();
    if (TickerNeedsStrip(&g_face.shown, v.tickerText, v.tickerMode, s) || !g_face.stripDc) RenderTickerStrip(s);
    if (!g_face.stripDc) return 0;
    if (advance)
        g_face.tickerOffset =
            NextTickerOffset(v.tickerMode, g_face.tickerOffset, s, g_face.stripExtent, g_face.stripLeadExtent);
    if (!TickerMoves(&g_face.shown, g_face.tickerOffset)) return 0;
    int from = g_face.tickerOffset * s;
    if (from < 0) from = 0;
    if (from > g_face.stripW - TICKER_WINDOW.w * s) from = g_face.stripW - TICKER_WINDOW.w * s;
    BitBlt(g_face.backDc, TICKER_WINDOW.x * s, TICKER_WINDOW.y * s, TICKER_WINDOW.w * s, TICKER_WINDOW.h * s,
           g_face.stripDc, from, 0, SRCCOPY);
    return 1;
}

void DrawRate() {
    SkinBlit b[16];
    int n = RateImage(Face().rateHz, Face().rateIsRecord ? 1 : 0, b, 16);
    CopyToFaceAndScreen(b, n);
}

// The time digits: all five onto the back buffer, onto the screen only those that changed.
void DrawTime() {
    SkinBlit digits[5];
    int toScreen = 0;
    TimeUpdate(&g_face.shown, Face().timeMs, digits, &toScreen);
    CopyBlits(g_face.backDc, digits, 5);
    SkinBlit changed[5];
    int n = 0;
    for (int i = 0; i < 5; ++i)
        if (toScreen & (1 << i)) changed[n++] = digits[i];
    ShowOnScreen(changed, n);
}

void DrawMeters() {
    SkinBlit b[2 * (METER_CELLS + 1)];
    int n = MeterUpdate(&g_face.shown, 0, Face().levels[0], Face().levels[1], b);
    n += MeterUpdate(&g_face.shown, 1, Face().levels[2], Face().levels[3], b + n);
    CopyToFaceAndScreen(b, n);
}

void DrawButtonsOnFace() {
    SkinBlit b[FACE_BUTTON_COUNT];
    int n = 0;
    ButtonLook look = CurrentLook();
    for (const FaceButton& fb : FACE_BUTTONS) {
        if (Mode() == FACE_MODE_THIN && !fb.inThin) continue;
        HWND w = Main() ? GetDlgItem(Main(), fb.id) : nullptr;
        b[n++] = ButtonImage(fb.id, w && !IsWindowEnabled(w) ? BUTTON_DISABLED : BUTTON_NORMAL, look);
    }
    CopyBlits(g_face.backDc, b, n);
}
}  // namespace

int FaceScale() { return FaceScaleOf(Layout().mag); }
void* FaceBackBufferDc() { return g_face.backDc; }

int LoadFaceBitmaps() {
    HDC screen = GetDC(nullptr);
    g_face.screenDepth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    FreeSkinBitmaps();
    ForgetShownFace(&g_face.shown);
    HBITMAP probe = LoadBitmapA(Instance(), MAKEINTRESOURCEA(g_face.screenDepth > 8 ? IDB_FRAME : IDB_FRAME_16));
    if (!probe) return 0;
    DeleteObject(probe);
    return 1;
}

void FreeFaceBitmaps() {
    FreeSkinBitmaps();
    FreeTickerStrip();
    if (g_face.tickerFont) DeleteObject(g_face.tickerFont);
    g_face.tickerFont = nullptr;
}

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
    g_face.skinDc = CreateCompatibleDC(g_face.backDc);  // without it each copy makes its own
    if (g_face.skinDc) g_face.skinOld = GetCurrentObject(g_face.skinDc, OBJ_BITMAP);
    g_face.skinSelected = 0;
    return 1;
}

void FreeBackBuffer() {
    FreeTickerStrip();  // made compatible with the back buffer
    if (g_face.skinDc) {
        if (g_face.skinSelected) SelectObject(g_face.skinDc, g_face.skinOld);
        DeleteDC(g_face.skinDc);
    }
    g_face.skinDc = nullptr;
    g_face.skinSelected = 0;
    if (g_face.backDc && g_face.oldBitmap) SelectObject(g_face.backDc, g_face.oldBitmap);
    if (g_face.backBitmap) DeleteObject(g_face.backBitmap);
    if (g_face.backDc) DeleteDC(g_face.backDc);
    g_face.backDc = nullptr;
    g_face.backBitmap = nullptr;
    g_face.oldBitmap = nullptr;
}

void ComposeFace() {
    if (!g_face.backDc) return;
    LayoutFaceButtons();
    SkinBlit* blits = g_face.compose;
    CopyBlits(g_face.backDc, blits, FaceBackground(Mode(), blits, MAX_BLITS));
    if (Mode() == FACE_MODE_NORMAL) {
        CopyBlits(g_face.backDc, blits, NormalFaceExtras(blits, MAX_BLITS));
        CopyBlits(g_face.backDc, blits, RateImage(Face().rateHz, Face().rateIsRecord ? 1 : 0, blits, MAX_BLITS));
        ForgetShownFace(&g_face.shown);
        int ignored = 0;
        TimeUpdate(&g_face.shown, Face().timeMs, blits, &ignored);
        CopyBlits(g_face.backDc, blits, 5);
        CopyBlits(g_face.backDc, blits, MeterClear(&g_face.shown, blits, MAX_BLITS));
        CopyBlits(g_face.backDc, blits, MeterScaleMarks(blits, MAX_BLITS));
        UpdateTicker(0);
    }
    // The sliders go to their places for this mode and size before they draw themselves into
    // the face: drawn from where they were, they would leave a picture of the old layout behind.
    LayoutSliders();
    DrawButtonsOnFace();
}

// The ticker (the status text) is drawn into the back buffer whenever it moves, so the copy
// brings it along.
void PaintFace(void* hdc, int width, int height) {
    if (g_face.backDc) BitBlt((HDC)hdc, 0, 0, width, height, g_face.backDc, 0, 0, SRCCOPY);
}

void ShowStateOnFace(int shownState) { g_face.shownState = shownState; }

void DrawStatusLine() { DrawTicker(); }

void DrawTicker() {
    if (Mode() != FACE_MODE_NORMAL || !g_face.backDc) return;
    if (!UpdateTicker(1) || !FaceOnScreen()) return;
    // The screen gets the ticker window from the back buffer: one copy, and the two agree.
    int s = FaceScale();
    HDC dc = GetDC(Main());
    BitBlt(dc, TICKER_WINDOW.x * s, TICKER_WINDOW.y * s, TICKER_WINDOW.w * s, TICKER_WINDOW.h * s, g_face.backDc,
           TICKER_WINDOW.x * s, TICKER_WINDOW.y * s, SRCCOPY);
    ReleaseDC(Main(), dc);
}

void DrawButton(int controlId, int state, void* hdc, int x, int y) {
    SkinBlit b = ButtonImage(controlId, state, CurrentLook());
    if (!b.bitmap) return;
    int s = FaceScale();
    b.dx = x / s;
    b.dy = y / s;
    CopyBlits((HDC)hdc, &b, 1);
}

void RedrawButton(int controlId) {
    HWND w = Main() ? GetDlgItem(Main(), controlId) : nullptr;
    if (!w) return;
    HDC dc = GetDC(w);
    DrawButton(controlId, IsWindowEnabled(w) ? BUTTON_NORMAL : BUTTON_DISABLED, dc, 0, 0);
    ReleaseDC(w, dc);
}

void RedrawFaceButton(int controlId) { RedrawButton(controlId); }

void RedrawFaceElement(int element) {
    if (!g_face.backDc) return;  // values set before the window exists are drawn by ComposeFace
    int normal = Mode() == FACE_MODE_NORMAL;
    switch (element) {
    case FACE_EL_REPEAT: RedrawButton(CMD_REPEAT); break;
    case FACE_EL_FORMAT:
        for (int id = CMD_FORMAT_PCM; id <= CMD_FORMAT_MP3; ++id) RedrawButton(id);
        break;
    case FACE_EL_INPUT:
        RedrawButton(CMD_INPUT_IN1);
        RedrawButton(CMD_INPUT_IN2);
        break;
    case FACE_EL_MUTE: RedrawButton(CMD_MUTE); break;
    case FACE_EL_CLOSE: RedrawButton(CMD_CLOSE); break;
    case FACE_EL_RATE:
        if (normal) DrawRate();
        break;
    case FACE_EL_TIME:
        if (normal) DrawTime();
        break;
    case FACE_EL_METERS:
        if (normal) DrawMeters();
        break;
    case FACE_EL_TICKER: DrawTicker(); break;
    }
}

int FaceAreaAt(int x, int y) { return FaceAreaAtPoint(Mode(), x / FaceScale(), y / FaceScale()); }
