// The orders the engine's start-up and shutdown depend on, seen through the platform stand-ins'
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

class EngineOrder : public ::testing::Test {
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
        char tmpl[] = "/tmp/qd_order_XXXXXX";
        folder = mkdtemp(tmpl);
        setenv("TMPDIR", folder.c_str(), 1);
        ResetNativeCallsForTest();
    }
    void TearDown() override {
        for (const char* n : {"Sil32.$$$", "Sil44.$$$", "Sil48.$$$"}) unlink((folder + "/" + n).c_str());
        rmdir(folder.c_str());
        unsetenv("TMPDIR");
    }

    // Position of the first (or last) logged call that begins with `call`; -1 when none.
    static int First(const std::string& call) {
        const auto& calls = NativeCallsForTest();
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].compare(0, call.size(), call) == 0) return (int)i;
        return -1;
    }
    static int Last(const std::string& call) {
        const auto& calls = NativeCallsForTest();
        for (size_t i = calls.size(); i-- > 0;)
            if (calls[i].compare(0, call.size(), call) == 0) return (int)i;
        return -1;
    }
    static int Count(const std::string& call) {
        const auto& calls = NativeCallsForTest();
        return (int)std::count_if(calls.begin(), calls.end(),
                                  [&](const std::string& c) { return c.compare(0, call.size(), call) == 0; });
    }
    static std::string Log() {
        std::string all;
        for (const std::string& c : NativeCallsForTest()) all += c + "\n";
        return all;
    }
    bool Exists(const char* name) {
        struct stat st;
        return stat((folder + "/" + name).c_str(), &st) == 0;
    }
    std::string folder;
};

TEST_F(EngineOrder, EachStartupStepFindsWhatItNeedsInPlace) {
    ASSERT_EQ(EngineStartup(1, nullptr, nullptr), 1);
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

TEST_F(EngineOrder, ShutdownFreesNothingStillInUseAndUndoesTheStartup) {
    ASSERT_EQ(EngineStartup(1, nullptr, nullptr), 1);
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
TEST_F(EngineOrder, AFailedStartupIsTakenDownCleanly) {
    SetRecorderWindowFailForTest(1);
    ASSERT_EQ(EngineStartup(1, nullptr, nullptr), 0);
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
TEST_F(EngineOrder, ARecordingUnderWayAtShutdownIsInTheSavedList) {
    SetProgramFolderForTest((folder + "/").c_str());
    ASSERT_EQ(EngineStartup(1, nullptr, nullptr), 1);
    // One second of silence on the disk, and the writer's count of it.
    const std::string take = folder + "/S-001.WAV", list = folder + "/NoName.$$$";
    std::string wave = "RIFF";
    auto le = [&wave](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) wave += (char)(v >> (8 * i));
    };
    le(36 + 176400, 4);
    wave += "WAVEfmt ";
    le(16, 4), le(1, 2), le(2, 2), le(44100, 4), le(176400, 4), le(4, 2), le(16, 2);
    wave += "data";
    le(176400, 4);
    wave.resize(wave.size() + 176400, '\0');
    std::ofstream(take, std::ios::binary) << wave;
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
