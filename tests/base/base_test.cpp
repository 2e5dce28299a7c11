// The helpers every layer leans on: a bounded copy that cuts a too-long text and always ends it
// with a zero byte, the byte-order accessors every binary format goes through, the file name and
// extension of a path, and the system's version class.
#include <gtest/gtest.h>

#include <cstring>

#include "base/bounded_copy.h"
#include "base/byte_order.h"
#include "base/path_names.h"
#include "base/system_info.h"

namespace {

// One buffer with a guard byte behind it: a copy may use the buffer, never the byte after it.
struct Guarded {
    char text[6];
    char guard;
};

TEST(BoundedCopy, CutsAtTheBufferTheLengthOrTheZeroByteAndAlwaysTerminates) {
    const struct {
        const char* source;
        size_t length;
        const char* expected;
    } cases[] = {
        {"abcde",     SIZE_MAX, "abcde"},  // exactly fills the buffer with its terminator
        {"abcdef",    SIZE_MAX, "abcde"},  // one too long: cut, still terminated
        {"abcdefghi", 3,        "abc"  },  // a length shorter than the text
        {"ab\0cd",    5,        "ab"   },  // a zero byte inside the length ends the copy
        {nullptr,     5,        ""     },  // nothing to copy is an empty text
    };
    for (const auto& c : cases) {
        Guarded g;
        std::memset(&g, 'x', sizeof g);
        size_t n = CopyBounded(g.text, sizeof g.text, c.source, c.length);
        EXPECT_STREQ(c.expected, g.text) << c.expected;
        EXPECT_EQ(std::strlen(c.expected), n) << c.expected;
        EXPECT_EQ('x', g.guard) << c.expected;
    }
    Guarded g;
    std::memset(&g, 'x', sizeof g);
    EXPECT_EQ(5u, CopyBoundedString(g.text, sizeof g.text, "a text much longer than six bytes"));
    EXPECT_STREQ("a tex", g.text);
    EXPECT_EQ(0u, CopyBounded(g.text, 0, "abc", 3));
    EXPECT_EQ('a', g.text[0]) << "a buffer of no bytes is not written";
}

// Bytes with the top bit set catch a sign extension or a swapped order in any accessor.
TEST(ByteOrder, ReadsAndWritesEachOrderWithTheTopBitsSet) {
    const uint8_t bytes[4] = {0x81, 0x92, 0xA3, 0xF4};
    EXPECT_EQ(0x9281u, GetLe16(bytes));
    EXPECT_EQ(0xF4A39281u, GetLe32(bytes));
    EXPECT_EQ(0x8192u, GetBe16(bytes));
    EXPECT_EQ(0x8192A3F4u, GetBe32(bytes));
    uint8_t out[4] = {};
    PutLe32(out, 0xF4A39281u);
    EXPECT_EQ(0, std::memcmp(bytes, out, 4));
    uint8_t half[3] = {0, 0, 0x55};
    PutLe16(half, 0x12F4A3u);  // only the low 16 bits go out, and only two bytes are written
    EXPECT_EQ(0xA3, half[0]);
    EXPECT_EQ(0xF4, half[1]);
    EXPECT_EQ(0x55, half[2]);
}

TEST(SystemInfo, OsKindFromVersionNumbers) {
    struct Case {
        uint32_t platform, major, minor, build;
        int kind;
    };
    const Case cases[] = {
        {1, 4, 0,  950,                             OS_KIND_OTHER}, // Windows 95
        {1, 4, 10, 1998,                            OS_KIND_98}, // 98
        {1, 4, 10, (4u << 24) | (10u << 16) | 2222, OS_KIND_98_SE}, // 98 SE, version in the high word
        {1, 4, 90, 3000,                            OS_KIND_98_SE}, // Me
        {2, 4, 0,  1381,                            OS_KIND_OTHER}, // NT 4
        {2, 5, 0,  2195,                            OS_KIND_NT5}, // 2000
        {2, 5, 1,  2600,                            OS_KIND_NT5}, // XP
        {2, 6, 1,  7601,                            OS_KIND_OTHER},
        {0, 5, 0,  0,                               OS_KIND_OTHER},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kind, OsKindFromVersion(c.platform, c.major, c.minor, c.build)) << c.major << "." << c.minor;
}

// A Shift-JIS name whose second byte is 0x5C ("\x95\x5C" is one character, not a separator),
// a dot in a folder's name, a name with no extension, and the drive's colon.
TEST(PathNames, NameAndExtensionOfAnsiPaths) {
    SetNativeAnsiCodePage(932);
    const char* japanese = "C:\\Music\\\x95\x5C.wav";
    EXPECT_STREQ("\x95\x5C.wav", FileNameOf(japanese));
    EXPECT_STREQ(".wav", ExtensionOf(japanese));
    const char* trailLast = "C:\\x\\a\x95\x5C";  // the name ends on the trail byte
    EXPECT_STREQ("a\x95\x5C", FileNameOf(trailLast));
    EXPECT_STREQ("", ExtensionOf(trailLast));
    SetNativeAnsiCodePage(0);  // a single-byte system: 0x5C is a separator wherever it stands
    EXPECT_STREQ(".wav", FileNameOf(japanese));

    const struct {
        const char* path;
        const char* name;
        const char* ext;
    } cases[] = {
        {"C:\\Rec.2024\\take",     "take",        ""     },  // the dot is the folder's
        {"C:\\Rec.2024\\take.MP3", "take.MP3",    ".MP3" },
        {"D:/lists/party.spl",       "party.spl",   ".spl" },
        {"C:song.wav",               "song.wav",    ".wav" },  // drive-relative
        {"a.b.mid",                  "a.b.mid",     ".mid" },
        {"C:\\x\\",                 "",            ""     },
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(c.name, FileNameOf(c.path)) << c.path;
        EXPECT_STREQ(c.ext, ExtensionOf(c.path)) << c.path;
    }
    EXPECT_EQ(1, HasExtension("C:\\x\\LIST.SPL", ".spl"));
    EXPECT_EQ(0, HasExtension("C:\\x.spl\\list", ".spl"));
    EXPECT_EQ(0, HasExtension("C:\\x\\list.spl2", ".spl"));
    EXPECT_EQ(0, HasExtension("C:\\x\\list.sp", ".spl"));
    EXPECT_EQ(0, HasExtension("C:\\x\\spl", ".spl"));
}

}  // namespace
