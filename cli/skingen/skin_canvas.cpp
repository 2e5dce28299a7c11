// The skin generator's canvas: drawing, colour reduction and the bitmap file writer.
#include "skin_canvas.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace {
const int BMP_FILE_HEADER_BYTES = 14;
const int BMP_INFO_HEADER_BYTES = 40;
const int BRUSH_PERIOD = 8;  // the face's tiles are 8 pixels wide

int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// A small deterministic hash, so the brushed texture is the same on every build.
uint32_t Hash(uint32_t a, uint32_t b) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0xC2B2AE3Du;
    return h ^ (h >> 13);
}

int Distance(Rgb a, Rgb b) {
    int dr = RedOf(a) - RedOf(b), dg = GreenOf(a) - GreenOf(b), db = BlueOf(a) - BlueOf(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

// Palette choice: the most used colour first, then repeatedly the colour whose use times its
// distance from the chosen ones is largest, so a small red lamp is kept beside large grey areas.
std::vector<Rgb> ChoosePalette(const Canvas& c, int size) {
    std::map<Rgb, long> uses;
    for (Rgb p : c.px) ++uses[p];
    std::vector<std::pair<Rgb, long>> colours(uses.begin(), uses.end());
    std::vector<Rgb> palette;
    if ((int)colours.size() <= size) {
        for (auto& u : colours) palette.push_back(u.first);
        return palette;
    }
    std::vector<long long> nearest(colours.size(), -1);
    for (int k = 0; k < size; ++k) {
        size_t best = 0;
        long long bestScore = -1;
        for (size_t i = 0; i < colours.size(); ++i) {
            long long d = nearest[i] < 0 ? 1 : nearest[i];
            long long score = colours[i].second * (nearest[i] < 0 ? 1 : d);
            if (score > bestScore) bestScore = score, best = i;
        }
        palette.push_back(colours[best].first);
        for (size_t i = 0; i < colours.size(); ++i) {
            long long d = Distance(colours[i].first, colours[best].first);
            if (nearest[i] < 0 || d < nearest[i]) nearest[i] = d;
        }
    }
    return palette;
}

int NearestIndex(const std::vector<Rgb>& palette, Rgb p) {
    int best = 0, bestD = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        int d = Distance(palette[i], p);
        if (bestD < 0 || d < bestD) bestD = d, best = (int)i;
    }
    return best;
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 255);
    b.push_back(v >> 8 & 255);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
}  // namespace

Rgb Shade(Rgb c, int delta) {
    return MakeRgb(Clamp255(RedOf(c) + delta), Clamp255(GreenOf(c) + delta), Clamp255(BlueOf(c) + delta));
}

Rgb Mix(Rgb a, Rgb b, int bPercent) {
    auto m = [&](int x, int y) { return (x * (100 - bPercent) + y * bPercent) / 100; };
    return MakeRgb(m(RedOf(a), RedOf(b)), m(GreenOf(a), GreenOf(b)), m(BlueOf(a), BlueOf(b)));
}

Canvas MakeCanvas(int w, int h) { return Canvas{w, h, std::vector<Rgb>((size_t)w * h, 0)}; }

void Plot(Canvas& c, int x, int y, Rgb colour) {
    if (x >= 0 && y >= 0 && x < c.w && y < c.h) c.px[(size_t)y * c.w + x] = colour;
}

Rgb PixelAt(const Canvas& c, int x, int y) { return c.px[(size_t)y * c.w + x]; }

void FillRect(Canvas& c, int x, int y, int w, int h, Rgb colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Plot(c, i, j, colour);
}

void FrameRect(Canvas& c, int x, int y, int w, int h, Rgb colour) {
    Line(c, x, y, x + w - 1, y, colour);
    Line(c, x, y + h - 1, x + w - 1, y + h - 1, colour);
    Line(c, x, y, x, y + h - 1, colour);
    Line(c, x + w - 1, y, x + w - 1, y + h - 1, colour);
}

void VerticalGradient(Canvas& c, int x, int y, int w, int h, Rgb top, Rgb bottom) {
    for (int j = 0; j < h; ++j) {
        Rgb row = h > 1 ? Mix(top, bottom, j * 100 / (h - 1)) : top;
        for (int i = 0; i < w; ++i) Plot(c, x + i, y + j, row);
    }
}

void Bevel(Canvas& c, int x, int y, int w, int h, Rgb light, Rgb dark) {
    Line(c, x, y + h - 1, x + w - 1, y + h - 1, dark);
    Line(c, x + w - 1, y, x + w - 1, y + h - 1, dark);
    Line(c, x, y, x + w - 2, y, light);
    Line(c, x, y, x, y + h - 2, light);
}

void Brushed(Canvas& c, int x, int y, int w, int h, Rgb base, int seed) {
    for (int j = 0; j < h; ++j) {
        int row = (int)(Hash((uint32_t)(y + j), (uint32_t)seed) % 9) - 4;  // streak of the row
        for (int i = 0; i < w; ++i) {
            int grain = (int)(Hash((uint32_t)((x + i) % BRUSH_PERIOD), (uint32_t)(y + j) * 31 + seed) % 5) - 2;
            Plot(c, x + i, y + j, Shade(base, row + grain));
        }
    }
}

void Line(Canvas& c, int x0, int y0, int x1, int y1, Rgb colour) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
        Plot(c, x0, y0, colour);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

// The 16-colour pictures are for screens of up to 256 colours, where only the 16 standard colours
// are sure to exist: any other colour is replaced by its nearest standard one when drawn, which
// turns the dark face black. So these pictures use the standard colours themselves, ordered-
// dithered, and look on such a screen as they were made.
const Rgb STANDARD_COLOURS[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
                                  0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
const int BAYER_4X4[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
const int LIGHT_LEVEL = 0xd0;
const int DITHER_SPREAD = 64;  // half a step between the standard channel levels: flat areas
                               // near a standard colour stay flat, dim labels stay visible

// The face is dark: each colour is brightened (its brightest channel to that channel's square
// root, the others in proportion, so hues stay) before it is matched, so dark metal becomes grey
// and stays apart from the black display windows.
int Lifted(int v) {
    int r = 0;
    while ((r + 1) * (r + 1) <= v * 255) ++r;
    return r;
}

Rgb Dithered(Rgb p, int x, int y) {
    int r = RedOf(p), g = GreenOf(p), b = BlueOf(p);
    int top = std::max(r, std::max(g, b));
    int lifted = Lifted(top);
    // Light areas (the ticker's window) stay flat, so the text drawn on them stays readable.
    int offset = lifted >= LIGHT_LEVEL ? 0 : (2 * BAYER_4X4[y % 4][x % 4] - 15) * DITHER_SPREAD / 32;
    auto channel = [&](int v) { return Clamp255((top ? v * lifted / top : 0) + offset); };
    return MakeRgb(channel(r), channel(g), channel(b));
}

int WritePaletteBitmap(const Canvas& c, int bpp, const std::string& path) {
    if (bpp != 4 && bpp != 8) return 0;
    int colours = 1 << bpp;
    const bool standard = bpp == 4;
    std::vector<Rgb> palette =
        standard ? std::vector<Rgb>(STANDARD_COLOURS, STANDARD_COLOURS + 16) : ChoosePalette(c, colours);
    std::map<Rgb, int> index;
    if (!standard)
        for (Rgb p : c.px)
            if (!index.count(p)) index[p] = NearestIndex(palette, p);
    int rowBytes = ((c.w * bpp + 31) / 32) * 4;
    uint32_t offBits = BMP_FILE_HEADER_BYTES + BMP_INFO_HEADER_BYTES + 4 * colours;
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, offBits + (uint32_t)rowBytes * c.h);
    Put32(b, 0);
    Put32(b, offBits);
    Put32(b, BMP_INFO_HEADER_BYTES);
    Put32(b, (uint32_t)c.w);
    Put32(b, (uint32_t)c.h);  // positive: bottom-up
    Put16(b, 1);
    Put16(b, (uint32_t)bpp);
    Put32(b, 0);  // no compression
    Put32(b, (uint32_t)rowBytes * c.h);
    Put32(b, 2835);  // 72 dpi
    Put32(b, 2835);
    Put32(b, (uint32_t)colours);
    Put32(b, 0);
    for (int i = 0; i < colours; ++i) {
        Rgb p = i < (int)palette.size() ? palette[i] : 0;
        b.push_back((uint8_t)BlueOf(p));
        b.push_back((uint8_t)GreenOf(p));
        b.push_back((uint8_t)RedOf(p));
        b.push_back(0);
    }
    for (int y = c.h - 1; y >= 0; --y) {
        std::vector<uint8_t> row((size_t)rowBytes, 0);
        for (int x = 0; x < c.w; ++x) {
            int v = standard ? NearestIndex(palette, Dithered(PixelAt(c, x, y), x, y)) : index[PixelAt(c, x, y)];
            if (bpp == 8)
                row[x] = (uint8_t)v;
            else
                row[x / 2] |= (uint8_t)(x % 2 ? v : v << 4);
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    int ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    ok &= std::fclose(f) == 0;
    return ok;
}
