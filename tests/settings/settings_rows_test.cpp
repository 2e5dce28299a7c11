// Every row of the settings table against the documented values: what a value that is missing
// from an existing key loads as, and that the 16-bit rows keep only their low 16 bits whatever
// else a stored DWORD carries. The expectations are written out here by value name, not taken
// from the table, so a changed default or stored type in the table shows up as a failure.
#include <gtest/gtest.h>

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

struct Expected {
    uint32_t missing;               // value after loading from a key without it
    std::function<uint32_t()> get;  // where the program keeps it
};

// Numeric rows by name. The notice date has no home to read back; its rows are checked through
// the notice flag below.
std::map<std::string, Expected> NumericRows() {
    std::map<std::string, Expected> rows = {
        {"RecordInput",      {0, [] { return Settings().recordInput; }}        },
        {"RecordFormat",     {0, [] { return Settings().recordFormat; }}       },
        {"RecordFrequency",  {44100, [] { return Settings().recordFrequency; }}},
        {"RecordChannel",    {2, [] { return Settings().recordChannel; }}      },
        {"RecordBps",        {16, [] { return Settings().recordBps; }}         },
        {"TimerMode",        {0, [] { return Settings().timerMode; }}          },
        {"MpegBitrate",      {256, [] { return Settings().mpegBitrate; }}      },
        {"Mp2Bitrate",       {192, [] { return Settings().mp2Bitrate; }}       },
        {"Mp3Bitrate",       {128, [] { return Settings().mp3Bitrate; }}       },
        {"RecLimit",         {0, [] { return Settings().recLimit; }}           },
        {"RecAutoRecording", {1, [] { return Settings().recAutoRecording; }}   },
        {"PlaySpace",        {1, [] { return Settings().playSpace; }}          },
        {"Repeat",           {0, [] { return Settings().repeat; }}             },
        {"AutoLevel",        {OWN_LEVEL, [] { return AutoValue(0); }}          },
        {"AutoStart",        {OWN_START, [] { return AutoValue(1); }}          },
        {"AutoStop",         {OWN_STOP, [] { return AutoValue(2); }}           },
        {"Xo",               {16, [] { return (uint32_t)Layout().xo; }}        },
        {"Yo",               {16, [] { return (uint32_t)Layout().yo; }}        },
        {"Xs",               {400, [] { return (uint32_t)Layout().xs; }}       },
        {"Ys",               {105, [] { return (uint32_t)Layout().ys; }}       },
        {"Mode",             {0, [] { return Layout().mode; }}                 },
        {"Mag",              {1, [] { return Layout().mag; }}                  },
        {"Top",              {0, [] { return Layout().top; }}                  },
        {"Xo_List",          {16, [] { return (uint32_t)Layout().xoList; }}    },
        {"Yo_List",          {16, [] { return (uint32_t)Layout().yoList; }}    },
        {"Xs_List",          {400, [] { return (uint32_t)Layout().xsList; }}   },
        {"Ys_List",          {360, [] { return (uint32_t)Layout().ysList; }}   },
        {"ColumnNumber",     {56, [] { return Layout().columnNumber; }}        },
        {"ColumnName",       {124, [] { return Layout().columnName; }}         },
        {"ColumnTime",       {56, [] { return Layout().columnTime; }}          },
        {"ColumnTitle",      {164, [] { return Layout().columnTitle; }}        },
        {"MaxVolume",        {0, [] { return Layout().maxVolume; }}            },
    };
    const char* parts[] = {"TimerHour", "TimerMinute", "TimerMode"};
    const uint16_t own[] = {OWN_SLOT.hour, OWN_SLOT.minute, OWN_SLOT.flags};
    for (int which = 0; which < 3; ++which)
        for (int slot = 0; slot < TIMER_SLOT_COUNT; ++slot)
            rows[parts[which] + std::to_string(slot)] = {own[which], [=] { return SlotValue(slot, which); }};
    return rows;
}

const char* const STRING_ROWS[] = {"RecFileName", "SelectDir"};
const char* const DATE_ROWS[] = {"LastYear", "LastMonth", "LastDay"};
// Rows whose stored DWORD counts only with its low 16 bits.
const std::set<std::string> SIXTEEN_BIT_PREFIXES = {"Auto", "Timer", "Last"};

bool IsSixteenBit(const std::string& name) {
    if (name == "TimerMode") return false;  // the time display mode, a whole DWORD
    for (const std::string& p : SIXTEEN_BIT_PREFIXES)
        if (name.compare(0, p.size(), p) == 0) return true;
    return false;
}

class SettingsRows : public ::testing::Test {
protected:
    void SetUp() override {
        RegistryResetForTest();
        SetFakeLocalDate(2026, 12, 6);
        ResetSettingsForTest();
        ResetAutoRecordForTest();
        ResetTimerSlotsForTest();
        RegisterRecordSettings();
        SetAutoLevels(OWN_LEVEL, OWN_START, OWN_STOP);
        TimerSlot slots[TIMER_SLOT_COUNT];
        for (TimerSlot& s : slots) s = OWN_SLOT;
        LoadTimers(slots);
        ASSERT_TRUE(RegistryInstallKey(KEY));  // an existing key, made by someone else
    }
    void TearDown() override { EXPECT_EQ(RegistryOpenKeyCount(), 0); }

    static void Put(const char* name, uint32_t v) {
        ASSERT_TRUE(RegistryPutRaw(KEY, name, REGISTRY_TYPE_DWORD, &v, sizeof v));
    }
    static uint32_t Stored(const char* name) {
        RegistryKeyGuard k;
        uint32_t v = 0xDEADBEEF;
        if (RegistryOpenKey(KEY, REGISTRY_READ, &k.key)) RegistryReadDword(k.key, name, &v);
        return v;
    }
};

TEST_F(SettingsRows, TheTableHoldsExactlyTheDocumentedValues) {
    std::set<std::string> documented;
    for (const auto& row : NumericRows()) documented.insert(row.first);
    for (const char* n : STRING_ROWS) documented.insert(n);
    for (const char* n : DATE_ROWS) documented.insert(n);

    size_t count;
    const SettingRow* rows = SettingsTable(&count);
    std::set<std::string> inTable;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(inTable.insert(rows[i].name).second) << rows[i].name << " twice";
        EXPECT_TRUE(documented.count(rows[i].name)) << rows[i].name << " is not a documented value";
    }
    for (const std::string& n : documented) EXPECT_TRUE(inTable.count(n)) << n << " is missing from the table";
}

TEST_F(SettingsRows, EveryMissingValueLoadsAsItsDefault) {
    std::strcpy(Settings().recFileName, "C:\\old\\S-");
    std::strcpy(Settings().selectDir, "C:\\old");
    LoadLayout();
    LoadSettings();
    for (const auto& row : NumericRows()) EXPECT_EQ(row.second.get(), row.second.missing) << row.first;
    EXPECT_STREQ(Settings().recFileName, "");
    EXPECT_STREQ(Settings().selectDir, "");
    EXPECT_EQ(Settings().recNoticePending, 1) << "no date stored: the notice is due";
}

// A value stored with the high 16 bits set (older versions and other tools leave them so): the
// 16-bit rows load its low half, the other rows the whole DWORD, and a save writes back the
// low half only.
TEST_F(SettingsRows, SixteenBitRowsKeepTheLowHalfOfAStoredDword) {
    std::map<std::string, uint32_t> low;
    uint16_t next = 1;
    for (const auto& row : NumericRows()) {
        if (!IsSixteenBit(row.first)) continue;
        low[row.first] = next++;
        Put(row.first.c_str(), 0xA5A50000u | low[row.first]);
    }
    ASSERT_EQ(low.size(), 3u + 18u);
    Put("LastYear", 0xFFFF0000u | 2026);
    Put("LastMonth", 0x00010000u | 12);
    Put("LastDay", 0x80000000u | 6);
    Put("RecordFrequency", 0x00010000u | 44100);  // a 32-bit row keeps every bit

    LoadLayout();
    LoadSettings();
    for (const auto& row : NumericRows())
        if (low.count(row.first)) {
            EXPECT_EQ(row.second.get(), low[row.first]) << row.first;
        }
    EXPECT_EQ(Settings().recordFrequency, 0x00010000u | 44100);
    EXPECT_EQ(Settings().recNoticePending, 0) << "the stored date is today once its high bits are dropped";

    SaveSettings();
    for (const auto& l : low) EXPECT_EQ(Stored(l.first.c_str()), l.second) << l.first;
    EXPECT_EQ(Stored("LastYear"), 2026u);
    EXPECT_EQ(Stored("LastDay"), 6u);
}

}  // namespace
