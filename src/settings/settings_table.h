// The list of every value the settings store keeps in the registry: its name, how it is stored,
// which load/save step it belongs to, where it lives in the program, its default when missing and
// its built-in value when the key cannot be opened. Load and save walk this one table in order.
#pragma once
#include <cstddef>
#include <cstdint>

enum SettingKind : uint8_t {
    SETTING_STRING,  // REG_SZ, at most SETTINGS_PATH_BYTES with the zero; written only when not empty
    SETTING_DWORD,   // REG_DWORD
    SETTING_WORD,    // REG_DWORD of which the program keeps the low 16 bits
};

enum SettingGroup : uint8_t {
    GROUP_ENGINE,  // LoadSettings / SaveSettings
    GROUP_LAYOUT,  // LoadLayout / SaveLayout
};

enum SettingHome : uint8_t {
    HOME_ENGINE,  // a field of EngineSettings; slot = byte offset
    HOME_LAYOUT,  // a field of LayoutSettings; slot = byte offset
    HOME_AUTO,    // the auto recorder: slot 0 threshold, 1 start count, 2 end count
    HOME_TIMER,   // the timer slots: slot 0-5 hours, 6-11 minutes, 12-17 flags, by row
    HOME_DATE,    // the day the recording notice was last cleared: slot 0 year, 1 month, 2 day
};

struct SettingRow {
    const char* name;  // registry value name
    SettingKind kind;
    SettingGroup group;
    SettingHome home;
    uint16_t slot;          // see SettingHome
    uint32_t tableDefault;  // when the value is missing (auto and timer rows: the owner's value)
    uint32_t builtin;       // when the key cannot be opened (engine and layout fields only)
};

const SettingRow* SettingsTable(size_t* countOut);
