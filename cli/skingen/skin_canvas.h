// Pixels for the skin generator: an RGB canvas with the few drawing operations the skin
// descriptions use, and the writer that turns it into a palette bitmap file (4 or 8 bits).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

typedef uint32_t Rgb;  // 0x00RRGGBB

inline Rgb MakeRgb(int r, int g, int b) { return (Rgb)((r & 255) << 16 | (g & 255) << 8 | (b & 255)); }
inline int RedOf(Rgb c) { return (c >> 16) & 255; }
inline int GreenOf(Rgb c) { return (c >> 8) & 255; }
inline int BlueOf(Rgb c) { return c & 255; }
Rgb Shade(Rgb c, int delta);          // every channel moved by delta, held in 0..255
Rgb Mix(Rgb a, Rgb b, int bPercent);  // a blended towards b

struct Canvas {
    int w, h;
    std::vector<Rgb> px;  // row 0 at the top
};

Canvas MakeCanvas(int w, int h);
void Plot(Canvas& c, int x, int y, Rgb colour);  // outside the canvas: nothing
Rgb PixelAt(const Canvas& c, int x, int y);
void FillRect(Canvas& c, int x, int y, int w, int h, Rgb colour);
void FrameRect(Canvas& c, int x, int y, int w, int h, Rgb colour);
void VerticalGradient(Canvas& c, int x, int y, int w, int h, Rgb top, Rgb bottom);
// Raised edge: light on the top and left, dark on the bottom and right, one pixel wide.
void Bevel(Canvas& c, int x, int y, int w, int h, Rgb light, Rgb dark);
// Brushed metal: horizontal streaks whose brightness depends on the row and on x modulo 8, so
// that 8-pixel tiles of it repeat without seams.
void Brushed(Canvas& c, int x, int y, int w, int h, Rgb base, int seed);
void Line(Canvas& c, int x0, int y0, int x1, int y1, Rgb colour);

// Palette bitmap file ("BM", 40-byte header, bottom-up rows) with at most 2^bpp colours chosen
// from the canvas. 1 on success.
int WritePaletteBitmap(const Canvas& c, int bpp, const std::string& path);
