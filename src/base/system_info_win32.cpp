// System facts from the platform: GetSystemDefaultLangID, GetVersionEx and IsDBCSLeadByte.
#include "base/system_info.h"
#include <windows.h>

uint16_t SystemDefaultLanguage() { return GetSystemDefaultLangID(); }

void SystemVersion(uint32_t* platformIdOut, uint32_t* majorOut, uint32_t* minorOut, uint32_t* buildOut) {
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&vi);
#pragma GCC diagnostic pop
    *platformIdOut = vi.dwPlatformId;
    *majorOut = vi.dwMajorVersion;
    *minorOut = vi.dwMinorVersion;
    *buildOut = vi.dwBuildNumber;
}

int IsPathLeadByte(uint8_t byte) { return IsDBCSLeadByte(byte) != 0; }

void SetFakeSystem(uint16_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void SetNativeAnsiCodePage(int) {}
