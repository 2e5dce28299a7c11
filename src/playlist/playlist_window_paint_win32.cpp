// The playlist window dressed like the deck: the skin's frame tiles fill its background, a panel
// built from slices of the face's panel tiles carries the total and the count in the rate
// display's glyphs, the name plate sits above Close, and the buttons are cells of the playlist
// key strip. Bitmaps are loaded per drawing and freed at once, as the face does.
#include "playlist/playlist_window_paint.h"

#include <windows.h>

#include "base/shell_handles.h"
#include "resources/resource.h"

namespace {
enum {
    FRAME_TILE = 8,  // frame bitmap: 3 columns x 4 rows of 8 x 8 tiles (top, body, separator, bottom)
    FRAME_ROW_BOTTOM = 3,
    PANEL_TILE = 9,  // the panel is built from 9-wide slices of the face's 12-wide panel tiles
    PANEL_SRC_COLUMN = 12,
    PANEL_SRC_H = 47,
    PANEL_MIDDLE_COLUMN = 3,  // the tile the face repeats along its panel
    PANEL_LAST_COLUMN = 4,
    PANEL_TOP_ROWS = 11,  // the top of the 47-high tile, then its bottom rows: both edges stay
    BUTTON_CELL_W = 40,   // key strip: seven columns of 40, rows of 14 (0 normal, 1 pressed, 3 disabled)
    BUTTON_CELL_H = 14,
    BUTTON_ROW_PRESSED = 1,
    BUTTON_ROW_DISABLED = 3,
    DEEP_SCREEN_BITS = 8,  // above this the 256-colour bitmaps are used
};

struct GdiBitmap {  // a bitmap resource, freed on every path
    HBITMAP h;
    explicit GdiBitmap(int id) : h(LoadBitmapA((HINSTANCE)InstanceHandle(), MAKEINTRESOURCEA(id))) {}
    ~GdiBitmap() {
        if (h) DeleteObject(h);
    }
};

struct MemoryDc {  // a memory DC holding a bitmap, restored and freed on every path
    HDC dc;
    HGDIOBJ old;
    MemoryDc(HDC like, HBITMAP b) : dc(CreateCompatibleDC(like)), old(dc && b ? SelectObject(dc, b) : nullptr) {}
    ~MemoryDc() {
        if (dc && old) SelectObject(dc, old);
        if (dc) DeleteDC(dc);
    }
};

int SkinId(int shallow, int deep) {
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits > DEEP_SCREEN_BITS ? deep : shallow;
}
}  // namespace

void PaintListBackground(void* dcHandle, int w, int h) {
    HDC dc = (HDC)dcHandle;
    GdiBitmap tiles(SkinId(IDB_FRAME_16, IDB_FRAME));
    if (!tiles.h) {
        RECT r = {0, 0, w, h};
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    MemoryDc src(dc, tiles.h);
    for (int y = 0; y < h; y += FRAME_TILE) {
        int row = y == 0 ? 0 : (y + FRAME_TILE >= h ? FRAME_ROW_BOTTOM : 1);
        for (int x = 0; x < w; x += FRAME_TILE) {
            int column = x == 0 ? 0 : (x + FRAME_TILE >= w ? 2 : 1);
            BitBlt(dc, x, y, FRAME_TILE, FRAME_TILE, src.dc, column * FRAME_TILE, row * FRAME_TILE, SRCCOPY);
        }
    }
}

void PaintListPanel(void* dcHandle, const ViewRect& at, const PanelValues& values) {
    HDC dc = (HDC)dcHandle;
    GdiBitmap tiles(SkinId(IDB_PANEL_TILES_16, IDB_PANEL_TILES));
    if (tiles.h) {
        MemoryDc src(dc, tiles.h);
        int bottomRows = PANEL_H - PANEL_TOP_ROWS;
        for (int x = 0; x < PANEL_W; x += PANEL_TILE) {
            int srcX = x == 0                      ? 0
                       : x + PANEL_TILE >= PANEL_W ? (PANEL_LAST_COLUMN + 1) * PANEL_SRC_COLUMN - PANEL_TILE
                                                   : PANEL_MIDDLE_COLUMN * PANEL_SRC_COLUMN;
            BitBlt(dc, at.x + x, at.y, PANEL_TILE, PANEL_TOP_ROWS, src.dc, srcX, 0, SRCCOPY);
            BitBlt(dc, at.x + x, at.y + PANEL_TOP_ROWS, PANEL_TILE, bottomRows, src.dc, srcX, PANEL_SRC_H - bottomRows,
                   SRCCOPY);
        }
    }
    GdiBitmap glyphs(IDB_RATE_GLYPHS);
    if (!glyphs.h) return;
    MemoryDc src(dc, glyphs.h);
    PanelGlyph g[PANEL_MAX_GLYPHS];
    int n = PanelGlyphs(values.totalMs, values.count, values.pending, g);
    for (int i = 0; i < n; ++i)
        BitBlt(dc, at.x + g[i].dstX, at.y + PANEL_GLYPH_Y, g[i].width, PANEL_GLYPH_H, src.dc, g[i].srcX, 0, SRCCOPY);
}

void PaintListLogo(void* dcHandle, const ViewRect& at) {
    HDC dc = (HDC)dcHandle;
    GdiBitmap logo(SkinId(IDB_NAMEPLATE_16, IDB_NAMEPLATE));
    if (!logo.h) return;
    MemoryDc src(dc, logo.h);
    BitBlt(dc, at.x, at.y, at.w, at.h, src.dc, 0, 0, SRCCOPY);
}

void DrawListButton(void* dcHandle, const ViewRect& at, int buttonIndex, int pressed, int disabled) {
    HDC dc = (HDC)dcHandle;
    int row = disabled ? BUTTON_ROW_DISABLED : pressed ? BUTTON_ROW_PRESSED : 0;
    GdiBitmap strip(SkinId(IDB_PLAYLIST_BUTTONS_16, IDB_PLAYLIST_BUTTONS));
    if (!strip.h) return;
    MemoryDc src(dc, strip.h);
    BitBlt(dc, at.x, at.y, BUTTON_CELL_W, BUTTON_CELL_H, src.dc, ButtonBitmapColumn(buttonIndex) * BUTTON_CELL_W,
           row * BUTTON_CELL_H, SRCCOPY);
}
