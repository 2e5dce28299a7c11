// Settings store against the in-memory registry: first runs, missing keys and values, the notice
// date across runs, volatile keys across restarts, and the window size for the face modes.
#include <gtest/gtest.h>

#include <cstring>
#include <array>

#include "base/clock.h"
#include "record/auto_record.h"
#include "record/record_settings.h"
#include "record/timer_slots.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "settings/settings_table.h"

namespace {

const char* const KEY = SETTINGS_KEY_PATH;

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

using AutoLevels = std::array<uint16_t, 3>;  // threshold, start count, end count
AutoLevels AutoLevelsNow() {
    AutoLevels a;
    GetAutoLevels(&a[0], &a[1], &a[2]);
    return a;
}

void PutDword(const char* name, uint32_t v) { ASSERT_TRUE(RegistryPutRaw(KEY, name, REGISTRY_TYPE_DWORD, &v, 4)); }

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

TEST_F(SettingsStore, FirstRunCreatesVolatileKeyAndReadsTableDefaults) {
    StartUp();
    EXPECT_TRUE(RegistryKeyIsVolatile(KEY));
    EXPECT_EQ(Settings().recNoticePending, 1);

    ShutDown();
    // Every value but the two empty paths and the date of a notice still pending.
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

TEST_F(SettingsStore, UnreadableValuesTakeDefaultsAndStoredOnesLoadAsTheyAre) {
    ASSERT_TRUE(RegistryInstallKey(KEY));
    PutDword("Xo", 100);
    PutDword("Yo", (uint32_t)-20);  // left for the window code to pull back on screen
    PutDword("RecordFrequency", 48000);
    const char longText[] = "12345678";  // data longer than a DWORD cannot be read as one
    ASSERT_TRUE(RegistryPutRaw(KEY, "Repeat", REGISTRY_TYPE_SZ, longText, sizeof longText));
    const uint8_t twoBytes[2] = {2, 0};  // stored type is not checked
    ASSERT_TRUE(RegistryPutRaw(KEY, "PlaySpace", REGISTRY_TYPE_BINARY, twoBytes, 2));

    StartUp();
    EXPECT_FALSE(RegistryKeyIsVolatile(KEY));
    EXPECT_EQ(Layout().xo, 100);
    EXPECT_EQ(Layout().yo, -20);
    EXPECT_EQ(Settings().recordFrequency, 48000u);
    EXPECT_EQ(Settings().repeat, 0u);
    EXPECT_EQ(Settings().playSpace, 2u);
}

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
    EXPECT_EQ(AutoLevelsNow(), (AutoLevels{1024, 0, 3}));
    TimerSlot back[TIMER_SLOT_COUNT];
    GetTimerSlots(back);
    EXPECT_EQ(std::memcmp(back, slots, sizeof slots), 0);
}

TEST_F(SettingsStore, EmptyPathsLeaveTheStoredOnesInPlace) {
    StartUp();
    std::strcpy(Settings().recFileName, "C:\\Rec\\live");
    std::strcpy(Settings().selectDir, "C:\\In");
    ShutDown();

    NewProcess();
    StartUp();
    Settings().recFileName[0] = 0;
    Settings().selectDir[0] = 0;
    ShutDown();
    EXPECT_EQ(StoredText("RecFileName"), "C:\\Rec\\live");
    EXPECT_EQ(StoredText("SelectDir"), "C:\\In");
}

TEST_F(SettingsStore, NoticeShowsOnceOnEachDayTheDeckStarts) {
    ASSERT_TRUE(RegistryInstallKey(KEY));
    Run(false);  // notice pending and never shown: no date stored
    EXPECT_EQ(Stored("LastYear"), 0xDEADBEEFu);
    Run(true);  // shown: today is stored
    EXPECT_EQ(Stored("LastYear"), 2026u);
    EXPECT_EQ(Stored("LastMonth"), 12u);
    EXPECT_EQ(Stored("LastDay"), 6u);

    NewProcess();
    StartUp();
    EXPECT_EQ(Settings().recNoticePending, 0) << "same day";
    ShutDown();

    const int laterDays[][3] = {
        {2026, 12, 7},
        {2026, 11, 7},
        {2025, 11, 7}
    };  // day, month, year differ
    for (const auto& d : laterDays) {
        SetFakeLocalDate(d[0], d[1], d[2]);
        NewProcess();
        StartUp();
        EXPECT_EQ(Settings().recNoticePending, 1) << "new day";
        Settings().recNoticePending = 0;
        ShutDown();
    }
    EXPECT_EQ(Stored("LastYear"), 2025u);
}

TEST_F(SettingsStore, AKeyTheDeckMadeIsGoneAfterARestart) {
    Run(true);
    Layout().xo = 222;
    SaveLayout();
    RegistrySimulateRestart();
    EXPECT_FALSE(RegistryKeyExists(KEY));
    NewProcess();
    StartUp();
    EXPECT_EQ(Layout().xo, 16);
    EXPECT_EQ(Settings().recNoticePending, 1) << "a first run again";
    ShutDown();
}

// Each group is saved only by a run that loaded it: a window that closes before it read its
// layout, or a start that stopped before the engine settings, keeps its built-ins to itself.
TEST_F(SettingsStore, AGroupNeverLoadedIsNeverSaved) {
    ASSERT_TRUE(RegistryInstallKey(KEY));
    PutDword("Xo", 300);
    PutDword("Repeat", 2);
    NewProcess();
    LoadSettings();
    ShutDown();
    EXPECT_EQ(300u, Stored("Xo"));
    NewProcess();
    LoadLayout();
    Settings().repeat = 0;
    ShutDown();
    EXPECT_EQ(2u, Stored("Repeat"));
    EXPECT_EQ(300u, Stored("Xo"));
}

TEST_F(SettingsStore, WindowSizeFollowsModeAndMag) {
    ASSERT_TRUE(RegistryInstallKey(KEY));
    // Odd values, and the first ones past each range: normal face, single size.
    for (const auto& odd : {std::array<uint32_t, 2>{7, 0}, std::array<uint32_t, 2>{2, 3}}) {
        PutDword("Mode", odd[0]);
        PutDword("Mag", odd[1]);
        LoadLayout();
        EXPECT_EQ(Layout().mode, 0u) << odd[0];
        EXPECT_EQ(Layout().mag, 1u) << odd[1];
    }

    struct {
        uint32_t mode, mag;
        int32_t w, h;
    } cases[] = {
        {0, 1, 400, 105},
        {1, 1, 400, 20 },
        {0, 2, 800, 210},
        {1, 2, 800, 40 },
        {0, 3, 400, 105},
    };
    for (auto& c : cases) {
        int32_t w, h;
        LayoutWindowSize(c.mode, c.mag, &w, &h);
        EXPECT_EQ(w, c.w) << c.mode << "/" << c.mag;
        EXPECT_EQ(h, c.h) << c.mode << "/" << c.mag;
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
