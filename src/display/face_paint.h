// What a display update draws: the face remembers what it last drew on the screen, so the time
// digits, the meters and the ticker draw only what changed. Portable, so the decisions are
// tested natively; the Win32 face carries out the copies.
#pragma once
#include <cstdint>

#include "display/face_layout.h"
#include "display/face_setters.h"

struct FaceShown {
    int digits[5];      // time digits last drawn on the screen; -1 none yet
    int meterCells[2];  // lit cells of each meter as drawn
    int meterPeak[2];   // peak cell of each meter as drawn, 0 none
    // The ticker: the strip (text, mode and size it was rendered for) and the offset shown.
    int tickerStrip;                      // 1 when a strip is rendered for the fields below
    char tickerText[FACE_TICKER_BYTES];   // the rendered strip's text
    uint32_t tickerMode;                  // and its mode (a centred text is laid out otherwise)
    int tickerScale;                      // and the face size
    int tickerShown;                      // 1 when the window shows the strip at tickerOffset
    int32_t tickerOffset;                 // unscaled pixels
};
void ForgetShownFace(FaceShown* shown);  // nothing is on the screen (new face, reset meters)

// The five time digits for `ms`, all for the face bitmap; `toScreenOut` gets a bit per digit
// (bit i for digit i) that differs from what the screen shows. The screen memory is updated.
void TimeUpdate(FaceShown* shown, uint32_t ms, SkinBlit digitsOut[5], int* toScreenOut);

// Meter `meter` from what it shows to `db` with peak `peakDb`: the cells whose lit state changes.
// Returns their number (at most METER_CELLS + 1).
int MeterUpdate(FaceShown* shown, int meter, int32_t db, int32_t peakDb, SkinBlit* out);
// Both meters dark (every cell drawn off).
int MeterClear(FaceShown* shown, SkinBlit* out, int max);

// The ticker's scroll position before a draw, in unscaled pixels: mode 0 scrolls 2 pixels and
// wraps once the text has gone by, 2 holds the start, 4 centres, anything else stays.
// `extent` is the drawn string's width and `leadExtent` that of its leading blanks, both in
// screen pixels at `scale`.
// Whether the ticker's strip must be rendered again for `text` in `mode` at `scale`: it keeps
// the strip otherwise, since rendering it (a bitmap, its tiles and the text) costs far more than
// copying the window's part of it. A new strip is not shown yet.
int TickerNeedsStrip(FaceShown* shown, const char* text, uint32_t mode, int scale);
// Whether the ticker must be copied to the screen at `offset`: 0 when the screen already shows
// the current strip there (a fixed or paused ticker redrawn on every blink).
int TickerMoves(FaceShown* shown, int32_t offset);
int32_t NextTickerOffset(uint32_t mode, int32_t offset, int scale, int extent, int leadExtent);
enum { TICKER_LEAD_BLANKS = 36, TICKER_TRAIL_BLANKS = 36, TICKER_CENTRE_LEAD = 10, TICKER_CENTRE_TRAIL = 11 };
