// The deck's two skinned sliders, volume and position: one window class, drawn from the strip and
// thumb tiles into the main window's back buffer and dragged with the mouse. The geometry, the
// value under the mouse and the tooltip texts are portable; the windows are in slider_win32.cpp.
#pragma once
#include <cstdint>

enum {
    SLIDER_COUNT = 2,
    SLIDER_TILE_W = 7,  // strip tiles (left end, middle, right end) and the thumb
    SLIDER_TILE_H = 9,
    SLIDER_GRIP_MARGIN = 3,  // pixels at each end of a slider that count as its end value
    SLIDER_TIP_BYTES = 80,
};

struct SliderRow {
    int controlId;    // child window id
    int labelString;  // tooltip label (string table)
    int rangeMin, rangeMax;
    int x, y, w, h;  // rectangle in face units (times the zoom on screen)
};
const SliderRow* SliderRows();  // SLIDER_COUNT rows: volume, then position
const SliderRow* FindSliderRow(int controlId);

// Where a slider sits for a face mode (0 normal, 1 thin) and zoom (1 or 2): 0 when it is hidden.
int SliderPlace(const SliderRow& row, int mode, int zoom, int* xOut, int* yOut, int* wOut, int* hOut);
// Left edge of the thumb in face units for a slider w face units wide.
int SliderThumbX(const SliderRow& row, int value, int w);
// Whether `value` puts the thumb of a slider last drawn w face units wide (0: not drawn since it
// was placed) anywhere else than drawnX: the position bar's value changes on nearly every tick of
// a playing track, its thumb only every few, and a redraw that moves nothing is skipped.
int SliderValueMovesThumb(const SliderRow& row, int value, int w, int drawnX);
// The value under the mouse at client x of a slider clientWidth pixels wide.
int SliderValueAt(const SliderRow& row, int x, int clientWidth);
// Tooltip texts: "Volume ( 200 )", and the position as minutes and seconds, "Position ( 1:05)".
void VolumeTipText(const char* label, int value, char* textOut);
void PositionTipText(const char* label, uint32_t ms, char* textOut);

// The windows (Win32; the native build keeps the values only).
int RegisterSliderClass(void* instance);
void UnregisterSliderClass(void* instance);
// Creates both sliders on the parent and adds their tips to the tooltip control (a tooltip
// control of the sliders' own when none is given). Creating twice keeps the first windows.
int CreateSliders(void* parent, void* tooltip);
void DestroySliders();
void LayoutSliders();  // place and show per the face mode and zoom ("Mode", "Mag")
// Keeps the value and draws the slider into the back buffer and onto its window.
void SetSliderValue(int controlId, int value);
void RedrawSliders();  // both sliders again, after the face was composed
int SliderValue(int controlId);

// What the sliders reach above them, registered by the shell.
struct SliderHooks {
    void* (*backBuffer)();                // the memory DC the face is composed into
    void (*volumeDragged)(int value);     // 0..255, both channels
    int (*positionDragBegin)();           // the deck takes over the position
    void (*positionDragMove)(int value);  // 0..1000
    void (*positionDragEnd)();            // the deck seeks
    uint32_t (*positionMs)();             // the deck's position for the tooltip (top bit: time left)
};
void SetSliderHooks(const SliderHooks& hooks);
const SliderHooks& GetSliderHooks();
