// The MPEG library wrappers refuse to call a library that is not there.
#include "playback/mpeg_libraries.h"
#include <gtest/gtest.h>

namespace {
TEST(MpegLibraries, WrappersFailWithoutCallingWhenTheLibrariesAreMissing) {
    LoadMpegLibraries();
    SetMpegLibrariesForTest(0, 0);
    EXPECT_FALSE(PlayerPresent());
    EXPECT_FALSE(EncoderPresent());
    unsigned char info[TAVPLY_INFO_BYTES], ext[TAVPLY_EXT_BYTES];
    int32_t code = 0;
    EXPECT_EQ(0, PlayerCheckInfo("x.mp3", info, ext, &code));
    EXPECT_EQ(MPEG_UNAVAILABLE, code);
    EXPECT_EQ(0, PlayerInit());
    EXPECT_EQ(0, PlayerOpen("x.mp3", ""));
    int32_t status = 7;
    EXPECT_EQ(0, PlayerGetStatus(&status));
    EXPECT_EQ(7, status);
    unsigned char context[TAVENC_CONTEXT_BYTES] = {};
    code = 0;
    EXPECT_EQ(0, EncoderSetInfo(context, 3, 44100, 128, &code));
    EXPECT_EQ(MPEG_UNAVAILABLE, code);
    uint8_t out[16];
    uint8_t* p = out;
    uint32_t produced = 5;
    EXPECT_EQ(0, EncoderFlush(&p, out + sizeof out, &produced));
    EXPECT_EQ(5u, produced);
    FreeMpegLibraries();
}
}  // namespace
