// The face's update decisions: changed time digits, changed meter cells, the ticker's offset.
#include "display/face_paint.h"

#include <cstring>

#include "base/bounded_copy.h"

#include "display/face_setters.h"
#include "resources/resource.h"

namespace {
const int TICKER_STEP = 2;
const int TICKER_CENTRE_HALF_WINDOW = 111;

SkinBlit DigitBlit(int i, int digit) {
    return SkinBlit{IDB_TIME_DIGITS, IDB_TIME_DIGITS, digit * TIME_DIGIT_W, 0,
                    TIME_DIGIT_W,    TIME_DIGIT_H,    TIME_DIGIT_X[i],      TIME_DIGIT_Y};
}
}  // namespace

void ForgetShownFace(FaceShown* shown) {
    for (int& d : shown->digits) d = -1;
    shown->meterCells[0] = shown->meterCells[1] = 0;
    shown->meterPeak[0] = shown->meterPeak[1] = 0;
    shown->tickerStrip = shown->tickerShown = 0;
}

void TimeUpdate(FaceShown* shown, uint32_t ms, SkinBlit digitsOut[5], int* toScreenOut) {
    int d[5];
    TimeDigits(ms, d);
    *toScreenOut = 0;
    for (int i = 0; i < 5; ++i) {
        digitsOut[i] = DigitBlit(i, d[i]);
        if (shown->digits[i] != d[i]) *toScreenOut |= 1 << i;
        shown->digits[i] = d[i];
    }
}

int MeterUpdate(FaceShown* shown, int meter, int32_t db, int32_t peakDb, SkinBlit* out) {
    int cells = MeterCellCount(db), peak = MeterCellCount(peakDb);
    if (peak <= cells) peak = 0;  // a peak inside the bar is part of it
    int oldCells = shown->meterCells[meter], oldPeak = shown->meterPeak[meter];
    int n = 0;
    for (int c = 1; c <= METER_CELLS; ++c) {
        int was = c <= oldCells || c == oldPeak;
        int now = c <= cells || c == peak;
        if (was == now) continue;
        out[n++] = now ? (c <= cells ? MeterCell(meter, c, 1) : PeakCell(meter, c)) : MeterCell(meter, c, 0);
    }
    shown->meterCells[meter] = cells;
    shown->meterPeak[meter] = peak;
    return n;
}

int MeterClear(FaceShown* shown, SkinBlit* out, int max) {
    int n = 0;
    for (int m = 0; m < 2; ++m)
        for (int c = 1; c <= METER_CELLS && n < max; ++c) out[n++] = MeterCell(m, c, 0);
    shown->meterCells[0] = shown->meterCells[1] = 0;
    shown->meterPeak[0] = shown->meterPeak[1] = 0;
    return n;
}

int TickerNeedsStrip(FaceShown* shown, const char* text, uint32_t mode, int scale) {
    if (shown->tickerStrip && shown->tickerMode == mode && shown->tickerScale == scale &&
        std::strncmp(shown->tickerText, text, sizeof shown->tickerText) == 0)
        return 0;
    CopyBoundedString(shown->tickerText, sizeof shown->tickerText, text);
    shown->tickerMode = mode;
    shown->tickerScale = scale;
    shown->tickerStrip = 1;
    shown->tickerShown = 0;
    return 1;
}

int TickerMoves(FaceShown* shown, int32_t offset) {
    if (shown->tickerShown && shown->tickerOffset == offset) return 0;
    shown->tickerShown = 1;
    shown->tickerOffset = offset;
    return 1;
}

int32_t NextTickerOffset(uint32_t mode, int32_t offset, int scale, int extent, int leadExtent) {
    if (scale < 1) scale = 1;
    switch (mode) {
    case TICKER_SCROLL:
        offset += TICKER_STEP;
        if (offset * scale > extent - leadExtent) offset = 0;
        return offset;
    case TICKER_FIXED: return (leadExtent - 5) / scale;
    case TICKER_CENTRED: return extent / 2 / scale - TICKER_CENTRE_HALF_WINDOW;
    default: return offset;
    }
}
