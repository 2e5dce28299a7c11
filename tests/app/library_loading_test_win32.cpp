// Loading the MPEG libraries from the program's folder: here a complete player and an encoder
// that lacks a name sit beside the test program.
#include "playback/mpeg_libraries.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {
TEST(LibraryLoading, CompletePlayerIsBoundAndAnIncompleteEncoderIsFreed) {
    LoadMpegLibraries();
    EXPECT_TRUE(PlayerPresent());
    EXPECT_FALSE(EncoderPresent());
    EXPECT_EQ(nullptr, GetModuleHandleA("tavenc.dll")) << "an incomplete library is not kept loaded";
    EXPECT_NE(nullptr, GetModuleHandleA("tavply.dll"));

    int32_t status = -1;
    EXPECT_EQ(1, PlayerGetStatus(&status)) << "the player's 0 reads as success";
    EXPECT_EQ(TAVPLY_STATUS_PAUSED, status);
    uint32_t ms = 0;
    EXPECT_EQ(1, PlayerGetPosition(&ms));
    EXPECT_EQ(1234u, ms);
    int32_t code = 0;
    EXPECT_EQ(0, PlayerOpen("a.mp3", "", &code));
    EXPECT_EQ(5, code) << "arguments reach the library, and its own answer comes back";
    unsigned char context[TAVENC_CONTEXT_BYTES] = {};
    EXPECT_EQ(0, EncoderSetInfo(context, 1, 44100, 256)) << "the freed encoder is never called";

    FreeMpegLibraries();
    EXPECT_EQ(nullptr, GetModuleHandleA("tavply.dll"));
    EXPECT_EQ(0, PlayerInit());
}

TEST(LibraryLoading, AMissingNameLeavesNothingBound) {
    void* fns[PLAYER_NAME_COUNT];
    void* module = reinterpret_cast<void*>(1);
    EXPECT_EQ(0, BindLibrary("partial\\tavply.dll", PLAYER_EXPORT_NAMES, PLAYER_NAME_COUNT, fns, &module));
    EXPECT_EQ(nullptr, module);
    for (void* f : fns) EXPECT_EQ(nullptr, f);
    EXPECT_EQ(0, BindLibrary("no_such_library.dll", PLAYER_EXPORT_NAMES, PLAYER_NAME_COUNT, fns, &module));
}
}  // namespace
