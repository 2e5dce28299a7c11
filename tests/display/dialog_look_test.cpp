// The dialog look: which controls get which frame, where the frames' lines lie, the outer frame's
// inset, the watermark rows, and which version table the About box reads.
#include "display/dialog_look.h"
#include <gtest/gtest.h>
#include <string>

namespace {
TEST(DialogLook, FramesGoToEditableControlsGroupButtonsAndHiddenEmptyStatics) {
    struct Case {
        ChildTraits t;
        int want;
        const char* what;
    };
    const Case cases[] = {
  // class       visible tab group text
        {{"Edit", 1, 1, 0, 1},     LOOK_FRAME_SUNKEN, "edit box, tab stop"                   },
        {{"ComboBox", 1, 0, 0, 0}, LOOK_FRAME_NONE,   "no tab stop"                          },
        {{"Edit", 0, 1, 0, 0},     LOOK_FRAME_NONE,   "hidden edit box"                      },
        {{"Button", 1, 1, 1, 1},   LOOK_FRAME_SUNKEN, "button starting a group"              },
        {{"BUTTON", 1, 1, 0, 1},   LOOK_FRAME_NONE,   "button inside a group"                },
        {{"Static", 0, 0, 0, 0},   LOOK_FRAME_ETCHED, "hidden empty static: etched marker"   },
        {{"STATIC", 0, 1, 1, 0},   LOOK_FRAME_SUNKEN, "hidden empty static, group + tab stop"},
        {{"Static", 0, 1, 0, 0},   LOOK_FRAME_ETCHED, "tab stop alone is not enough"         },
        {{"Static", 1, 0, 0, 0},   LOOK_FRAME_NONE,   "visible static"                       },
        {{"Static", 0, 0, 0, 1},   LOOK_FRAME_NONE,   "hidden static with text"              },
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, ChildFrameKind(c.t)) << c.what;
}

// The lines of one colour, as "x1,y1-x2,y2" strings.
std::vector<std::string> LinesOf(const LookLine* lines, int n, LookColour colour) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        if (lines[i].colour == colour)
            out.push_back(std::to_string(lines[i].x1) + "," + std::to_string(lines[i].y1) + "-" +
                          std::to_string(lines[i].x2) + "," + std::to_string(lines[i].y2));
    return out;
}
using V = std::vector<std::string>;

TEST(DialogLook, FramesLieOnePixelOutsideLeftAndTopAndOnTheRightAndBottomEdges) {
    LookLine lines[LOOK_MAX_LINES];
    const LookRect control = {10, 20, 50, 40};

    int n = ChildFrameLines(LOOK_FRAME_SUNKEN, control, lines);
    EXPECT_EQ((V{"9,19-9,40", "9,19-50,19"}), LinesOf(lines, n, LOOK_SHADOW));
    EXPECT_EQ((V{"49,19-49,40", "9,39-50,39"}), LinesOf(lines, n, LOOK_WHITE));

    n = ChildFrameLines(LOOK_FRAME_ETCHED, control, lines);
    EXPECT_EQ((V{"9,19-9,40", "9,19-50,19", "49,19-49,40", "9,39-50,39"}), LinesOf(lines, n, LOOK_WHITE));
    EXPECT_EQ((V{"8,18-8,39", "8,18-49,18", "48,19-48,39", "9,38-49,38"}), LinesOf(lines, n, LOOK_SHADOW));

    EXPECT_EQ(0, ChildFrameLines(LOOK_FRAME_NONE, control, lines));
}

TEST(DialogLook, TheOuterFrameIsInsetByAQuarterOfTheBaseUnitRounded) {
    struct Case {
        int baseUnitHeight, inset;
    };
    const Case cases[] = {{16, 4}, {13, 3}, {14, 4}, {8, 2}};  // 14: 3.5 rounds up
    for (const Case& c : cases) {
        LookLine lines[LOOK_MAX_LINES];
        int n = OuterFrameLines({0, 0, 300, 200}, c.baseUnitHeight, lines);
        ASSERT_EQ(4, n);
        std::string i = std::to_string(c.inset), far = std::to_string(299 - c.inset),
                    low = std::to_string(199 - c.inset);
        EXPECT_EQ((V{i + "," + i + "-" + i + "," + std::to_string(200 - c.inset),
                     i + "," + i + "-" + std::to_string(300 - c.inset) + "," + i}),
                  LinesOf(lines, n, LOOK_WHITE))
            << c.baseUnitHeight;
        EXPECT_EQ(far, std::to_string(lines[2].x1)) << "raised: shadow on the right";
        EXPECT_EQ(low, std::to_string(lines[3].y1)) << "and at the bottom";
        EXPECT_EQ(LOOK_SHADOW, lines[2].colour);
    }
}

TEST(DialogLook, WatermarkRowsStartHalfARowUpAndAlternateByHalfTheText) {
    WatermarkRow rows[16];
    int n = WatermarkRows(100, 20, 60, rows, 16);
    ASSERT_EQ(4, n);
    const int wantY[] = {-10, 10, 30, 50}, wantX[] = {0, -50, 0, -50};
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(wantY[i], rows[i].y);
        EXPECT_EQ(wantX[i], rows[i].x);
    }
    EXPECT_EQ(0, WatermarkRows(0, 20, 60, rows, 16));
}

TEST(DialogLook, TheVersionTableFollowsTheSystemLanguage) {
    char path[96];
    VersionValuePath(VERSION_PRODUCT, 1041, path, sizeof path);
    EXPECT_STREQ("\\StringFileInfo\\041104b0\\ProductVersion", path);
    VersionValuePath(VERSION_LEGAL, 1033, path, sizeof path);
    EXPECT_STREQ("\\StringFileInfo\\040904b0\\LegalCopyright", path);
    VersionValuePath(VERSION_PRODUCT, 2052, path, sizeof path);  // any other language: English
    EXPECT_STREQ("\\StringFileInfo\\040904b0\\ProductVersion", path);
}
}  // namespace
