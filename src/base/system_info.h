// System facts: the default language, the version numbers and the ANSI code page's two-byte
// characters. The native build answers from values tests set.
#pragma once
#include <cstdint>

// The system language id that makes the code's own texts Japanese (Japanese, Japan); every other
// language gets English.
const uint16_t LANGUAGE_JAPANESE = 1041;

uint16_t SystemDefaultLanguage();
// platformId: 1 the Windows 9x family, 2 the NT family (the platform's own numbering).
void SystemVersion(uint32_t* platformIdOut, uint32_t* majorOut, uint32_t* minorOut, uint32_t* buildOut);

// OsKind: the system's family and version class, the one classification every choice that
// depends on the system uses (the mixer's output destination, the playback device's name).
enum OsKind {
    OS_KIND_OTHER = 0,   // Windows 95, NT 4, NT 6 and later
    OS_KIND_98 = 1,      // the 9x family at 4.10 and later with a build below 2222: 98
    OS_KIND_98_SE = 2,   // the 9x family at 4.10 and later from build 2222: 98 SE and Me
    OS_KIND_NT5 = 3,     // the NT family at 5: 2000 and XP
};
// platformId as SystemVersion gives it; only the low word of a 9x build counts.
int OsKindFromVersion(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build);
int SystemOsKind();  // OsKindFromVersion of SystemVersion

// 1 when the byte starts a two-byte character of the system's ANSI code page (Shift-JIS on a
// Japanese system), so the byte after it is never a path separator.
int IsPathLeadByte(uint8_t byte);

void SetFakeSystem(uint16_t langId, uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build);
// The ANSI code page the native build assumes for IsPathLeadByte: 932 (Shift-JIS) or 0 for a
// single-byte one, the default.
void SetNativeAnsiCodePage(int codePage);
