// Settings store against the in-memory registry: every row of the table against the documented
// values, first runs, unopenable keys and unreadable values, the notice date across runs, and the
// window size for the face modes.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "base/clock.h"
#include "record/auto_record.h"
#include "record/record_settings.h"
#include "record/timer_slots.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "settings/settings_table.h"

namespace {

const char* const KEY = SETTINGS_KEY_PATH;

// The recorder's and the timer's own values, set before a load: missing rows must leave them.
const uint16_t OWN_LEVEL = 300, OWN_START = 3, OWN_STOP = 0;
const TimerSlot OWN_SLOT = {21, 7, 1};  // disabled: rows 5 and 6 keep it as it is

uint32_t Stored(const char* name) {
    RegistryKeyGuard k;
    uint32_t v = 0xDEADBEEF;
    if (RegistryOpenKey(KEY, REGISTRY_READ, &k.key)) RegistryReadDword(k.key, name, &v);
    return v;
}

std::string StoredText(const char* name) {
    RegistryKeyGuard k;
    char buf[SETTINGS_PATH_BYTES] = "<missing>";
    if (RegistryOpenKey(KEY, REGISTRY_READ, &k.key)) RegistryReadString(k.key, name, buf, sizeof buf);
    return buf;
}

void Put(const char* name, uint32_t v) { ASSERT_TRUE(RegistryPutRaw(KEY, name, REGISTRY_TYPE_DWORD, &v, 4)); }

uint32_t AutoValue(int which) {
    uint16_t v[3];
    GetAutoLevels(&v[0], &v[1], &v[2]);
    return v[which];
}

uint32_t SlotValue(int slot, int which) {
    TimerSlot s[TIMER_SLOT_COUNT];
    GetTimerSlots(s);
    return which == 0 ? s[slot].hour : which == 1 ? s[slot].minute : s[slot].flags;
}

// Numeric rows by name, written out here rather than taken from the table so that a changed
// default shows up: the value after loading from a key without it, and where the program keeps
// it. The notice date has no home to read back; it is checked through the notice flag.
struct Expected {
    uint32_t missing;
    std::function<uint32_t()> get;
};
std::map<std::string, Expected> NumericRows() {
    EngineSettings& e = Settings();
    LayoutSettings& l = Layout();
    std::map<std::string, Expected> rows = {
        {"RecordInput",      {0, [&] { return e.recordInput; }}        },
        {"RecordFormat",     {0, [&] { return e.recordFormat; }}       },
        {"RecordFrequency",  {44100, [&] { return e.recordFrequency; }}},
        {"RecordChannel",    {2, [&] { return e.recordChannel; }}      },
        {"RecordBps",        {16, [&] { return e.recordBps; }}         },
        {"TimerMode",        {0, [&] { return e.timerMode; }}          },
        {"MpegBitrate",      {256, [&] { return e.mpegBitrate; }}      },
        {"Mp2Bitrate",       {192, [&] { return e.mp2Bitrate; }}       },
        {"Mp3Bitrate",       {128, [&] { return e.mp3Bitrate; }}       },
        {"RecLimit",         {0, [&] { return e.recLimit; }}           },
        {"RecAutoRecording", {1, [&] { return e.recAutoRecording; }}   },
        {"PlaySpace",        {1, [&] { return e.playSpace; }}          },
        {"Repeat",           {0, [&] { return e.repeat; }}             },
        {"AutoLevel",        {OWN_LEVEL, [] { return AutoValue(0); }}  },
        {"AutoStart",        {OWN_START, [] { return AutoValue(1); }}  },
        {"AutoStop",         {OWN_STOP, [] { return AutoValue(2); }}   },
        {"Xo",               {16, [&] { return (uint32_t)l.xo; }}      },
        {"Yo",               {16, [&] { return (uint32_t)l.yo; }}      },
        {"Xs",               {400, [&] { return (uint32_t)l.xs; }}     },
        {"Ys",               {105, [&] { return (uint32_t)l.ys; }}     },
        {"Mode",             {0, [&] { return l.mode; }}               },
        {"Mag",              {1, [&] { return l.mag; }}                },
        {"Top",              {0, [&] { return l.top; }}                },
        {"Xo_List",          {16, [&] { return (uint32_t)l.xoList; }}  },
        {"Yo_List",          {16, [&] { return (uint32_t)l.yoList; }}  },
        {"Xs_List",          {400, [&] { return (uint32_t)l.xsList; }} },
        {"Ys_List",          {360, [&] { return (uint32_t)l.ysList; }} },
        {"ColumnNumber",     {56, [&] { return l.columnNumber; }}      },
        {"ColumnName",       {124, [&] { return l.columnName; }}       },
        {"ColumnTime",       {56, [&] { return l.columnTime; }}        },
        {"ColumnTitle",      {164, [&] { return l.columnTitle; }}      },
        {"MaxVolume",        {0, [&] { return l.maxVolume; }}          },
    };
    const char* parts[] = {"TimerHour", "TimerMinute", "TimerMode"};
    const uint16_t own[] = {OWN_SLOT.hour, OWN_SLOT.minute, OWN_SLOT.flags};
    for (int which = 0; which < 3; ++which)
        for (int slot = 0; slot < TIMER_SLOT_COUNT; ++slot)
            rows[parts[which] + std::to_string(slot)] = {own[which], [=] { return SlotValue(slot, which); }};
    return rows;
}

// Rows whose stored DWORD counts only with its low 16 bits (TimerMode is the time display's
// mode, a whole DWORD).
bool IsSixteenBit(const std::string& name) {
    if (name == "TimerMode") return false;
    for (const char* p : {"Auto", "Timer", "Last"})
        if (name.rfind(p, 0) == 0) return true;
    return false;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryResetForTest();
        SetFakeLocalDate(2026, 12, 6);
        NewProcess();
    }
    void TearDown() override { EXPECT_EQ(RegistryOpenKeyCount(), 0) << "a key was left open"; }

    // A fresh start of the program: every module back to its start values.
    static void NewProcess() {
        ResetSettingsForTest();
        ResetAutoRecordForTest();
        ResetTimerSlotsForTest();
        RegisterRecordSettings();
    }
    // An existing key made by someone else, and the other modules' own values set.
    static void ExistingKeyAndOwnValues() {
        SetAutoLevels(OWN_LEVEL, OWN_START, OWN_STOP);
        TimerSlot slots[TIMER_SLOT_COUNT];
        for (TimerSlot& s : slots) s = OWN_SLOT;
        LoadTimers(slots);
        ASSERT_TRUE(RegistryInstallKey(KEY));
    }
    static void StartUp() {
        LoadLayout();
        LoadSettings();
    }
    static void ShutDown() {
        SaveLayout();
        SaveSettings();
    }
    // One run from start to close, optionally pressing Record once (which clears the notice).
    static void Run(bool pressRecord) {
        NewProcess();
        StartUp();
        if (pressRecord) Settings().recNoticePending = 0;
        ShutDown();
    }
};

TEST_F(SettingsStore, TheTableHoldsExactlyTheDocumentedValues) {
    std::set<std::string> documented = {"RecFileName", "SelectDir", "LastYear", "LastMonth", "LastDay"};
    for (const auto& row : NumericRows()) documented.insert(row.first);
    size_t count;
    const SettingRow* rows = SettingsTable(&count);
    std::set<std::string> inTable;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(inTable.insert(rows[i].name).second) << rows[i].name << " twice";
        EXPECT_TRUE(documented.count(rows[i].name)) << rows[i].name << " is not a documented value";
    }
    EXPECT_EQ(inTable, documented);
}

TEST_F(SettingsStore, EveryMissingValueLoadsAsItsDefault) {
    ExistingKeyAndOwnValues();
    std::strcpy(Settings().recFileName, "C:\\old\\S-");
    std::strcpy(Settings().selectDir, "C:\\old");
    StartUp();
    for (const auto& row : NumericRows()) EXPECT_EQ(row.second.get(), row.second.missing) << row.first;
    EXPECT_STREQ(Settings().recFileName, "");
    EXPECT_STREQ(Settings().selectDir, "");
    EXPECT_EQ(Settings().recNoticePending, 1) << "no date stored: the notice is due";
}

// Stored values load as they are, with two exceptions. A value stored with the high 16 bits set
// (older versions and other tools leave them so): the 16-bit rows load its low half, the other
// rows the whole DWORD, and a save writes back the low half only. Data that cannot be read as a
// DWORD takes the default.
TEST_F(SettingsStore, StoredValuesLoadAndSixteenBitRowsKeepTheLowHalf) {
    ExistingKeyAndOwnValues();
    std::map<std::string, uint32_t> low;
    uint16_t next = 1;
    for (const auto& row : NumericRows())
        if (IsSixteenBit(row.first)) {
            low[row.first] = next++;
            Put(row.first.c_str(), 0xA5A50000u | low[row.first]);
        }
    ASSERT_EQ(low.size(), 3u + 18u);
    Put("LastYear", 0xFFFF0000u | 2026);
    Put("LastMonth", 0x00010000u | 12);
    Put("LastDay", 0x80000000u | 6);
    Put("RecordFrequency", 0x00010000u | 44100);
    Put("Yo", (uint32_t)-20);            // left for the window code to pull back on screen
    const char longText[] = "12345678";  // longer than a DWORD
    ASSERT_TRUE(RegistryPutRaw(KEY, "Repeat", REGISTRY_TYPE_SZ, longText, sizeof longText));
    const uint8_t twoBytes[2] = {2, 0};  // stored type is not checked
    ASSERT_TRUE(RegistryPutRaw(KEY, "PlaySpace", REGISTRY_TYPE_BINARY, twoBytes, 2));

    StartUp();
    EXPECT_FALSE(RegistryKeyIsVolatile(KEY));
    EXPECT_EQ(Layout().yo, -20);
    EXPECT_EQ(Settings().repeat, 0u);
    EXPECT_EQ(Settings().playSpace, 2u);
    auto rows = NumericRows();
    for (const auto& l : low) EXPECT_EQ(rows.at(l.first).get(), l.second) << l.first;
    EXPECT_EQ(Settings().recordFrequency, 0x00010000u | 44100);
    EXPECT_EQ(Settings().recNoticePending, 0) << "the stored date is today once its high bits are dropped";

    SaveSettings();
    for (const auto& l : low) EXPECT_EQ(Stored(l.first.c_str()), l.second) << l.first;
    EXPECT_EQ(Stored("LastYear"), 2026u);
    EXPECT_EQ(Stored("LastDay"), 6u);
}

// A first run makes a volatile key (gone after a restart, so the next start is a first run
// again) and stores every value but the two empty paths and the date of a pending notice.
TEST_F(SettingsStore, FirstRunCreatesAVolatileKeyAndSavesTheDefaults) {
    StartUp();
    EXPECT_TRUE(RegistryKeyIsVolatile(KEY));
    EXPECT_EQ(Settings().recNoticePending, 1);
    ShutDown();
    size_t count;
    SettingsTable(&count);
    EXPECT_EQ(RegistryValueCount(KEY), (int)count - 5);
    EXPECT_EQ(Stored("ColumnTitle"), 164u);
    EXPECT_EQ(Stored("AutoLevel"), 16u);
    EXPECT_EQ(Stored("LastYear"), 0xDEADBEEFu);
}

TEST_F(SettingsStore, UnopenableKeyUsesBuiltinsAndSavesNothing) {
    RegistrySetUnopenable(KEY, 1);
    Layout().xo = 300;
    Settings().recordFrequency = 48000;
    StartUp();
    EXPECT_EQ(Layout().xo, 0);
    EXPECT_EQ(Layout().yoList, 0);
    EXPECT_EQ(Layout().xs, 400);
    EXPECT_EQ(Settings().recordFrequency, 0u);
    EXPECT_EQ(Settings().mp2Bitrate, 192u);
    EXPECT_EQ(Settings().recNoticePending, 0);
    ShutDown();
    EXPECT_FALSE(RegistryKeyExists(KEY));
}

// Every value comes back as saved; a path emptied later leaves the stored one in place.
TEST_F(SettingsStore, EveryValueSurvivesARoundTrip) {
    StartUp();
    LayoutSettings& l = Layout();
    l = LayoutSettings{-5, 700, 800, 40, 1, 2, 1, 30, 40, 500, 600, 10, 20, 30, 40, 1};
    EngineSettings& e = Settings();
    std::strcpy(e.recFileName, "C:\\Music\\take");
    std::strcpy(e.selectDir, "D:\\Sets");
    uint32_t* numbers[] = {&e.recordInput,      &e.recordFormat, &e.recordFrequency, &e.recordChannel, &e.recordBps,
                           &e.timerMode,        &e.mpegBitrate,  &e.mp2Bitrate,      &e.mp3Bitrate,    &e.recLimit,
                           &e.recAutoRecording, &e.playSpace,    &e.repeat};
    for (uint32_t i = 0; i < 13; ++i) *numbers[i] = 1000 + i;
    SetAutoLevels(1024, 0, 3);
    TimerSlot slots[TIMER_SLOT_COUNT];
    // Rows 5 and 6 are stored as minutes from now; "when opening program." keeps its value.
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i)
        slots[i] =
            TimerSlot{(uint16_t)(i + 7), (uint16_t)(i < TIMER_FIRST_RELATIVE_ROW ? i * 9 : TIMER_MINUTE_AT_START), 8};
    LoadTimers(slots);
    ShutDown();

    NewProcess();
    StartUp();
    EXPECT_EQ(std::memcmp(&Layout(), &l, sizeof l), 0);
    EXPECT_STREQ(Settings().recFileName, "C:\\Music\\take");
    EXPECT_STREQ(Settings().selectDir, "D:\\Sets");
    for (uint32_t i = 0; i < 13; ++i) EXPECT_EQ(*numbers[i], 1000 + i) << "number " << i;
    const uint32_t levels[] = {1024, 0, 3};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(AutoValue(i), levels[i]) << "auto level " << i;
    TimerSlot back[TIMER_SLOT_COUNT];
    GetTimerSlots(back);
    EXPECT_EQ(std::memcmp(back, slots, sizeof slots), 0);

    Settings().recFileName[0] = 0;
    Settings().selectDir[0] = 0;
    ShutDown();
    EXPECT_EQ(StoredText("RecFileName"), "C:\\Music\\take");
    EXPECT_EQ(StoredText("SelectDir"), "D:\\Sets");
}

TEST_F(SettingsStore, NoticeShowsOnceOnEachDayTheDeckStarts) {
    ASSERT_TRUE(RegistryInstallKey(KEY));
    Run(false);  // notice pending and never shown: no date stored
    EXPECT_EQ(Stored("LastYear"), 0xDEADBEEFu);
    Run(true);  // shown: today is stored
    EXPECT_EQ(Stored("LastYear"), 2026u);
    EXPECT_EQ(Stored("LastMonth"), 12u);
    EXPECT_EQ(Stored("LastDay"), 6u);
    const int days[][4] = {
        {2026, 12, 6, 0}, // same day
        {2026, 12, 7, 1}, // day, month, year differ
        {2026, 11, 7, 1},
        {2025, 11, 7, 1},
    };
    for (const auto& d : days) {
        SetFakeLocalDate(d[0], d[1], d[2]);
        NewProcess();
        StartUp();
        EXPECT_EQ(Settings().recNoticePending, d[3]) << d[0] << "-" << d[1] << "-" << d[2];
        Settings().recNoticePending = 0;
        ShutDown();
    }
    EXPECT_EQ(Stored("LastYear"), 2025u);
}

// Each group is saved only by a run that loaded it: a window that closes before it read its
// layout, or a start that stopped before the engine settings, keeps its built-ins to itself.
TEST_F(SettingsStore, AGroupNeverLoadedIsNeverSaved) {
    ASSERT_TRUE(RegistryInstallKey(KEY));
    Put("Xo", 300);
    Put("Repeat", 2);
    LoadSettings();
    ShutDown();
    EXPECT_EQ(300u, Stored("Xo"));
    NewProcess();
    LoadLayout();
    Settings().repeat = 0;
    ShutDown();
    EXPECT_EQ(2u, Stored("Repeat"));
}

// Odd stored values, and the first ones past each range, load as the normal face at single size.
TEST_F(SettingsStore, WindowSizeFollowsModeAndMag) {
    ASSERT_TRUE(RegistryInstallKey(KEY));
    for (const auto& odd : {
             std::array<uint32_t, 2>{7, 0},
              std::array<uint32_t, 2>{2, 3}
    }) {
        Put("Mode", odd[0]);
        Put("Mag", odd[1]);
        LoadLayout();
        EXPECT_EQ(Layout().mode, 0u) << odd[0];
        EXPECT_EQ(Layout().mag, 1u) << odd[1];
    }
    const int32_t cases[][4] = {
  // mode, mag, width, height
        {0, 1, 400, 105},
        {1, 1, 400, 20 },
        {0, 2, 800, 210},
        {1, 2, 800, 40 },
        {0, 3, 400, 105},
    };
    for (auto& c : cases) {
        int32_t w, h;
        LayoutWindowSize(c[0], c[1], &w, &h);
        EXPECT_EQ(w, c[2]) << c[0] << "/" << c[1];
        EXPECT_EQ(h, c[3]) << c[0] << "/" << c[1];
    }
}

// The hive itself: the rules the settings code leans on.
TEST(InMemoryRegistry, KeepsTheSystemRules) {
    RegistryResetForTest();
    RegistryKeyGuard created;
    ASSERT_TRUE(RegistryCreateVolatileKey("SOFTWARE\\A\\B", &created.key));
    EXPECT_TRUE(RegistryKeyIsVolatile("Software\\a")) << "missing parents share the new key's kind";
    EXPECT_FALSE(RegistryInstallKey("SOFTWARE\\A\\Persist")) << "no ordinary key under a volatile one";

    ASSERT_TRUE(RegistryInstallKey("SOFTWARE\\P\\Q"));
    RegistryKeyGuard readOnly, existing;
    ASSERT_TRUE(RegistryOpenKey("software\\p\\q\\", REGISTRY_READ, &readOnly.key));
    EXPECT_FALSE(RegistryWriteDword(readOnly.key, "X", 1));
    ASSERT_TRUE(RegistryCreateVolatileKey("SOFTWARE\\P\\Q", &existing.key));
    EXPECT_FALSE(RegistryKeyIsVolatile("SOFTWARE\\P\\Q")) << "an existing key keeps its kind";

    RegistrySimulateRestart();
    EXPECT_FALSE(RegistryKeyExists("SOFTWARE\\A"));
    EXPECT_TRUE(RegistryKeyExists("SOFTWARE\\P\\Q"));
}

}  // namespace
