// Native system facts: whatever the tests set (an English NT 5.1 by default).
#include "base/system_info.h"

namespace {
struct FakeSystem {
    uint16_t langId = 0x0409;
    uint32_t platformId = 2, major = 5, minor = 1, build = 2600;
    int codePage = 0;  // the ANSI code page: 932 (Shift-JIS) or 0, single-byte
};
const int SHIFT_JIS = 932;
FakeSystem g_sys;
}  // namespace

uint16_t SystemDefaultLanguage() { return g_sys.langId; }

int IsPathLeadByte(uint8_t byte) {
    return g_sys.codePage == SHIFT_JIS && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

void SetNativeAnsiCodePage(int codePage) { g_sys.codePage = codePage; }
void SystemVersion(uint32_t* platformIdOut, uint32_t* majorOut, uint32_t* minorOut, uint32_t* buildOut) {
    *platformIdOut = g_sys.platformId;
    *majorOut = g_sys.major;
    *minorOut = g_sys.minor;
    *buildOut = g_sys.build;
}
void SetFakeSystem(uint16_t langId, uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build) {
    g_sys.langId = langId;
    g_sys.platformId = platformId;
    g_sys.major = major;
    g_sys.minor = minor;
    g_sys.build = build;
}
