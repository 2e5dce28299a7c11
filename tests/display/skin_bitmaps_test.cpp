// The generated skin bitmaps: every picture the program loads exists at its exact size and depth,
// and every key strip has something drawn in each cell, with the pressed row looking different
// from the normal one (a glyph placed in the wrong column or a missing row shows up here).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "skin_picture.h"
#include "skin_pictures.h"

namespace {

// Pixels of a cell's inside that differ from the key face beside them: the key's face is one
// colour per row (a vertical gradient), so what differs is a label, an icon or a lamp.
int InkPixels(const Picture& p, int x0, int y0, int w, int h) {
    int ink = 0;
    for (int y = y0 + 2; y < y0 + h - 2; ++y)
        for (int x = x0 + 3; x < x0 + w - 2; ++x) ink += p.At(x, y) != p.At(x0 + 2, y);
    return ink;
}

int CellsDiffer(const Picture& p, int x0, int yA, int yB, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (p.At(x0 + x, yA + y) != p.At(x0 + x, yB + y)) return 1;
    return 0;
}
}  // namespace

TEST(SkinBitmaps, EveryPictureHasItsSizeAndDepthAndNothingElseIsMade) {
    std::map<std::string, std::string> files = SkinManifest();
    ASSERT_FALSE(files.empty()) << "skingen did not run";
    for (const Expected& e : PICTURES) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(files.count(e.name));
        Picture p;
        ASSERT_TRUE(ReadPicture(files[e.name], &p));
        EXPECT_EQ(p.w, e.w);
        EXPECT_EQ(p.h, e.h);
        EXPECT_EQ(p.bpp, e.bpp);
        files.erase(e.name);
    }
    for (auto& stray : files) ADD_FAILURE() << "not a resource the program uses: " << stray.first;
}

TEST(SkinBitmaps, EveryKeyCellIsDrawnAndPressedDiffersFromNormal) {
    std::map<std::string, std::string> files = SkinManifest();
    for (const Expected& e : PICTURES) {
        if (!e.cellW) continue;
        SCOPED_TRACE(e.name);
        Picture p;
        ASSERT_TRUE(ReadPicture(files[e.name], &p));
        ASSERT_EQ(p.w % e.cellW, 0);
        ASSERT_EQ(p.h, 4 * e.cellH) << "four rows: normal, pressed, normal or lit, disabled";
        for (int col = 0; col < p.w / e.cellW; ++col) {
            for (int row = 0; row < 4; ++row)
                EXPECT_GE(InkPixels(p, col * e.cellW, row * e.cellH, e.cellW, e.cellH), 4)
                    << "column " << col << " row " << row;
            EXPECT_TRUE(CellsDiffer(p, col * e.cellW, 0, e.cellH, e.cellW, e.cellH)) << "column " << col;
            EXPECT_TRUE(CellsDiffer(p, col * e.cellW, 2 * e.cellH, 3 * e.cellH, e.cellW, e.cellH)) << "column " << col;
        }
    }
}

// The time digits and rate glyphs are drawn straight onto the display window, so their
// background must be the window's own colour, or every digit would sit in a visible box.
TEST(SkinBitmaps, DisplayGlyphsShareTheDisplayWindowsBackground) {
    std::map<std::string, std::string> files = SkinManifest();
    Picture panel, digits, rate, cells;
    ASSERT_TRUE(ReadPicture(files["IDB_PANEL_TILES"], &panel));
    ASSERT_TRUE(ReadPicture(files["IDB_TIME_DIGITS"], &digits));
    ASSERT_TRUE(ReadPicture(files["IDB_RATE_GLYPHS"], &rate));
    ASSERT_TRUE(ReadPicture(files["IDB_METER_CELLS"], &cells));
    uint32_t window = panel.At(20, 20);
    EXPECT_EQ(digits.At(0, 0), window);
    EXPECT_EQ(rate.At(52, 5), window) << "the blank glyph";
    EXPECT_EQ(rate.At(52, 16), window);
    EXPECT_EQ(cells.At(2, 1), window) << "the gap beside a meter cell";
}
