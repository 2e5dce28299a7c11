// The face's tables: buttons, background pieces, button cells, displays.
#include "display/face_layout.h"

#include "display/shown_states.h"
#include "resources/resource.h"

namespace {
const int FRAME_TILE = 8, THIN_TILE = 5;
const int RATE_X = 94, RATE_Y = 41, RATE_GLYPH_W = 5, RATE_GLYPH_H = 11;
const int RATE_BLANK_X = 50, RATE_KHZ_X = 55, RATE_KHZ_W = 15, RATE_SPECIAL_X = 74, RATE_SPECIAL_W = 23;
const uint32_t RATE_SPECIAL = 1;  // files without a sample rate (MIDI)
const int METER_LOW_END_X = 172, METER_MID_END_X = 200;
const int PEAK_MID_FROM = 13, PEAK_HIGH_FROM = 23;
enum { CELL_LOW = 0, CELL_MID = 3, CELL_HIGH = 6, CELL_OFF = 9 };

SkinBlit Blit(int b16, int b, int sx, int sy, int w, int h, int dx, int dy) {
    return SkinBlit{b16, b, sx, sy, w, h, dx, dy};
}

struct Adder {
    SkinBlit* out;
    int max, n;
    void Add(const SkinBlit& b) {
        if (n < max) out[n] = b;
        ++n;
    }
    int Count() const { return n < max ? n : max; }
};

// A frame row: left tile at 0, middle tiles while x < 392, right tile at 392.
void FrameRow(Adder& a, int tileRow, int y) {
    a.Add(Blit(IDB_FRAME_16, IDB_FRAME, 0, tileRow * FRAME_TILE, FRAME_TILE, FRAME_TILE, 0, y));
    for (int x = FRAME_TILE; x < FACE_W - FRAME_TILE; x += FRAME_TILE)
        a.Add(Blit(IDB_FRAME_16, IDB_FRAME, FRAME_TILE, tileRow * FRAME_TILE, FRAME_TILE, FRAME_TILE, x, y));
    a.Add(Blit(IDB_FRAME_16, IDB_FRAME, 2 * FRAME_TILE, tileRow * FRAME_TILE, FRAME_TILE, FRAME_TILE,
               FACE_W - FRAME_TILE, y));
}

// A groove from its left cap at `left` to its right cap at `right`: middle tiles fill the space
// between the caps and none reaches under the right cap.
void Groove(Adder& a, int left, int right, int y) {
    a.Add(Blit(IDB_GROOVE_16, IDB_GROOVE, 0, 0, 8, 17, left, y));
    for (int x = left + 8; x + 8 <= right; x += 8) a.Add(Blit(IDB_GROOVE_16, IDB_GROOVE, 8, 0, 8, 17, x, y));
    a.Add(Blit(IDB_GROOVE_16, IDB_GROOVE, 16, 0, 8, 17, right, y));
}

int StateColumnOfPlay(int shown) {
    switch (shown) {
    case Playing:
    case Paused:
    case Searching:
    case TrackSpace: return 8;
    case Recording:
    case RecPause:
    case RecStandby:
    case RecAutoActive: return 9;
    default: return 0;
    }
}

int StateColumnOfPause(int shown) {
    switch (shown) {
    case Paused:
    case Searching: return 10;
    case RecPause:
    case RecStandby: return 11;
    default: return 1;
    }
}
}  // namespace

// Columns: id, tooltip string, normal place, thin place, shown when thin.
const FaceButton FACE_BUTTONS[FACE_BUTTON_COUNT] = {
    {CMD_CLOSE,           STR_TIP_CLOSE,           {9, 10, 37, 16},   {7, 2, 29, 16},    1},
    {CMD_SELECT_FILE,     STR_TIP_SELECT_FILE,     {60, 11, 26, 13},  {41, 4, 26, 13},   1},
    {CMD_LAUNCH_SELECTOR, STR_TIP_LAUNCH_SELECTOR, {315, 9, 36, 15},  {321, 3, 36, 15},  1},
    {CMD_ICONIZE,         STR_TIP_ICONIZE,         {354, 8, 18, 16},  {358, 2, 18, 16},  1},
    {CMD_FACE_MODE,       STR_TIP_FACE_MODE,       {375, 8, 18, 16},  {377, 2, 18, 16},  1},
    {CMD_OPEN_PLAYLIST,   STR_TIP_OPEN_PLAYLIST,   {9, 72, 35, 9},    {9, 72, 35, 9},    0},
    {CMD_FILE_PROPERTY,   STR_TIP_FILE_PROPERTY,   {47, 72, 35, 9},   {47, 72, 35, 9},   0},
    {CMD_INPUT_IN1,       STR_TIP_INPUT_IN1,       {327, 47, 29, 26}, {327, 47, 29, 26}, 0},
    {CMD_INPUT_IN2,       STR_TIP_INPUT_IN2,       {359, 47, 29, 26}, {359, 47, 29, 26}, 0},
    {CMD_FORMAT_PCM,      STR_TIP_FORMAT_PCM,      {277, 35, 34, 11}, {277, 35, 34, 11}, 0},
    {CMD_FORMAT_MP1,      STR_TIP_FORMAT_MP1,      {277, 47, 34, 11}, {277, 47, 34, 11}, 0},
    {CMD_FORMAT_MP2,      STR_TIP_FORMAT_MP2,      {277, 59, 34, 11}, {277, 59, 34, 11}, 0},
    {CMD_FORMAT_MP3,      STR_TIP_FORMAT_MP3,      {277, 71, 34, 11}, {277, 71, 34, 11}, 0},
    {CMD_MUTE,            STR_TIP_MUTE,            {129, 57, 20, 9},  {129, 57, 20, 9},  0},
    {CMD_REPEAT,          STR_TIP_REPEAT,          {89, 70, 35, 12},  {277, 4, 35, 12},  1},
    {CMD_PLAY,            STR_TIP_PLAY,            {80, 86, 30, 13},  {69, 3, 30, 13},   1},
    {CMD_PAUSE,           STR_TIP_PAUSE,           {109, 86, 30, 13}, {98, 3, 30, 13},   1},
    {CMD_STOP,            STR_TIP_STOP,            {138, 86, 30, 13}, {127, 3, 30, 13},  1},
    {CMD_REWIND,          STR_TIP_REWIND,          {167, 86, 30, 13}, {156, 3, 30, 13},  1},
    {CMD_FAST_FORWARD,    STR_TIP_FAST_FORWARD,    {196, 86, 30, 13}, {185, 3, 30, 13},  1},
    {CMD_PREVIOUS,        STR_TIP_PREVIOUS,        {225, 86, 30, 13}, {214, 3, 30, 13},  1},
    {CMD_NEXT,            STR_TIP_NEXT,            {254, 86, 30, 13}, {243, 3, 30, 13},  1},
    {CMD_RECORD,          STR_TIP_RECORD,          {291, 86, 30, 13}, {291, 86, 30, 13}, 0},
};

const FaceButton* FindFaceButton(int id) {
    for (const FaceButton& b : FACE_BUTTONS)
        if (b.id == id) return &b;
    return nullptr;
}

FaceRect FaceButtonRect(const FaceButton& b, int mode) { return mode == FACE_MODE_THIN ? b.thin : b.normal; }

int SkinBitmapFor(const SkinBlit& b, int screenDepth) { return screenDepth > 8 ? b.bitmap : b.bitmap16; }

SkinBlit ButtonImage(int id, int state, const ButtonLook& look) {
    const FaceButton* fb = FindFaceButton(id);
    FaceRect r = fb ? FaceButtonRect(*fb, look.faceMode) : FaceRect{0, 0, 0, 0};
    int b16 = 0, b = 0, col = 0, row = 2;  // most buttons show row 2 normally
    switch (id) {
    case CMD_CLOSE:
        if (look.faceMode == FACE_MODE_THIN)
            b16 = IDB_BTN_CLOSE_THIN_16, b = IDB_BTN_CLOSE_THIN;
        else
            b16 = IDB_BTN_CLOSE_16, b = IDB_BTN_CLOSE;
        row = look.closeLit ? 2 : 0;
        break;
    case CMD_SELECT_FILE: b16 = IDB_BTN_SELECT_FILE_16, b = IDB_BTN_SELECT_FILE; break;
    case CMD_LAUNCH_SELECTOR: b16 = IDB_BTN_SELECTOR_16, b = IDB_BTN_SELECTOR; break;
    case CMD_ICONIZE:
    case CMD_FACE_MODE:
        b16 = IDB_BTN_WINDOW_16, b = IDB_BTN_WINDOW;
        col = id - CMD_ICONIZE;
        break;
    case CMD_OPEN_PLAYLIST:
    case CMD_FILE_PROPERTY:
        b16 = IDB_BTN_LIST_16, b = IDB_BTN_LIST;
        col = id - CMD_OPEN_PLAYLIST;
        break;
    case CMD_INPUT_IN1:
    case CMD_INPUT_IN2: {
        b16 = IDB_BTN_INPUT_16, b = IDB_BTN_INPUT;
        uint32_t selected = id == CMD_INPUT_IN1 ? INPUT_IN1 : INPUT_IN2;
        if (look.inputSelect <= 1) row = look.inputSelect == selected ? 0 : 2;
        break;
    }
    case CMD_FORMAT_PCM:
    case CMD_FORMAT_MP1:
    case CMD_FORMAT_MP2:
    case CMD_FORMAT_MP3:
        b16 = IDB_BTN_FORMAT_16, b = IDB_BTN_FORMAT;
        col = id - CMD_FORMAT_PCM + (look.formatLabelSet == 1 ? 4 : 0);
        row = look.recordFormat == (uint32_t)(id - CMD_FORMAT_PCM) ? 2 : 0;
        break;
    case CMD_MUTE:
        // The muted key is drawn from row 0, whose lamp is lit; row 2 is the plain key.
        b16 = IDB_BTN_MUTE_16, b = IDB_BTN_MUTE;
        row = look.muteState ? 0 : 2;
        break;
    case CMD_REPEAT:
        b16 = IDB_BTN_REPEAT_16, b = IDB_BTN_REPEAT;
        if (look.repeatMode == 0) row = 0;
        if (look.repeatMode == 1) col = 1;
        break;
    case CMD_PLAY:
        b16 = IDB_BTN_TRANSPORT_16, b = IDB_BTN_TRANSPORT;
        col = StateColumnOfPlay(look.shownState);
        break;
    case CMD_PAUSE:
        b16 = IDB_BTN_TRANSPORT_16, b = IDB_BTN_TRANSPORT;
        col = StateColumnOfPause(look.shownState);
        break;
    default:
        if (id >= CMD_STOP && id <= CMD_RECORD) {
            b16 = IDB_BTN_TRANSPORT_16, b = IDB_BTN_TRANSPORT;
            col = 2 + id - CMD_STOP;
        }
        break;
    }
    if (state == BUTTON_PRESSED || state == BUTTON_DISABLED) {
        row = state;
        if (id == CMD_REPEAT) col = 0;
    }
    return Blit(b16, b, col * r.w, row * r.h, r.w, r.h, r.x, r.y);
}

int FaceBackground(int mode, SkinBlit* out, int max) {
    Adder a{out, max, 0};
    if (mode == FACE_MODE_THIN) {
        a.Add(Blit(IDB_THIN_FRAME_16, IDB_THIN_FRAME, 0, 0, THIN_TILE, FACE_THIN_H, 0, 0));
        for (int x = THIN_TILE; x < FACE_W - THIN_TILE; x += THIN_TILE)
            a.Add(Blit(IDB_THIN_FRAME_16, IDB_THIN_FRAME, THIN_TILE, 0, THIN_TILE, FACE_THIN_H, x, 0));
        a.Add(Blit(IDB_THIN_FRAME_16, IDB_THIN_FRAME, 2 * THIN_TILE, 0, THIN_TILE, FACE_THIN_H, FACE_W - THIN_TILE, 0));
        return a.Count();
    }
    FrameRow(a, 0, 0);
    for (int y = 8; y <= 96; y += 8) FrameRow(a, 1, y);
    FrameRow(a, 2, 78);
    FrameRow(a, 3, 97);
    a.Add(Blit(IDB_CORNER_16, IDB_CORNER, 0, 0, 73, 13, 0, 92));
    a.Add(Blit(IDB_CORNER_16, IDB_CORNER, 0, 0, 73, 13, 327, 92));
    Groove(a, 78, 278, 84);
    Groove(a, 289, 315, 84);
    const int panelY = 35;
    a.Add(Blit(IDB_PANEL_TILES_16, IDB_PANEL_TILES, 0, 0, 12, 47, 88, panelY));
    a.Add(Blit(IDB_PANEL_TILES_16, IDB_PANEL_TILES, 12, 0, 12, 47, 100, panelY));
    a.Add(Blit(IDB_PANEL_TILES_16, IDB_PANEL_TILES, 12, 0, 12, 47, 112, panelY));
    a.Add(Blit(IDB_PANEL_TILES_16, IDB_PANEL_TILES, 24, 0, 12, 47, 121, panelY));
    for (int x = 133; x <= 253; x += 12) a.Add(Blit(IDB_PANEL_TILES_16, IDB_PANEL_TILES, 36, 0, 12, 47, x, panelY));
    a.Add(Blit(IDB_PANEL_TILES_16, IDB_PANEL_TILES, 48, 0, 12, 47, 263, panelY));
    a.Add(Blit(IDB_TIME_DIGITS, IDB_TIME_DIGITS, 100, 0, 5, TIME_DIGIT_H, TIME_COLON_X, TIME_DIGIT_Y));
    a.Add(Blit(IDB_TICKER_PANEL_16, IDB_TICKER_PANEL, 0, 0, 222, 23, TICKER_PANEL_RECT.x, TICKER_PANEL_RECT.y));
    return a.Count();
}

int NormalFaceExtras(SkinBlit* out, int max) {
    Adder a{out, max, 0};
    a.Add(Blit(IDB_NAMEPLATE_16, IDB_NAMEPLATE, 0, 0, 78, 11, 6, 30));
    a.Add(Blit(IDB_BADGE_16, IDB_BADGE, 0, 0, 76, 24, 7, 43));
    a.Add(Blit(IDB_LABEL_INPUT_16, IDB_LABEL_INPUT, 0, 0, 61, 9, 327, 38));
    a.Add(Blit(IDB_LABEL_SOURCE_16, IDB_LABEL_SOURCE, 0, 0, 60, 9, 327, 72));
    return a.Count();
}

const int TIME_DIGIT_X[5] = {214, 224, 234, 251, 261};

void TimeDigits(uint32_t ms, int digitsOut[5]) {
    ms &= 0x7FFFFFFFu;
    uint32_t s = ms / 1000, m = 0;
    if (s >= 60) {
        m = ms / 60000;
        s -= 60 * m;
    }
    digitsOut[0] = (int)(m / 100 % 10);
    digitsOut[1] = (int)(m / 10 % 10);
    digitsOut[2] = (int)(m % 10);
    digitsOut[3] = (int)(s / 10);
    digitsOut[4] = (int)(s % 10);
}

int RateImage(uint32_t rateHz, int lit, SkinBlit* out, int max) {
    static const uint32_t SHOWN_RATES[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 96000};
    Adder a{out, max, 0};
    int sy = lit ? RATE_GLYPH_H : 0;
    auto glyph = [&](int sx, int w, int dx) {
        a.Add(Blit(IDB_RATE_GLYPHS, IDB_RATE_GLYPHS, sx, sy, w, RATE_GLYPH_H, dx, RATE_Y));
    };
    for (int i = 0; i < 6; ++i) glyph(RATE_BLANK_X, RATE_GLYPH_W, RATE_X - 2 + 5 * i);
    if (rateHz == RATE_SPECIAL) {
        glyph(RATE_SPECIAL_X, RATE_SPECIAL_W, RATE_X);
        return a.Count();
    }
    for (uint32_t shown : SHOWN_RATES) {
        if (shown != rateHz) continue;
        int khz = (int)(rateHz / 1000);
        int tens = khz / 10 % 10, units = khz % 10;
        glyph(tens ? tens * RATE_GLYPH_W : RATE_BLANK_X, RATE_GLYPH_W, RATE_X);
        glyph(units * RATE_GLYPH_W, RATE_GLYPH_W, RATE_X + 6);
        glyph(RATE_KHZ_X, RATE_KHZ_W, RATE_X + 12);
    }
    return a.Count();
}

int MeterCellCount(int32_t db) {
    int n;
    if (db >= -20)
        n = db + 25;
    else if (db >= -25)
        n = 5;
    else if (db >= -30)
        n = 4;
    else if (db >= -40)
        n = 3;
    else if (db >= -50)
        n = 2;
    else if (db >= -99)
        n = 1;
    else
        n = 0;
    return n < 0 ? 0 : n > METER_CELLS ? METER_CELLS : n;
}

SkinBlit MeterCell(int meter, int n, int lit) {
    int x = METER_X0 + METER_PITCH * n;
    int cell = !lit ? CELL_OFF : x < METER_LOW_END_X ? CELL_LOW : x < METER_MID_END_X ? CELL_MID : CELL_HIGH;
    return Blit(IDB_METER_CELLS_16, IDB_METER_CELLS, cell, 0, 3, 3, x, meter ? METER_Y1 : METER_Y0);
}

SkinBlit PeakCell(int meter, int n) {
    int cell = n < PEAK_MID_FROM ? CELL_LOW : n < PEAK_HIGH_FROM ? CELL_MID : CELL_HIGH;
    return Blit(IDB_METER_CELLS_16, IDB_METER_CELLS, cell, 0, 3, 3, METER_X0 + METER_PITCH * n,
                meter ? METER_Y1 : METER_Y0);
}

int MeterScaleMarks(SkinBlit* out, int max) {
    Adder a{out, max, 0};
    a.Add(Blit(IDB_METER_MARKS_16, IDB_METER_MARKS, 0, 0, 3, 3, 172, 44));  // where the middle colour starts
    a.Add(Blit(IDB_METER_MARKS_16, IDB_METER_MARKS, 3, 0, 3, 3, 202, 44));  // where the high colour starts
    return a.Count();
}

int TickerStripTiles(int stripW, int scale, SkinBlit* out, int max) {
    if (scale < 1) scale = 1;
    Adder a{out, max, 0};
    for (int x = 0; x < stripW; x += TICKER_TILE_W * scale)
        a.Add(Blit(IDB_TICKER_PANEL_16, IDB_TICKER_PANEL, TICKER_TILE_X, 0, TICKER_TILE_W, TICKER_WINDOW.h, x / scale, 0));
    return a.n;
}

int FaceAreaAtPoint(int mode, int x, int y) {
    if (mode != FACE_MODE_NORMAL) return 0;
    struct Area {
        FaceRect r;
        int area;
    };
    const Area AREAS[] = {
        {{7, 43, 76, 24},                                                                                 1}, // the badge
        {{TIME_DIGIT_X[0], TIME_DIGIT_Y, TIME_DIGIT_X[4] + TIME_DIGIT_W - TIME_DIGIT_X[0], TIME_DIGIT_H},
         2                                                                                                 }, // the time
    };
    for (const Area& a : AREAS)
        if (x >= a.r.x && x < a.r.x + a.r.w && y >= a.r.y && y < a.r.y + a.r.h) return a.area;
    return 0;
}
