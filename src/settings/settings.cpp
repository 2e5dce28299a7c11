// Settings store: loads and saves the engine settings and the window layout by walking the table
// of registry values. Registry errors are silent: a value that cannot be read takes its default,
// a key that cannot be opened leaves the built-in values (load) or saves nothing (save).
#include "settings/settings.h"

#include <cstring>

#include "base/clock.h"
#include "settings/registry.h"
#include "settings/settings_table.h"

namespace {

struct SettingsState {
    EngineSettings engine;  // engine settings, read and changed directly by their users
    LayoutSettings layout;  // window layout, likewise
    // The group was loaded in this run. The stored values are the user's: a run that never
    // loaded them (a start-up that failed before the settings step) holds only built-in
    // values, and saving those would overwrite every stored one.
    int engineLoaded;
    int layoutLoaded;
};
SettingsState g_settings;

// Kept apart from g_settings: the hooks are the program's wiring and survive a reset.
struct OwnerHooks {
    GatherOwnedValues gather;
    HandBackOwnedValues handBack;
};
OwnerHooks g_owners;

bool HasOwner() { return g_owners.gather && g_owners.handBack; }

// Rows of another module's values when that module has not registered.
bool Unowned(const SettingRow& row) { return (row.home == HOME_AUTO || row.home == HOME_TIMER) && !HasOwner(); }

// Values whose home is another module (or today's date), gathered before a save or a load and
// handed back after it, indexed by the table's slot.
struct StagedValues {
    uint32_t autoLevels[OWNED_AUTO_LEVELS];
    uint32_t timers[OWNED_TIMER_VALUES];
    uint32_t date[3];  // year, month, day
};

uint8_t* FieldBase(SettingHome home) {
    return home == HOME_ENGINE ? reinterpret_cast<uint8_t*>(&g_settings.engine)
                               : reinterpret_cast<uint8_t*>(&g_settings.layout);
}

// nullptr for the engine and layout fields (st may be nullptr for those).
uint32_t* StagedSlot(StagedValues* st, const SettingRow& row) {
    switch (row.home) {
    case HOME_AUTO: return &st->autoLevels[row.slot];
    case HOME_TIMER: return &st->timers[row.slot];
    case HOME_DATE: return &st->date[row.slot];
    default: return nullptr;
    }
}

uint32_t GetNumber(const SettingRow& row, StagedValues* st) {
    if (uint32_t* staged = StagedSlot(st, row)) return *staged;
    uint32_t v;
    std::memcpy(&v, FieldBase(row.home) + row.slot, sizeof v);
    return v;
}

void SetNumber(const SettingRow& row, StagedValues* st, uint32_t v) {
    if (uint32_t* staged = StagedSlot(st, row))
        *staged = v;
    else
        std::memcpy(FieldBase(row.home) + row.slot, &v, sizeof v);
}

char* StringField(const SettingRow& row) { return reinterpret_cast<char*>(FieldBase(row.home) + row.slot); }

// The other modules' current values; the date starts at 0 (never cleared).
void StageFromOwners(StagedValues* st) {
    std::memset(st, 0, sizeof *st);
    if (!HasOwner()) return;
    OwnedSettingValues owned = {};
    g_owners.gather(&owned);
    std::memcpy(st->autoLevels, owned.autoLevels, sizeof st->autoLevels);
    std::memcpy(st->timers, owned.timers, sizeof st->timers);
}

void HandBackToOwners(const StagedValues& st) {
    if (!HasOwner()) return;
    OwnedSettingValues owned;
    std::memcpy(owned.autoLevels, st.autoLevels, sizeof owned.autoLevels);
    std::memcpy(owned.timers, st.timers, sizeof owned.timers);
    g_owners.handBack(owned);
}

// Only the fields of the engine and layout structs have built-in values; the other modules keep
// their own.
void ApplyBuiltins(SettingGroup group) {
    size_t count;
    const SettingRow* rows = SettingsTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const SettingRow& row = rows[i];
        if (row.group != group || (row.home != HOME_ENGINE && row.home != HOME_LAYOUT)) continue;
        if (row.kind == SETTING_STRING)
            StringField(row)[0] = 0;
        else
            SetNumber(row, nullptr, row.builtin);
    }
}

void ReadGroup(RegistryKey key, SettingGroup group, StagedValues* st) {
    size_t count;
    const SettingRow* rows = SettingsTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const SettingRow& row = rows[i];
        if (row.group != group) continue;
        if (row.kind == SETTING_STRING) {
            if (!RegistryReadString(key, row.name, StringField(row), SETTINGS_PATH_BYTES)) StringField(row)[0] = 0;
            continue;
        }
        uint32_t* staged = StagedSlot(st, row);
        uint32_t v = staged ? *staged : row.tableDefault;
        RegistryReadDword(key, row.name, &v);
        if (row.kind == SETTING_WORD) v &= 0xFFFF;
        SetNumber(row, st, v);
    }
}

// skipDate: leave the notice date as stored.
void WriteGroup(RegistryKey key, SettingGroup group, StagedValues* st, bool skipDate) {
    size_t count;
    const SettingRow* rows = SettingsTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const SettingRow& row = rows[i];
        if (row.group != group || (skipDate && row.home == HOME_DATE) || Unowned(row)) continue;
        if (row.kind == SETTING_STRING) {
            if (StringField(row)[0]) RegistryWriteString(key, row.name, StringField(row));
            continue;
        }
        uint32_t v = GetNumber(row, st);
        RegistryWriteDword(key, row.name, row.kind == SETTING_WORD ? (v & 0xFFFF) : v);
    }
}

// Open for reading and writing, else create it; volatile when this call made it.
int OpenOrCreateKey(RegistryKey* keyOut) {
    return RegistryOpenKey(SETTINGS_KEY_PATH, REGISTRY_READ_WRITE, keyOut) ||
           RegistryCreateVolatileKey(SETTINGS_KEY_PATH, keyOut);
}

void ApplyAllBuiltins() {
    std::memset(&g_settings, 0, sizeof g_settings);
    ApplyBuiltins(GROUP_ENGINE);
    ApplyBuiltins(GROUP_LAYOUT);
}

// The process starts with the built-in values in force.
struct BuiltinsAtStart {
    BuiltinsAtStart() { ApplyAllBuiltins(); }
} g_builtinsAtStart;

}  // namespace

EngineSettings& Settings() { return g_settings.engine; }
LayoutSettings& Layout() { return g_settings.layout; }

void ResetSettingsForTest() { ApplyAllBuiltins(); }

void SetOwnedValuesHooks(GatherOwnedValues gather, HandBackOwnedValues handBack) {
    g_owners.gather = gather;
    g_owners.handBack = handBack;
}

void LoadLayout() {
    g_settings.layoutLoaded = 1;
    RegistryKeyGuard key;
    if (!OpenOrCreateKey(&key.key)) {
        ApplyBuiltins(GROUP_LAYOUT);
        return;
    }
    ReadGroup(key.key, GROUP_LAYOUT, nullptr);
    // The face exists at single and double size only, and the back buffer holds no more than
    // double size: anything else stored here is taken as the normal face at single size.
    if (g_settings.layout.mode > 1) g_settings.layout.mode = 0;
    if (g_settings.layout.mag != 1 && g_settings.layout.mag != 2) g_settings.layout.mag = 1;
}

void SaveLayout() {
    if (!g_settings.layoutLoaded) return;
    RegistryKeyGuard key;
    if (!OpenOrCreateKey(&key.key)) return;
    WriteGroup(key.key, GROUP_LAYOUT, nullptr, false);
}

void LoadSettings() {
    g_settings.engineLoaded = 1;
    RegistryKeyGuard key;
    if (!RegistryOpenKey(SETTINGS_KEY_PATH, REGISTRY_READ, &key.key)) {
        ApplyBuiltins(GROUP_ENGINE);
        return;
    }
    StagedValues st;
    StageFromOwners(&st);
    ReadGroup(key.key, GROUP_ENGINE, &st);
    HandBackToOwners(st);

    int year, month, day;
    LocalDate(&year, &month, &day);
    if (st.date[0] != (uint32_t)(year & 0xFFFF) || st.date[1] != (uint32_t)month || st.date[2] != (uint32_t)day)
        g_settings.engine.recNoticePending = 1;
}

void SaveSettings() {
    if (!g_settings.engineLoaded) return;
    RegistryKeyGuard key;
    if (!OpenOrCreateKey(&key.key)) return;
    StagedValues st;
    StageFromOwners(&st);
    int year, month, day;
    LocalDate(&year, &month, &day);
    st.date[0] = (uint32_t)year;
    st.date[1] = (uint32_t)month;
    st.date[2] = (uint32_t)day;
    WriteGroup(key.key, GROUP_ENGINE, &st, g_settings.engine.recNoticePending == 1);
}

void LayoutWindowSize(uint32_t mode, uint32_t mag, int32_t* widthOut, int32_t* heightOut) {
    int32_t scale = FaceScaleOf(mag);
    *widthOut = FACE_W * scale;
    *heightOut = (mode == FACE_MODE_THIN ? FACE_THIN_H : FACE_NORMAL_H) * scale;
}

void RecomputeWindowSize() {
    LayoutWindowSize(g_settings.layout.mode, g_settings.layout.mag, &g_settings.layout.xs, &g_settings.layout.ys);
}
