// Command dispatch: which commands reach the shell's own actions, and which ids do nothing.
#include "app/commands.h"
#include "deck/deck.h"
#include "resources/resource.h"
#include <gtest/gtest.h>

namespace {
TEST(Commands, ShellButtonsReachTheirActionsAndUnboundIdsDoNothing) {
    ResetShellActions();
    ResetDeckState();
    for (int id : {CMD_CLOSE, CMD_ICONIZE, CMD_FACE_MODE, CMD_LAUNCH_SELECTOR, CMD_MUTE, CMD_DELETE_ENTRIES}) {
        EXPECT_EQ(1, DispatchCommand(id, 0)) << id;
        EXPECT_EQ(1, ShellActionCount(id)) << id;
    }
    // The accelerators' own ids and anything else unknown are ignored.
    for (int id : {0, CMD_ACCEL_CTRL_V, CMD_ACCEL_ALT_C, CMD_ACCEL_ALT_I, CMD_ACCEL_ALT_X, 2000, 2024, 40001})
        EXPECT_EQ(0, DispatchCommand(id, 0)) << id;
    // Rewind and fast forward do nothing on a click.
    EXPECT_EQ(1, DispatchCommand(CMD_REWIND, 0));
    EXPECT_EQ(NoTrack, Deck().deckState);
}
}  // namespace
