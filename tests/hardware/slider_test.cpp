// The sliders' geometry and texts: where they sit, which value a click gives at both ends and
// both zooms, where the thumb is drawn, and the tooltip texts.
#include "hardware/slider.h"
#include "resources/resource.h"
#include <gtest/gtest.h>
#include <string>

namespace {
const SliderRow& Volume() { return *FindSliderRow(IDC_SLIDER_VOLUME); }
const SliderRow& Position() { return *FindSliderRow(IDC_SLIDER_POSITION); }

TEST(Slider, PlacesScaleWithTheZoomAndHideInTheThinFace) {
    struct Case {
        int id, mode, zoom, x, y, w, h, shown;
    } cases[] = {
        {IDC_SLIDER_VOLUME,   0, 1, 153, 57,  114, 9,  1},
        {IDC_SLIDER_VOLUME,   0, 2, 306, 114, 228, 18, 1},
        {IDC_SLIDER_POSITION, 0, 1, 131, 70,  136, 9,  1},
        {IDC_SLIDER_POSITION, 0, 2, 262, 140, 272, 18, 1},
        {IDC_SLIDER_POSITION, 1, 1, 131, 70,  136, 9,  0},
        {IDC_SLIDER_VOLUME,   1, 2, 306, 114, 228, 18, 0},
    };
    for (const Case& c : cases) {
        int x, y, w, h;
        EXPECT_EQ(c.shown, SliderPlace(*FindSliderRow(c.id), c.mode, c.zoom, &x, &y, &w, &h)) << c.id;
        EXPECT_EQ((std::vector<int>{c.x, c.y, c.w, c.h}), (std::vector<int>{x, y, w, h})) << c.id << " zoom " << c.zoom;
    }
    EXPECT_EQ(STR_TIP_VOLUME, Volume().labelString);
    EXPECT_EQ(1000, Position().rangeMax);
    EXPECT_EQ(nullptr, FindSliderRow(503));
}

TEST(Slider, ClicksNearTheEndsGiveTheEndValuesAtBothZooms) {
    for (int zoom : {1, 2}) {
        for (const SliderRow* row : {&Volume(), &Position()}) {
            int width = row->w * zoom;
            EXPECT_EQ(0, SliderValueAt(*row, 2, width)) << zoom;
            EXPECT_EQ(0, SliderValueAt(*row, -40, width)) << "dragged past the left end";
            EXPECT_EQ(row->rangeMax, SliderValueAt(*row, width - 1, width)) << zoom;
            EXPECT_EQ(row->rangeMax, SliderValueAt(*row, width + 300, width)) << "dragged past the right end";
            int middle = SliderValueAt(*row, width / 2, width);
            EXPECT_NEAR(row->rangeMax / 2, middle, row->rangeMax / 50 + 1) << zoom;
        }
    }
    // The grip: (x - 3) x range / (width - 6), rounded.
    EXPECT_EQ(128, SliderValueAt(Volume(), 3 + 54, 114));
    EXPECT_EQ(2, SliderValueAt(Volume(), 4, 114));
    EXPECT_EQ(1, SliderValueAt(Volume(), 4, 228));
}

TEST(Slider, TheThumbTravelsTheStripBetweenItsEnds) {
    // The thumb's left edge runs from 0 to the strip's width less one tile, in face units at
    // either zoom (the image is scaled, not redrawn larger).
    EXPECT_EQ(0, SliderThumbX(Volume(), 0, 114));
    EXPECT_EQ(107, SliderThumbX(Volume(), 255, 114));
    EXPECT_EQ(54, SliderThumbX(Volume(), 128, 114));
    EXPECT_EQ(129, SliderThumbX(Position(), 1000, 136));
    EXPECT_EQ(65, SliderThumbX(Position(), 500, 136));
    EXPECT_EQ(0, SliderThumbX(Position(), -5, 136)) << "never left of the strip";
}

TEST(Slider, AValueRedrawsOnlyWhenTheThumbMoves) {
    // A playing track's bar walks 0..1000 a step at a time: every step that moves the thumb by a
    // face unit must draw, and the steps between must not.
    int drawn = SliderThumbX(Position(), 0, 136), draws = 0;
    for (int value = 1; value <= 1000; ++value) {
        if (!SliderValueMovesThumb(Position(), value, 136, drawn)) continue;
        ++draws;
        EXPECT_NE(drawn, SliderThumbX(Position(), value, 136)) << value;
        drawn = SliderThumbX(Position(), value, 136);
    }
    EXPECT_EQ(draws, 129) << "one draw per face unit the thumb travels";
    EXPECT_EQ(drawn, 129);
    EXPECT_EQ(1, SliderValueMovesThumb(Position(), 0, 0, 0)) << "not drawn since placed";
    EXPECT_EQ(1, SliderValueMovesThumb(Volume(), 255, 114, 0)) << "a volume set from the mixer";
}

TEST(Slider, TooltipTexts) {
    char text[SLIDER_TIP_BYTES];
    struct Case {
        uint32_t ms;
        const char* text;
    } cases[] = {
        {0,       "Position ( 0:00 )"},
        {9000,    "Position ( 0:09 )"},
        {9999,    "Position ( 0:09 )"},
        {10000,   "Position ( 0:10 )"},
        {59999,   "Position ( 0:59 )"},
        {60000,   "Position ( 1:00)" },
        {65000,   "Position ( 1:05)" },
        {130000,  "Position ( 2:10)" },
        {4440000, "Position ( 74:00)"},
    };
    for (const Case& c : cases) {
        PositionTipText("Position", c.ms, text);
        EXPECT_EQ(std::string(c.text), text) << c.ms;
    }
    VolumeTipText("Volume", 200, text);
    EXPECT_EQ(std::string("Volume ( 200 )"), text);
}
}  // namespace
