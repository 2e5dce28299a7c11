// Face values: the meters' ballistics and the half-second time display.
#include <gtest/gtest.h>

#include "display/face_setters.h"

namespace {
class FaceTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFaceForTest(); }
    void Levels(int32_t db) { ShowLevels(db, 0, db, 0); }
};

TEST_F(FaceTest, MeterFallsTwoDecibelsPerUpdateAndPeaksHoldFiveUpdates) {
    SetPeakMode(PEAKS_FALL);
    Levels(0);
    EXPECT_EQ(Face().levels[0], 0);
    EXPECT_EQ(Face().levels[1], 0);
    Levels(-40);
    EXPECT_EQ(Face().levels[0], -2);
    Levels(-40);
    EXPECT_EQ(Face().levels[0], -4);
    EXPECT_EQ(Face().levels[1], 0);
    for (int i = 0; i < 3; ++i) Levels(-40);
    EXPECT_EQ(Face().levels[0], -10);
    EXPECT_EQ(Face().levels[1], -10);  // the hold ran out: the peak drops to the level
    EXPECT_EQ(Face().levels[3], -10);
}

TEST_F(FaceTest, HeldPeaksStayInHoldMode) {
    SetPeakMode(PEAKS_HOLD);
    Levels(-3);
    for (int i = 0; i < 10; ++i) Levels(-60);
    EXPECT_EQ(Face().levels[1], -3);
    SetPeakMode(PEAKS_HOLD);  // a new mode starts the meters from nothing
    Levels(-100);
    EXPECT_EQ(Face().levels[0], -100);
    EXPECT_EQ(Face().levels[1], -100);
}

TEST_F(FaceTest, TimeRedrawsOnlyOnANewHalfSecond) {
    EXPECT_EQ(ShowTime(499), 0);
    EXPECT_EQ(ShowTime(500), 1);
    EXPECT_EQ(ShowTime(999), 0);
    EXPECT_EQ(Face().timeMs, 500u);
    EXPECT_EQ(ShowTime(FACE_TIME_LEFT_BIT | 500), 1);  // time left is another value
}
}  // namespace
