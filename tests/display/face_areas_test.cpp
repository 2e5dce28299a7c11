// The face's double-click areas at their edges: the badge (web information) and the time
// display (version) with each of its five digits, the colon between them included, and nothing
// one pixel outside or anywhere on the thin face.
#include <gtest/gtest.h>

#include "display/face_layout.h"

namespace {
TEST(FaceAreas, EachAreaEndsAtItsLastPixel) {
    struct Case {
        int x, y, want;
    };
    const Case cases[] = {
        {7,   43, 1}, // the badge's corners
        {82,  66, 1},
        {6,   43, 0},
        {83,  50, 0},
        {7,   42, 0},
        {7,   67, 0},
        {214, 39, 2}, // the time: first digit, top row
        {213, 45, 0},
        {245, 45, 2}, // the colon
        {270, 51, 2}, // the last digit's last column and the digits' last row
        {271, 45, 0},
        {230, 38, 0},
        {230, 52, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, FaceAreaAtPoint(FACE_MODE_NORMAL, c.x, c.y)) << c.x << "," << c.y;
        EXPECT_EQ(0, FaceAreaAtPoint(FACE_MODE_THIN, c.x, c.y)) << c.x << "," << c.y;
    }
}
}  // namespace
