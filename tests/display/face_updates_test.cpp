// What the face redraws as values change: a setter asks for its element only when its value
// changed, the time digits reach the screen only where they differ, the meters fall and hold
// their peaks and draw only the cells that changed, and the ticker's offset scrolls and wraps.
#include <gtest/gtest.h>

#include "display/face_paint.h"
#include "display/face_redraw.h"
#include "display/face_setters.h"

namespace {
class FaceUpdates : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFaceForTest();
        ResetFaceRedrawCounts();
        ForgetShownFace(&shown);
    }
    FaceShown shown;
};
}  // namespace

TEST_F(FaceUpdates, SettersRedrawTheirElementOnlyWhenTheValueChanges) {
    struct Case {
        int (*set)(uint32_t);
        int element;
    };
    const Case cases[] = {
        {ShowRepeatMode,  FACE_EL_REPEAT},
        {ShowInputSelect, FACE_EL_INPUT },
        {ShowMute,        FACE_EL_MUTE  },
        {ShowCloseLit,    FACE_EL_CLOSE },
    };
    for (const Case& c : cases) {
        c.set(2);
        int after = FaceRedrawCount(c.element);
        EXPECT_EQ(c.set(2), 0);
        EXPECT_EQ(FaceRedrawCount(c.element), after) << "element " << c.element;
        EXPECT_EQ(c.set(0), 1);
        EXPECT_EQ(FaceRedrawCount(c.element), after + 1) << "element " << c.element;
    }
    ShowRecordFormat(1, 0);
    ShowRate(44100, 0);
    ResetFaceRedrawCounts();
    EXPECT_EQ(ShowRecordFormat(1, 0), 0);
    EXPECT_EQ(ShowRate(44100, 0), 0);
    EXPECT_EQ(ShowRecordFormat(1, 1), 1) << "the label set alone is a change";
    EXPECT_EQ(ShowRate(44100, 1), 1) << "lit alone is a change";
    EXPECT_EQ(FaceRedrawCount(FACE_EL_FORMAT), 1);
    EXPECT_EQ(FaceRedrawCount(FACE_EL_RATE), 1);
}

TEST_F(FaceUpdates, TimeRedrawsOncePerHalfSecondAndTickerAndMetersEveryCall) {
    for (uint32_t ms = 0; ms < 3000; ms += 100) ShowTime(ms);
    EXPECT_EQ(FaceRedrawCount(FACE_EL_TIME), 5) << "0.5, 1.0, ... 2.5 s";
    EXPECT_EQ(ShowTime(2999), 0);
    EXPECT_EQ(Face().timeMs, 2500u);
    EXPECT_EQ(ShowTime(FACE_TIME_LEFT_BIT | 2500), 1) << "time left is another value";
    ShowTickerText("a");
    ShowTickerText("a");
    EXPECT_EQ(FaceRedrawCount(FACE_EL_TICKER), 2);
    ShowLevels(-10, 0, -10, 0);
    ShowLevels(-10, 0, -10, 0);
    EXPECT_EQ(FaceRedrawCount(FACE_EL_METERS), 2);
}

// The meters fall 2 dB an update; a falling peak holds five updates, a held peak until the mode
// is set again, which starts the meters from nothing.
TEST_F(FaceUpdates, MeterBallisticsInBothPeakModes) {
    SetPeakMode(PEAKS_FALL);
    ShowLevels(0, 0, 0, 0);
    ShowLevels(-40, 0, -40, 0);
    EXPECT_EQ(Face().levels[0], -2);
    ShowLevels(-40, 0, -40, 0);
    EXPECT_EQ(Face().levels[0], -4);
    EXPECT_EQ(Face().levels[1], 0);
    for (int i = 0; i < 3; ++i) ShowLevels(-40, 0, -40, 0);
    EXPECT_EQ(Face().levels[0], -10);
    EXPECT_EQ(Face().levels[1], -10) << "the hold ran out: the peak drops to the level";
    EXPECT_EQ(Face().levels[3], -10);

    SetPeakMode(PEAKS_HOLD);
    ShowLevels(-3, 0, -3, 0);
    for (int i = 0; i < 10; ++i) ShowLevels(-60, 0, -60, 0);
    EXPECT_EQ(Face().levels[1], -3);
    SetPeakMode(PEAKS_HOLD);
    ShowLevels(-100, 0, -100, 0);
    EXPECT_EQ(Face().levels[0], -100);
    EXPECT_EQ(Face().levels[1], -100);
}

TEST_F(FaceUpdates, OnlyChangedTimeDigitsGoToTheScreen) {
    SkinBlit d[5];
    int toScreen = 0;
    TimeUpdate(&shown, 59000, d, &toScreen);
    EXPECT_EQ(toScreen, 0x1F) << "a fresh screen gets every digit";
    TimeUpdate(&shown, 59500, d, &toScreen);
    EXPECT_EQ(toScreen, 0) << "same digits";
    TimeUpdate(&shown, 60000, d, &toScreen);  // 000:59 -> 001:00
    EXPECT_EQ(toScreen, (1 << 2) | (1 << 3) | (1 << 4));
    EXPECT_EQ(d[2].sx, 10) << "the minutes' units show 1";
    EXPECT_EQ(d[4].dx, 261);
    TimeUpdate(&shown, 61000, d, &toScreen);
    EXPECT_EQ(toScreen, 1 << 4) << "the seconds' units alone";
}

TEST_F(FaceUpdates, MetersDrawOnlyTheCellsThatChange) {
    SkinBlit b[METER_CELLS + 1];
    EXPECT_EQ(MeterUpdate(&shown, 0, -20, -20, b), 5) << "five cells light up";
    EXPECT_EQ(MeterUpdate(&shown, 0, -20, -20, b), 0) << "nothing changed";
    EXPECT_EQ(MeterUpdate(&shown, 0, -25, -20, b), 0) << "-25 dB still lights five";
    EXPECT_EQ(MeterUpdate(&shown, 0, -26, -20, b), 0) << "the fifth cell stays lit as the peak";
    int n = MeterUpdate(&shown, 0, -26, -26, b);
    ASSERT_EQ(n, 1) << "the peak drops into the bar: only its cell goes dark";
    EXPECT_EQ(b[0].sx, 9) << "off cell";
    EXPECT_EQ(b[0].dx, METER_X0 + 5 * METER_PITCH);
    n = MeterUpdate(&shown, 0, 0, 0, b);
    EXPECT_EQ(n, 21) << "cells 5..25";
    EXPECT_EQ(MeterUpdate(&shown, 1, 0, 0, b), 25) << "the meters are separate";
    EXPECT_EQ(b[0].dy, METER_Y1);
    SkinBlit all[2 * METER_CELLS];
    EXPECT_EQ(MeterClear(&shown, all, 2 * METER_CELLS), 2 * METER_CELLS);
    EXPECT_EQ(MeterUpdate(&shown, 0, -60, -100, b), 1) << "after a reset only the new cells";
}

TEST_F(FaceUpdates, TickerScrollsTwoPixelsAndWrapsAfterTheText) {
    const int extent = 300, lead = 100;
    int32_t off = 0;
    off = NextTickerOffset(TICKER_SCROLL, off, 1, extent, lead);
    EXPECT_EQ(off, 2);
    off = NextTickerOffset(TICKER_SCROLL, 198, 1, extent, lead);
    EXPECT_EQ(off, 200) << "at the wrap point, not past it";
    EXPECT_EQ(NextTickerOffset(TICKER_SCROLL, 200, 1, extent, lead), 0);
    EXPECT_EQ(NextTickerOffset(TICKER_SCROLL, 100, 2, extent, lead), 0) << "double size wraps at half the offset";
    EXPECT_EQ(NextTickerOffset(TICKER_FIXED, 50, 2, extent, lead), 47);
    EXPECT_EQ(NextTickerOffset(TICKER_CENTRED, 50, 1, 600, lead), 300 - 111);
    EXPECT_EQ(NextTickerOffset(TICKER_PAUSE, 50, 1, extent, lead), 50) << "frozen where it is";
}

// The ticker keeps its rendered strip while text, mode and size stay, and goes to the screen only
// when its offset moves: a changed text must still show, and a scrolling one must still move.
TEST_F(FaceUpdates, TickerRendersOnChangeAndCopiesOnlyWhenItMoves) {
    EXPECT_EQ(TickerNeedsStrip(&shown, "Recording S-001.WAV", TICKER_FIXED, 1), 1);
    EXPECT_EQ(TickerMoves(&shown, 31), 1) << "a new strip is shown";
    for (int blink = 0; blink < 3; ++blink) {
        EXPECT_EQ(TickerNeedsStrip(&shown, "Recording S-001.WAV", TICKER_FIXED, 1), 0);
        EXPECT_EQ(TickerMoves(&shown, 31), 0) << "a fixed text redrawn in place draws nothing";
    }
    EXPECT_EQ(TickerNeedsStrip(&shown, "Recording S-002.WAV", TICKER_FIXED, 1), 1) << "one character";
    EXPECT_EQ(TickerMoves(&shown, 31), 1) << "the new text at the same offset still reaches the screen";
    EXPECT_EQ(TickerNeedsStrip(&shown, "Recording S-002.WAV", TICKER_CENTRED, 1), 1) << "laid out otherwise";
    EXPECT_EQ(TickerNeedsStrip(&shown, "Recording S-002.WAV", TICKER_CENTRED, 2), 1) << "double size";
    TickerMoves(&shown, 10);
    EXPECT_EQ(TickerNeedsStrip(&shown, "Recording S-002.WAV", TICKER_SCROLL, 2), 1);
    int32_t off = 10, moves = 0;
    for (int step = 0; step < 5; ++step) {
        EXPECT_EQ(TickerNeedsStrip(&shown, "Recording S-002.WAV", TICKER_SCROLL, 2), 0);
        off = NextTickerOffset(TICKER_SCROLL, off, 2, 600, 100);
        moves += TickerMoves(&shown, off);
    }
    EXPECT_EQ(moves, 5) << "a scrolling ticker moves on every draw";
    ForgetShownFace(&shown);
    EXPECT_EQ(TickerNeedsStrip(&shown, "Recording S-002.WAV", TICKER_SCROLL, 2), 1) << "a composed face";
    EXPECT_EQ(TickerMoves(&shown, off), 1);
}
