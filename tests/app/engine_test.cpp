// Engine start-up and shutdown: step order, the error number of the first failing step, and
// what a failure leaves behind.
#include "app/app_state.h"
#include "app/engine.h"
#include "deck/deck.h"
#include "deck/silence_files.h"
#include "hardware/device.h"
#include "hardware/mixer.h"
#include "hardware/wave_devices.h"
#include "playback/mci_windows.h"
#include "playback/mpeg_libraries.h"
#include "playlist/playlist_files.h"
#include "record/recorder_window.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
std::vector<std::string> g_trace;
int g_failAt = -1;  // index of the fake step that fails

int FakeStep(int index, int err) {
    g_trace.push_back(std::to_string(index));
    return index == g_failAt ? err : 0;
}
int Fake0() { return FakeStep(0, 1); }
int Fake1() { return FakeStep(1, 2); }
int Fake2() { return FakeStep(2, 30); }
int Fake3() { return FakeStep(3, 12); }

TEST(StartupSteps, RunInOrderAndStopAtTheFirstFailure) {
    const StartupStep steps[] = {
        {"a", Fake0},
        {"b", Fake1},
        {"c", Fake2},
        {"d", Fake3}
    };
    const struct {
        int failAt;
        uint32_t error;
        size_t ran;
    } cases[] = {
        {-1, 0,  4},
        {0,  1,  1},
        {1,  2,  2},
        {2,  30, 3},
        {3,  12, 4},
    };
    for (const auto& c : cases) {
        g_trace.clear();
        g_failAt = c.failAt;
        int failed = 99;
        EXPECT_EQ(c.error, RunStartupSteps(steps, 4, &failed));
        EXPECT_EQ(c.failAt, failed);
        ASSERT_EQ(c.ran, g_trace.size());
        for (size_t i = 0; i < g_trace.size(); ++i) EXPECT_EQ(std::to_string(i), g_trace[i]);
    }
}

class EngineStartup_ : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppValues();
        ResetSettingsForTest();
        ResetDeviceForTest();
        const char* device[] = {"Kelvara Vornex USB"};
        SetFakeWaveDevices(0, device, 1);
        SetFakeWaveDevices(1, device, 1);
        SetMixerInitFailForTest(0);
        SetPlaylistInitFailForTest(0);
        SetPlaybackWindowsFailForTest(0, 0);
        SetRecorderWindowFailForTest(0);
        char tmpl[] = "/tmp/qd_engine_XXXXXX";
        folder = mkdtemp(tmpl);
        oldTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        setenv("TMPDIR", folder.c_str(), 1);
    }
    void TearDown() override {
        EngineShutdown();
        if (oldTmp.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", oldTmp.c_str(), 1);
        for (const char* n : {"Sil32.$$$", "Sil44.$$$", "Sil48.$$$"}) unlink((folder + "/" + n).c_str());
        rmdir(folder.c_str());
    }
    bool Exists(const char* name) {
        struct stat st;
        return stat((folder + "/" + name).c_str(), &st) == 0;
    }
    int Start() { return EngineStartup(1, nullptr, nullptr); }
    std::string folder, oldTmp;
};

TEST_F(EngineStartup_, SucceedsWithTheDeviceAndWritesTheSilenceFiles) {
    Deck().deckState = Playing;
    ASSERT_EQ(1, Start());
    EXPECT_EQ(0u, GetInitErrorNo());
    EXPECT_EQ(NoTrack, Deck().deckState) << "the deck is reset";
    EXPECT_TRUE(Exists("Sil32.$$$") && Exists("Sil44.$$$") && Exists("Sil48.$$$"));
}

TEST_F(EngineStartup_, EachFailingStepGivesItsNumber) {
    struct Case {
        const char* what;
        void (*arrange)();
        uint32_t error;
    };
    const Case cases[] = {
        {"no wave input",   [] { SetFakeWaveDevices(0, nullptr, 0); },   1 },
        {"no wave output",  [] { SetFakeWaveDevices(1, nullptr, 0); },   2 },
        {"mixer",           [] { SetMixerInitFailForTest(1); },          4 },
        {"playlist",        [] { SetPlaylistInitFailForTest(1); },       5 },
        {"mci window",      [] { SetPlaybackWindowsFailForTest(1, 0); }, 6 },
        {"recorder window", [] { SetRecorderWindowFailForTest(1); },     7 },
        {"silence folder",  [] { setenv("TMPDIR", "/nonexistent/qd_engine", 1); }, 8},
        {"silence open",    [] { SetPlaybackWindowsFailForTest(0, 1); }, 11},
    };
    for (const Case& c : cases) {
        c.arrange();
        EXPECT_EQ(0, Start()) << c.what;
        EXPECT_EQ(c.error, GetInitErrorNo()) << c.what;
        // Silence files written before a later step failed are deleted again.
        EXPECT_FALSE(Exists("Sil32.$$$") || Exists("Sil44.$$$") || Exists("Sil48.$$$")) << c.what;
        TearDown();
        SetUp();
    }
}

TEST_F(EngineStartup_, OtherWaveDevicesAreEnoughToStart) {
    const char* other[] = {"Some Other Card"};
    SetFakeWaveDevices(0, other, 1);
    SetFakeWaveDevices(1, other, 1);
    EXPECT_EQ(1, Start());
}

TEST_F(EngineStartup_, WithoutTheEncoderTheRecordFormatFallsBackToPcm) {
    const char* key = "SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\Settings";
    for (int encoder : {1, 0}) {
        RegistryResetForTest();
        ASSERT_TRUE(RegistryInstallKey(key));
        RegistryKey k = nullptr;
        ASSERT_TRUE(RegistryOpenKey(key, REGISTRY_READ_WRITE, &k));
        ASSERT_TRUE(RegistryWriteDword(k, "RecordFormat", 3));
        RegistryCloseKey(k);
        SetMpegLibrariesForTest(1, encoder);
        ASSERT_EQ(1, Start());
        EXPECT_EQ(EncoderPresent(), Deck().encoderPresent);
        EXPECT_EQ(encoder ? 3u : 0u, Settings().recordFormat) << "encoder offered: " << encoder;
        SetMpegLibrariesForTest(1, 1);
        TearDown();
        SetUp();
    }
}
// The stored settings are the user's: a start that fails before they are loaded must not write
// its built-in values over them at shutdown, and one that fails after must write back what it
// read. Values a failed start would otherwise have overwritten with 0 or a default are stored.
TEST_F(EngineStartup_, AFailedStartLeavesTheStoredSettingsAsTheyWere) {
    const char* key = SETTINGS_KEY_PATH;
    const struct {
        const char* name;
        uint32_t value;
    } stored[] = {
        {"RecordFrequency", 48000      },
        {"RecordChannel",   1          },
        {"RecordBps",       24         },
        {"RecordFormat",    2          },
        {"Repeat",          REPEAT_LIST},
        {"AutoLevel",       900        },
        {"TimerHour3",      7          },
    };
    const struct {
        const char* what;
        void (*arrange)();
        uint32_t error;
    } starts[] = {
        {"no wave input (before the settings)",  [] { SetFakeWaveDevices(0, nullptr, 0); }, 1},
        {"no wave output (before the settings)", [] { SetFakeWaveDevices(1, nullptr, 0); }, 2},
        {"mixer (after the settings)",           [] { SetMixerInitFailForTest(1); },        4},
    };
    for (const auto& start : starts) {
        RegistryResetForTest();
        ASSERT_TRUE(RegistryInstallKey(key));
        RegistryKey k = nullptr;
        ASSERT_TRUE(RegistryOpenKey(key, REGISTRY_READ_WRITE, &k));
        for (const auto& v : stored) ASSERT_TRUE(RegistryWriteDword(k, v.name, v.value));
        ASSERT_TRUE(RegistryWriteString(k, "RecFileName", "C:\\Takes\\Live-"));
        RegistryCloseKey(k);

        start.arrange();
        EXPECT_EQ(0, Start()) << start.what;
        EXPECT_EQ(start.error, GetInitErrorNo()) << start.what;
        EngineShutdown();

        ASSERT_TRUE(RegistryOpenKey(key, REGISTRY_READ, &k));
        for (const auto& v : stored) {
            uint32_t now = 0xDEADBEEF;
            EXPECT_TRUE(RegistryReadDword(k, v.name, &now));
            EXPECT_EQ(v.value, now) << v.name << " after " << start.what;
        }
        char path[SETTINGS_PATH_BYTES] = "";
        EXPECT_TRUE(RegistryReadString(k, "RecFileName", path, sizeof path));
        EXPECT_STREQ("C:\\Takes\\Live-", path) << start.what;
        RegistryCloseKey(k);
        TearDown();
        SetUp();
    }
}
}  // namespace
