// System facts read at engine start-up: the default language and the version numbers. The
// native build answers from values tests set.
#pragma once
#include <cstdint>

// The system language id that makes the code's own texts Japanese (Japanese, Japan); every other
// language gets English.
const uint16_t LANGUAGE_JAPANESE = 1041;

uint16_t SystemDefaultLanguage();
// platformId: 1 the Windows 9x family, 2 the NT family (the platform's own numbering).
void SystemVersion(uint32_t* platformIdOut, uint32_t* majorOut, uint32_t* minorOut, uint32_t* buildOut);

void SetFakeSystem(uint16_t langId, uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build);
