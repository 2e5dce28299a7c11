// The system's version class, worked out from the version numbers once for every module that
// depends on it (see system_info.h); the numbers themselves come through the platform seam.
#include "base/system_info.h"

namespace {
enum { PLATFORM_9X = 1, PLATFORM_NT = 2 };  // the platform's own family numbers
const uint32_t BUILD_98_SE = 2222;          // the first build of 98 SE
}  // namespace

int OsKindFromVersion(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build) {
    if (platformId == PLATFORM_9X) {
        if (major > 4 || (major == 4 && minor >= 10)) return (build & 0xFFFF) < BUILD_98_SE ? OS_KIND_98 : OS_KIND_98_SE;
        return OS_KIND_OTHER;
    }
    if (platformId == PLATFORM_NT && major == 5) return OS_KIND_NT5;
    return OS_KIND_OTHER;
}

int SystemOsKind() {
    uint32_t platform = 0, major = 0, minor = 0, build = 0;
    SystemVersion(&platform, &major, &minor, &build);
    return OsKindFromVersion(platform, major, minor, build);
}
