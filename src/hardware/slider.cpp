// Slider geometry and texts: the slider table, the thumb's place for a value, the value under the
// mouse and the tooltip texts, shared by the slider windows and their tests.
#include "hardware/slider.h"
#include "settings/settings.h"
#include "resources/resource.h"

#include <cstdio>

namespace {
const SliderRow ROWS[SLIDER_COUNT] = {
  // id                 label             range      x    y   w    h
    {IDC_SLIDER_VOLUME,   STR_TIP_VOLUME,   0, 255,  153, 57, 114, 9},
    {IDC_SLIDER_POSITION, STR_TIP_POSITION, 0, 1000, 131, 70, 136, 9},
};

struct SliderModule {
    SliderHooks hooks;  // registered by the shell; empty until then
};
SliderModule g_sliders;

// a * b / c rounded to the nearest, halves away from zero, as the platform's MulDiv; -1 for c 0.
int MulDivRound(int a, int b, int c) {
    if (c == 0) return -1;
    long long p = (long long)a * b;
    long long q = p / c, r = p % c;
    if (2 * (r < 0 ? -r : r) >= (c < 0 ? -c : c)) q += ((p < 0) != (c < 0)) ? -1 : 1;
    return (int)q;
}
}  // namespace

const SliderRow* SliderRows() { return ROWS; }

const SliderRow* FindSliderRow(int controlId) {
    for (const SliderRow& row : ROWS)
        if (row.controlId == controlId) return &row;
    return nullptr;
}

int SliderPlace(const SliderRow& row, int mode, int zoom, int* xOut, int* yOut, int* wOut, int* hOut) {
    int z = zoom == 2 ? 2 : 1;
    *xOut = row.x * z;
    *yOut = row.y * z;
    *wOut = row.w * z;
    *hOut = row.h * z;
    return mode != FACE_MODE_THIN;
}

int SliderThumbX(const SliderRow& row, int value, int w) {
    int x = MulDivRound(value, w - SLIDER_TILE_W, row.rangeMax - row.rangeMin);
    if (x < row.rangeMin) x = row.rangeMin;
    if (x > row.rangeMax) x = row.rangeMax;
    return x;
}

int SliderValueMovesThumb(const SliderRow& row, int value, int w, int drawnX) {
    return w <= 0 || SliderThumbX(row, value, w) != drawnX;
}

int SliderValueAt(const SliderRow& row, int x, int clientWidth) {
    int lo = SLIDER_GRIP_MARGIN, hi = clientWidth - SLIDER_GRIP_MARGIN;
    if (x > hi) x = hi;
    if (x < lo) x = lo;
    int v = MulDivRound(x - SLIDER_GRIP_MARGIN, row.rangeMax - row.rangeMin, clientWidth - 2 * SLIDER_GRIP_MARGIN);
    return v < 0 ? 0 : v;
}

void VolumeTipText(const char* label, int value, char* textOut) {
    std::snprintf(textOut, SLIDER_TIP_BYTES, "%s ( %d )", label, value);
}

// Under a minute the seconds carry a trailing blank before the bracket, from a minute on they
// do not: the texts the deck has always shown.
void PositionTipText(const char* label, uint32_t ms, char* textOut) {
    unsigned s = ms / 1000;
    if (s < 60)
        std::snprintf(textOut, SLIDER_TIP_BYTES, s >= 10 ? "%s ( 0:%u )" : "%s ( 0:0%u )", label, s);
    else
        std::snprintf(textOut, SLIDER_TIP_BYTES, s % 60 >= 10 ? "%s ( %u:%u)" : "%s ( %u:0%u)", label, s / 60, s % 60);
}

void SetSliderHooks(const SliderHooks& hooks) { g_sliders.hooks = hooks; }
const SliderHooks& GetSliderHooks() { return g_sliders.hooks; }
