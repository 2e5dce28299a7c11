// The command-line rules: the docking switch, which arguments are files, and the hand-off tags.
#include "app/command_line.h"
#include "app/file_intake.h"
#include <gtest/gtest.h>
#include <string>

namespace {
TEST(CommandLine, DockingSwitchIsExactInAnyCase) {
    EXPECT_TRUE(IsDockingSwitch("/DOCKING"));
    EXPECT_TRUE(IsDockingSwitch("/docking"));
    EXPECT_TRUE(IsDockingSwitch("/DoCkInG"));
    EXPECT_FALSE(IsDockingSwitch("/DOCKINGX"));
    EXPECT_FALSE(IsDockingSwitch("/DOCK"));
    EXPECT_FALSE(IsDockingSwitch("DOCKING"));
    EXPECT_FALSE(IsDockingSwitch("-DOCKING"));
}

TEST(CommandLine, SwitchesAndTheProgramItselfAreNeverFiles) {
    EXPECT_TRUE(IsSkippedArgument("/DOCKING"));
    EXPECT_TRUE(IsSkippedArgument("/song.wav"));
    EXPECT_TRUE(IsSkippedArgument("C:\\Program Files\\Kelvara\\Movello.exe"));
    EXPECT_TRUE(IsSkippedArgument("c:\\x\\mOvElLo.ExE.wav"));  // anywhere in the path
    EXPECT_FALSE(IsSkippedArgument("C:\\music\\movello.wav"));
    EXPECT_FALSE(IsSkippedArgument("D:\\a b\\track 01.mp3"));
}

TEST(CommandLine, WalkFindsTheSwitchAndTheFilesInOrder) {
    char a0[] = "Z:\\bin\\Movello.exe", a1[] = "one.wav", a2[] = "/docking", a3[] = "/x", a4[] = "two.mp3";
    char* argv[] = {a0, a1, a2, a3, a4};
    EXPECT_TRUE(FindDockingSwitch(5, argv));
    EXPECT_FALSE(FindDockingSwitch(2, argv));
    ASSERT_EQ(2, CountFileArguments(5, argv));
    EXPECT_STREQ("one.wav", FileArgumentAt(5, argv, 0));
    EXPECT_STREQ("two.mp3", FileArgumentAt(5, argv, 1));
    EXPECT_EQ(nullptr, FileArgumentAt(5, argv, 2));
    EXPECT_EQ(1ul, HandOffTag(0));
    EXPECT_EQ(0ul, HandOffTag(1));
    EXPECT_EQ(0ul, HandOffTag(2));
}
}  // namespace

namespace {
TEST(HandOff, OnlyAShortFormSentIsTurnedIntoTheLongPath) {
    EXPECT_TRUE(ReceivedPathNeedsLongForm("C:\\PROGRA~1\\ONE.WAV", "C:\\PROGRA~1\\ONE.WAV"));
    EXPECT_TRUE(ReceivedPathNeedsLongForm("c:\\progra~1\\one.wav", "C:\\PROGRA~1\\ONE.WAV"));
    EXPECT_FALSE(ReceivedPathNeedsLongForm("C:\\Program Files\\one.wav", "C:\\PROGRA~1\\ONE.WAV"));
    EXPECT_FALSE(ReceivedPathNeedsLongForm("C:\\a.wav", ""));  // no short form: the file is missing
}

TEST(HandOff, PayloadTextIsBoundedByItsSizeAndTheBuffer) {
    char out[260];
    const char unterminated[8] = {'C', ':', '\\', 'a', '.', 'w', 'a', 'v'};
    EXPECT_EQ(8, CopyHandedPath(unterminated, sizeof unterminated, out, sizeof out));
    EXPECT_STREQ("C:\\a.wav", out);
    EXPECT_EQ(3, CopyHandedPath("C:\\\0junk", 9, out, sizeof out));
    EXPECT_STREQ("C:\\", out);
    std::string longPath(400, 'x');
    EXPECT_EQ(259, CopyHandedPath(longPath.data(), longPath.size(), out, sizeof out));
    EXPECT_EQ(std::string(259, 'x'), out);
    EXPECT_EQ(0, CopyHandedPath(nullptr, 5, out, sizeof out));
    EXPECT_STREQ("", out);
}
}  // namespace
