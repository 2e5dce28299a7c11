// The face's layout, in one place for painting, hit testing and the tests: where each button
// sits in either mode, which bitmap cell it shows in which state, the pieces the background is
// built from, and where the displays are. Coordinates are unscaled face pixels; the window
// multiplies them by the face scale (1 or 2).
#pragma once
#include <cstdint>

#include "settings/settings.h"  // the face modes and sizes

enum { FACE_BUTTON_COUNT = 23 };
enum { BUTTON_NORMAL = 0, BUTTON_PRESSED = 1, BUTTON_DISABLED = 3 };

struct FaceRect {
    int x, y, w, h;
};

// One row per button, in creation order: control id, tooltip string, place in the normal and
// the thin face, shown in the thin face.
struct FaceButton {
    int id;
    int tipString;
    FaceRect normal;
    FaceRect thin;
    int inThin;
};
extern const FaceButton FACE_BUTTONS[FACE_BUTTON_COUNT];
const FaceButton* FindFaceButton(int id);  // null for an id that is no face button
FaceRect FaceButtonRect(const FaceButton& b, int mode);

// One copy from a skin bitmap: the 16-colour and the 256-colour resource, the source cell and
// where it lands on the face (unscaled).
struct SkinBlit {
    int bitmap16, bitmap;
    int sx, sy, w, h;
    int dx, dy;
};
int SkinBitmapFor(const SkinBlit& b, int screenDepth);  // the deeper variant above 8 bits per pixel

// What a button shows: the cell for `state` given the face's values and the shown state.
struct ButtonLook {
    uint32_t repeatMode, recordFormat, formatLabelSet, inputSelect, muteState, closeLit;
    int faceMode;
    int shownState;
};
SkinBlit ButtonImage(int id, int state, const ButtonLook& look);

// The background of a mode, in drawing order; returns the number of copies (at most `max`;
// FACE_BACKGROUND_MAX holds either mode).
enum { FACE_BACKGROUND_MAX = 1024 };
int FaceBackground(int mode, SkinBlit* out, int max);
// The fixed pieces of the normal face drawn after the background: panel images and labels.
int NormalFaceExtras(SkinBlit* out, int max);

// Time digits: minutes hundreds, tens, units, seconds tens, units (top bit of ms ignored).
void TimeDigits(uint32_t ms, int digitsOut[5]);
extern const int TIME_DIGIT_X[5];
enum { TIME_DIGIT_Y = 39, TIME_DIGIT_W = 10, TIME_DIGIT_H = 13, TIME_COLON_X = 245 };

// Rate display at (94,41): the copies for a rate (row 1 lit, 0 dim); blanks first.
int RateImage(uint32_t rateHz, int lit, SkinBlit* out, int max);

// Level meters: cells lit for a level in dB (0..25), the cell a cell index is drawn with, and
// the cell's place.
enum { METER_CELLS = 25, METER_X0 = 133, METER_PITCH = 3, METER_Y0 = 40, METER_Y1 = 48 };
int MeterCellCount(int32_t db);
SkinBlit MeterCell(int meter, int n, int lit);  // n 1..25; lit 0 draws the off cell
SkinBlit PeakCell(int meter, int n);            // peak colour by index
int MeterScaleMarks(SkinBlit* out, int max);

// Ticker window and the sliders' rectangles (normal face only).
const FaceRect TICKER_PANEL_RECT = {89, 11, 222, 23};
const FaceRect TICKER_WINDOW = {90, 11, 219, 23};
enum { TICKER_TILE_X = 74, TICKER_TILE_W = 111 };
// The background of a ticker strip stripW screen pixels wide at `scale`: the panel's middle
// columns side by side from x 0 (unscaled) until the whole strip is covered, however long the
// text. Returns how many tiles that takes; at most `max` are written.
int TickerStripTiles(int stripW, int scale, SkinBlit* out, int max);

// Double-click areas: 1 the badge (web information), 2 the time display (version), else 0.
int FaceAreaAtPoint(int mode, int x, int y);
