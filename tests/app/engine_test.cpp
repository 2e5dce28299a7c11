// Engine start-up and shutdown: step order, the error number of the first failing step, what a
// failure leaves behind, and the orders the steps depend on, seen through the platform stand-ins'
// call log: a step may only use what an earlier step made, the shutdown may only free what no
// later step still uses, and a file held open is never deleted (Windows refuses, and the file
// would stay behind).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/engine.h"
#include "app_test_util.h"
#include "base/native_calls.h"
#include "deck/deck.h"
#include "hardware/device.h"
#include "hardware/mixer.h"
#include "hardware/wave_devices.h"
#include "playback/mci_windows.h"
#include "playback/mpeg_libraries.h"
#include "playlist/playlist_files.h"
#include "playlist/playlist_platform.h"
#include "record/record_writer.h"
#include "record/recorder_window.h"
#include "settings/registry.h"
#include "settings/settings.h"

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

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAppValues();
        ResetSettingsForTest();
        ResetDeviceForTest();
        RegistryResetForTest();
        const char* device[] = {"Kelvara Vornex USB"};
        SetFakeWaveDevices(0, device, 1);
        SetFakeWaveDevices(1, device, 1);
        SetMixerInitFailForTest(0);
        SetPlaylistInitFailForTest(0);
        SetPlaybackWindowsFailForTest(0, 0);
        SetRecorderWindowFailForTest(0);
        SetMpegLibrariesForTest(1, 1);
        char tmpl[] = "/tmp/qd_engine_XXXXXX";
        folder = mkdtemp(tmpl);
        setenv("TMPDIR", folder.c_str(), 1);
        ResetNativeCallsForTest();
    }
    void TearDown() override {
        EngineShutdown();
        unsetenv("TMPDIR");
        for (const char* n : {"Sil32.$$$", "Sil44.$$$", "Sil48.$$$"}) unlink((folder + "/" + n).c_str());
        rmdir(folder.c_str());
    }
    bool Exists(const char* name) {
        struct stat st;
        return stat((folder + "/" + name).c_str(), &st) == 0;
    }
    int Start() { return EngineStartup(1, nullptr, nullptr); }
    // Position of the first (or last) logged call that begins with `call`; -1 when none.
    static bool Is(const std::string& c, const std::string& call) { return c.compare(0, call.size(), call) == 0; }
    static int First(const std::string& call) {
        const auto& calls = NativeCallsForTest();
        for (size_t i = 0; i < calls.size(); ++i)
            if (Is(calls[i], call)) return (int)i;
        return -1;
    }
    static int Last(const std::string& call) {
        const auto& calls = NativeCallsForTest();
        for (size_t i = calls.size(); i-- > 0;)
            if (Is(calls[i], call)) return (int)i;
        return -1;
    }
    static int Count(const std::string& call) {
        const auto& calls = NativeCallsForTest();
        return (int)std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return Is(c, call); });
    }
    static std::string Log() {
        std::string all;
        for (const std::string& c : NativeCallsForTest()) all += c + "\n";
        return all;
    }
    std::string folder;
};

TEST_F(Engine, SucceedsWithTheDeviceAndWritesTheSilenceFiles) {
    Deck().deckState = Playing;
    ASSERT_EQ(1, Start());
    EXPECT_EQ(0u, GetInitErrorNo());
    EXPECT_EQ(NoTrack, Deck().deckState) << "the deck is reset";
    EXPECT_TRUE(Exists("Sil32.$$$") && Exists("Sil44.$$$") && Exists("Sil48.$$$"));
}

TEST_F(Engine, EachFailingStepGivesItsNumber) {
    struct Case {
        const char* what;
        void (*arrange)();
        uint32_t error;
    };
    const Case cases[] = {
        {"no wave input",   [] { SetFakeWaveDevices(0, nullptr, 0); },             1 },
        {"no wave output",  [] { SetFakeWaveDevices(1, nullptr, 0); },             2 },
        {"mixer",           [] { SetMixerInitFailForTest(1); },                    4 },
        {"playlist",        [] { SetPlaylistInitFailForTest(1); },                 5 },
        {"mci window",      [] { SetPlaybackWindowsFailForTest(1, 0); },           6 },
        {"recorder window", [] { SetRecorderWindowFailForTest(1); },               7 },
        {"silence folder",  [] { setenv("TMPDIR", "/nonexistent/qd_engine", 1); }, 8 },
        {"silence open",    [] { SetPlaybackWindowsFailForTest(0, 1); },           11},
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

TEST_F(Engine, OtherWaveDevicesAreEnoughToStart) {
    const char* other[] = {"Some Other Card"};
    SetFakeWaveDevices(0, other, 1);
    SetFakeWaveDevices(1, other, 1);
    EXPECT_EQ(1, Start());
}

TEST_F(Engine, WithoutTheEncoderTheRecordFormatFallsBackToPcm) {
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
TEST_F(Engine, AFailedStartLeavesTheStoredSettingsAsTheyWere) {
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
TEST_F(Engine, EachStartupStepFindsWhatItNeedsInPlace) {
    ASSERT_EQ(Start(), 1);
    const struct {
        const char* before;
        const char* after;
        const char* why;
    } needs[] = {
        {"RegistryOpenKey SOFTWARE\\KELVARA", "BindLibrary tavenc.dll",
         "the record format read from the settings is checked against the encoder"                             },
        {"BindLibrary tavply.dll",            "CreatePlaybackWindows",  "the playback windows start the player"},
        {"CreatePlaybackWindows",             "OpenSilenceFile",        "the silence file opens in its window" },
    };
    for (const auto& n : needs) {
        ASSERT_GE(First(n.before), 0) << n.before << "\n" << Log();
        EXPECT_LT(First(n.before), First(n.after)) << n.why << "\n" << Log();
    }
    EngineShutdown();
}

TEST_F(Engine, ShutdownFreesNothingStillInUseAndUndoesTheStartup) {
    ASSERT_EQ(Start(), 1);
    ResetNativeCallsForTest();
    EngineShutdown();

    EXPECT_EQ(Count("silence file deleted while open"), 0) << "Windows refuses that: the files stay behind\n" << Log();
    EXPECT_FALSE(Exists("Sil32.$$$") || Exists("Sil44.$$$") || Exists("Sil48.$$$"));
    ASSERT_GE(First("DestroyPlaybackWindows"), 0) << Log();
    EXPECT_LT(Last("DestroyPlaybackWindows"), First("UnbindLibrary"))
        << "the player is stopped before its library goes";
    EXPECT_EQ(Count("UnbindLibrary"), 2) << "both libraries are freed";
    EXPECT_EQ(Count("UnregisterRecorderClass"), 1);
    EXPECT_GE(First("RegistryWrite RecordFormat"), 0) << "the settings are saved\n" << Log();
    EXPECT_FALSE(MixerReady());
}

// A start-up that stops half way is followed by the same shutdown (the window is destroyed):
// what the steps that ran made is taken down, and nothing that was never made is touched.
TEST_F(Engine, AFailedStartupIsTakenDownCleanly) {
    SetRecorderWindowFailForTest(1);
    ASSERT_EQ(Start(), 0);
    EXPECT_EQ(Count("OpenSilenceFile"), 0) << "the steps after the failure did not run";
    ResetNativeCallsForTest();
    EngineShutdown();
    EXPECT_EQ(Count("silence file deleted while open"), 0) << Log();
    EXPECT_EQ(Count("DestroyPlaybackWindows"), 1);
    EXPECT_EQ(Count("UnbindLibrary"), 2);
    EXPECT_FALSE(MixerReady());
}

// A recording still running when the deck closes is stopped, kept and listed before the list is
// saved: the next start finds it in the list.
TEST_F(Engine, ARecordingUnderWayAtShutdownIsInTheSavedList) {
    SetProgramFolderForTest((folder + "/").c_str());
    ASSERT_EQ(Start(), 1);
    // One second of silence on the disk, and the writer's count of it.
    const std::string take = folder + "/S-001.WAV", list = folder + "/NoName.$$$";
    WriteSilentWave(take, 1);
    ASSERT_EQ(SetRecordFormat(RecordFormat{RECORD_KIND_PCM, 1, 2, 44100, 16, 0}), 1);
    ASSERT_EQ(SetRecordTarget(take.c_str()), 1);
    SetByteCountersForTest(176400, 0);
    Deck().deckSide = DECK_SIDE_RECORDER;
    Deck().deckState = Recording;

    EngineShutdown();
    std::ifstream in(list, std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find("S-001.WAV"), std::string::npos) << saved;
    unlink(take.c_str());
    unlink(list.c_str());
    SetProgramFolderForTest(nullptr);
}

}  // namespace
