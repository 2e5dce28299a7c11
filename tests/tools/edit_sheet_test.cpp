// The Edit sheet's small routines: the time texts, the In/Out spins, the track bar scaling and
// where a centred dialog ends up near the screen's edges.
#include <gtest/gtest.h>
#include "tools/edit_sheet.h"

namespace {

TEST(EditSheet, TimeTextsShowHoursMinutesSecondsAndTenths) {
    const std::pair<uint32_t, const char*> cases[] = {
        {3723456, " 001:02:03.4"},
        {59999,   " 000:00:59.9"},
        {0,       " 000:00:00.0"},
        {60000,   " 000:01:00.0"},
    };
    for (const auto& c : cases) {
        char text[TIME_TEXT_BYTES];
        FormatTimeMs(text, c.first);
        EXPECT_STREQ(c.second, text) << c.first;
    }
    EXPECT_EQ(0u, CutLength(5000, 4000));  // Out before In: nothing to cut
    EXPECT_EQ(1000u, CutLength(4000, 5000));
}

TEST(EditSheet, SpinStepsStayWithinTheSourceAndTheTrackBarScales) {
    EXPECT_EQ(300u, SpinPosition(0, 3, 60000));
    EXPECT_EQ(0u, SpinPosition(50, -1, 60000));
    EXPECT_EQ(60000u, SpinPosition(59950, 1, 60000));
    EXPECT_EQ(59900u, SpinPosition(60000, -1, 60000));
    EXPECT_EQ(500, ScalePosition(1000, 30000, 60000));
    EXPECT_EQ(30000, ScalePosition(60000, 500, 1000));
    EXPECT_EQ(0, ScalePosition(1000, 0, 60000));
    EXPECT_EQ(7, ScalePosition(1, 7, 0));  // no length: the value itself
}

TEST(EditSheet, CentredDialogsArePulledBackOnScreen) {
    const EditRect dialog{0, 0, 400, 300};
    struct Case {
        EditRect reference;
        int left, top;
    };
    const Case cases[] = {
        {{300, 200, 500, 400},   200, 150}, // centre over centre
        {{1200, 100, 1280, 300}, 880, 50 }, // at the right edge: moved left until it fits
        {{0, 900, 100, 1024},    0,   724}, // bottom left corner
        {{-50, -40, 10, 20},     0,   0  },
    };
    for (const Case& c : cases) {
        int left = -1, top = -1;
        CentreRect(&c.reference, &dialog, 1280, 1024, &left, &top);
        EXPECT_EQ(c.left, left);
        EXPECT_EQ(c.top, top);
    }
}

}  // namespace
