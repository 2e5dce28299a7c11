// Playback control against a stand-in MPEG player (its entry points put in place of the
// library's) and the native MCI windows' script: which engine gets a file, what each operation
// sends, the status table, the device write before playing and the track-space window's file.
#include "playback/playback_control.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/system_info.h"
#include "hardware/device.h"
#include "hardware/usb_sim.h"
#include "hardware/wave_devices.h"
#include "media/media_probe.h"
#include "playback/mci_windows.h"
#include "playback/mci_windows_native.h"
#include "playback/mpeg_libraries.h"

namespace {
// The stand-in player: accepts files ending ".mp3", logs every call.
struct FakePlayer {
    std::vector<std::string> calls;
    std::string deviceName;
    int32_t status = 2;
    uint32_t position = 0;
    uint16_t levels[2] = {0, 0};
};
FakePlayer g_player;
int32_t Log(const std::string& call) {
    g_player.calls.push_back(call);
    return 0;
}
int32_t TAV_CALL FakeInit() { return Log("init"); }
int32_t TAV_CALL FakeTerm() { return 0; }
int32_t TAV_CALL FakeOpen(const char* path, const char* device) {
    std::string p(path);
    Log("open " + p);
    g_player.deviceName = device;
    return p.size() > 4 && p.compare(p.size() - 4, 4, ".mp3") == 0 ? 0 : TAVPLY_ERR_FORMAT;
}
int32_t TAV_CALL FakeClose() { return Log("close"); }
int32_t TAV_CALL FakeStart() { return Log("start"); }
int32_t TAV_CALL FakeStop() { return Log("stop"); }
int32_t TAV_CALL FakeSetPosition(uint32_t ms) { return Log("position " + std::to_string(ms)); }
int32_t TAV_CALL FakeGetPosition(uint32_t* ms) { return *ms = g_player.position, 0; }
int32_t TAV_CALL FakeGetLevel(uint16_t* levels) {
    levels[0] = g_player.levels[0];
    levels[1] = g_player.levels[1];
    return 0;
}
int32_t TAV_CALL FakeGetStatus(int32_t* status) { return *status = g_player.status, 0; }

// In the order of the library's names; the CheckInfo slot is empty, so the probe recognises MPEG
// files by their frame sync here.
template <typename F>
void* Entry(F* f) {
    return reinterpret_cast<void*>(f);
}
// clang-format off
void* const FAKE_PLAYER[PLAYER_NAME_COUNT] = {
    nullptr, Entry(FakeInit), Entry(FakeTerm), nullptr, Entry(FakeOpen), Entry(FakeClose), nullptr, Entry(FakeStart),
    Entry(FakeStop), nullptr, Entry(FakeSetPosition), Entry(FakeGetPosition), Entry(FakeGetLevel), Entry(FakeGetStatus),
    nullptr};
// clang-format on

int ProbeRecognises(const char* path) {
    int kind = PLAY_NONE;
    return GetPlayKind(path, &kind) && kind != PLAY_NONE;
}

const char* const VORNEX_OUT[] = {"PulseAudio", "Kelvara Vornex USB"};
const char* const OTHER_OUT[] = {"PulseAudio"};

class PlaybackTest : public ::testing::Test {
protected:
    std::string dir, wav, mp3, text, simFile;

    void SetUp() override {
        char name[] = "/tmp/qd_playback_XXXXXX";
        ASSERT_TRUE(mkdtemp(name));
        dir = name;
        wav = dir + "/tone.wav";
        mp3 = dir + "/song.mp3";
        text = dir + "/notes.txt";
        WriteWave(wav);
        std::ofstream(mp3, std::ios::binary) << std::string("\xFF\xFB\x90\x64", 4) << std::string(4000, '\0');
        std::ofstream(text) << "not a sound file at all\n";
        simFile = dir + "/usb.txt";
        std::ofstream(simFile) << "hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n"
                                  "port ROOT0 1 vornex {media}\\0007 Kelvara Vornex USB\n";
        UsbSimResetForTest();
        UsbSimSetStateFile(simFile.c_str());
        ResetDeviceForTest();
        LoadDeviceManager();

        g_player = FakePlayer{};
        SetPlayerFunctionsForTest(FAKE_PLAYER);
        ResetMciWindowsForTest();
        ResetPlaybackForTest();
        SetTrackProbeHook(ProbeRecognises);
        SetFakeWaveDevices(1, VORNEX_OUT, 2);
        SetFakeSystem(0x409, 2, 10, 0, 19045);
        ASSERT_EQ(CreatePlaybackWindows(nullptr, nullptr), 1);
    }
    void TearDown() override {
        CloseTrack();
        DestroyPlaybackWindows();
        SetPlayerFunctionsForTest(nullptr);
        SetTrackProbeHook(nullptr);
        FreeDeviceManager();
        for (const std::string& f : {wav, mp3, text, simFile}) std::remove(f.c_str());
        rmdir(dir.c_str());
    }
    static void WriteWave(const std::string& path) {
        const unsigned char header[44] = {
            'R', 'I', 'F',  'F',  36 + 8, 0, 0,    0,    'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16,  0,   0, 0, 1, 0,
            2,   0,   0x44, 0xAC, 0,      0, 0x10, 0xB1, 2,   0,   4,   0,   16,  0,   'd', 'a', 't', 'a', 8, 0, 0, 0};
        std::ofstream f(path, std::ios::binary);
        f.write((const char*)header, sizeof header);
        f << std::string(8, '\0');
    }
    std::vector<std::string> Mci() { return MciCalls(); }
    int MciSaw(const std::string& call) {
        for (const std::string& c : MciCalls())
            if (c == call) return 1;
        return 0;
    }
};

// --- which engine gets a file ----------------------------------------------------------------

TEST_F(PlaybackTest, ThePlayerIsAskedFirstAndTheMediaWindowTakesTheRest) {
    ASSERT_EQ(OpenTrack(mp3.c_str()), 1);
    EXPECT_EQ(GetTrackEngine(), ENGINE_PLAYER);
    EXPECT_TRUE(Mci().empty());
    EXPECT_EQ(g_player.deviceName, "Kelvara Vornex USB");
    char path[PLAYBACK_PATH_BYTES];
    GetTrackPath(path);
    EXPECT_EQ(std::string(path), mp3);
    ASSERT_EQ(CloseTrack(), 1);
    EXPECT_EQ(GetTrackEngine(), ENGINE_NONE);

    // A WAVE file is offered to the player too; only its refusal sends it to the window.
    ASSERT_EQ(OpenTrack(wav.c_str()), 1);
    EXPECT_EQ(g_player.calls.back(), "open " + wav);
    EXPECT_EQ(GetTrackEngine(), ENGINE_MCI);
    EXPECT_TRUE(MciSaw("0 open " + wav));
    ASSERT_EQ(CloseTrack(), 1);
    EXPECT_TRUE(MciSaw("0 close"));
}

TEST_F(PlaybackTest, WithoutThePlayerMpegFilesGoToTheMediaWindowIfItTakesThem) {
    DestroyPlaybackWindows();
    SetPlayerFunctionsForTest(nullptr);
    ASSERT_EQ(CreatePlaybackWindows(nullptr, nullptr), 1);
    ASSERT_EQ(PlayerReady(), 0);
    ASSERT_EQ(OpenTrack(mp3.c_str()), 1);
    EXPECT_EQ(GetTrackEngine(), ENGINE_MCI);
    ASSERT_EQ(CloseTrack(), 1);
    MciScript(MCI_PLAYBACK_WINDOW).openResult = 277;  // no MCI device for it either
    EXPECT_EQ(OpenTrack(mp3.c_str()), 0);
    EXPECT_EQ(GetTrackEngine(), ENGINE_NONE);
    EXPECT_EQ(CloseTrack(), 0);
}

TEST_F(PlaybackTest, DeviceNameFollowsTheSystemAndTheWaveOutDevices) {
    const struct {
        uint32_t platform, major, minor, build;
        const char* const* devices;
        int count;
        const char* name;
    } cases[] = {
        {2, 5, 1,  2600, VORNEX_OUT, 2, "Kelvara Vornex Pro"},
        {2, 6, 1,  7601, VORNEX_OUT, 2, "Kelvara Vornex USB"},
        {1, 4, 10, 2222, VORNEX_OUT, 2, "Kelvara Vornex USB"},
        {2, 5, 1,  2600, OTHER_OUT,  1, ""                  },
    };
    for (const auto& c : cases) {
        SetFakeSystem(0x409, c.platform, c.major, c.minor, c.build);
        SetFakeWaveDevices(1, c.devices, c.count);
        ASSERT_EQ(OpenTrack(mp3.c_str()), 1);
        EXPECT_EQ(g_player.deviceName, c.name) << c.platform << "." << c.major << " " << c.count;
        CloseTrack();
    }
}

TEST_F(PlaybackTest, OpenRefusesWhatCannotPlay) {
    EXPECT_EQ(OpenTrack(""), 0);
    EXPECT_EQ(OpenTrack((dir + "/missing.wav").c_str()), 0);
    EXPECT_EQ(OpenTrack(text.c_str()), 0);
    SetFakeWaveDevices(1, nullptr, 0);
    EXPECT_EQ(OpenTrack(wav.c_str()), 0);  // no wave-out device at all
    SetFakeWaveDevices(1, VORNEX_OUT, 2);
    EXPECT_TRUE(g_player.calls.size() == 1 && g_player.calls[0] == "init");
    EXPECT_TRUE(Mci().empty());

    ASSERT_EQ(OpenTrack(wav.c_str()), 1);
    EXPECT_EQ(OpenTrack(mp3.c_str()), 0);  // one track at a time
    char path[PLAYBACK_PATH_BYTES];
    GetTrackPath(path);
    EXPECT_EQ(std::string(path), wav);
    CloseTrack();

    // A path of 259 characters is the longest the track's buffer holds; one more is refused.
    const std::string sub = dir + "/" + std::string(200, 's');
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    for (size_t length : {PLAYBACK_PATH_BYTES - 1u, PLAYBACK_PATH_BYTES + 0u}) {
        std::string deep = sub + "/" + std::string(length - sub.size() - 5, 'n') + ".wav";
        ASSERT_EQ(deep.size(), length);
        std::ifstream in(wav, std::ios::binary);
        std::ofstream(deep, std::ios::binary) << in.rdbuf();
        EXPECT_EQ(OpenTrack(deep.c_str()), length < PLAYBACK_PATH_BYTES ? 1 : 0) << length;
        CloseTrack();
        std::remove(deep.c_str());
    }
    rmdir(sub.c_str());
}

// --- what each operation sends ---------------------------------------------------------------

TEST_F(PlaybackTest, SeekEndIsTheLargestPositionForThePlayer) {
    ASSERT_EQ(OpenTrack(mp3.c_str()), 1);
    SeekTrack(TRACK_END);
    SeekTrack(TRACK_START);
    SeekTrack(1500);
    const std::vector<std::string> tail(g_player.calls.end() - 3, g_player.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"position 2147483647", "position 0", "position 1500"}));
    CloseTrack();

    // The media window takes -1 and -2 itself.
    ASSERT_EQ(OpenTrack(wav.c_str()), 1);
    SeekTrack(TRACK_END);
    SeekTrack(TRACK_START);
    EXPECT_TRUE(MciSaw("0 seek -2"));
    EXPECT_TRUE(MciSaw("0 seek -1"));
}

TEST_F(PlaybackTest, StatusTableForBothEngines) {
    EXPECT_EQ(GetTrackStatus(), TRACK_STATUS_UNKNOWN);  // nothing open
    ASSERT_EQ(OpenTrack(wav.c_str()), 1);
    // The media window's modes run from 524 (not ready) to 530 (open); anything past them is unknown.
    const int shown[] = {TRACK_NOT_READY, TRACK_STOPPED, TRACK_PLAYING, TRACK_RECORDING,
                         TRACK_SEEKING,   TRACK_PAUSED,  TRACK_OPEN,    TRACK_STATUS_UNKNOWN};
    for (int i = 0; i < 8; ++i) {
        MciScript(MCI_PLAYBACK_WINDOW).mode = 524 + i;
        EXPECT_EQ(GetTrackStatus(), shown[i]) << 524 + i;
    }
    MciScript(MCI_PLAYBACK_WINDOW).position = 1234;
    uint32_t pos = 0;
    GetTrackPosition(&pos);
    EXPECT_EQ(pos, 1234u);
    CloseTrack();

    ASSERT_EQ(OpenTrack(mp3.c_str()), 1);
    const int playerShown[] = {TRACK_NOT_READY, TRACK_PLAYING, TRACK_STOPPED, TRACK_PAUSED, 0};  // statuses 0 to 4
    for (int i = 0; i < 5; ++i) {
        g_player.status = i;
        EXPECT_EQ(GetTrackStatus(), playerShown[i]) << i;
    }
    g_player.position = 98765;
    g_player.levels[0] = 1000;
    g_player.levels[1] = 2000;
    GetTrackPosition(&pos);
    EXPECT_EQ(pos, 98765u);
    int32_t l = 0, r = 0;
    EXPECT_EQ(GetTrackLevels(&l, &r), 1);
    EXPECT_EQ(l, 1000);
    EXPECT_EQ(r, 2000);
}

// --- a title write's hold on the track ---------------------------------------------------------

TEST_F(PlaybackTest, ATitleWriteClosesAStoppedTrackAndRefusesABusyOne) {
    HeldTrack held;
    EXPECT_EQ(HoldTrackForWrite(&held), 1);  // nothing open: nothing to let go
    EXPECT_STREQ(held.path, "");

    ASSERT_EQ(OpenTrack(wav.c_str()), 1);
    for (int mode : {524, 526, 527, 528, 529, 530}) {  // not ready, playing, recording, seeking, paused, open
        MciScript(MCI_PLAYBACK_WINDOW).mode = mode;
        EXPECT_EQ(HoldTrackForWrite(&held), 0) << mode;
        EXPECT_EQ(GetTrackEngine(), ENGINE_MCI) << mode;  // still open
    }
    MciScript(MCI_PLAYBACK_WINDOW).mode = 525;
    ASSERT_EQ(HoldTrackForWrite(&held), 1);
    EXPECT_EQ(GetTrackEngine(), ENGINE_NONE);
    EXPECT_EQ(held.path, wav);
    ResumeHeldTrack(&held);
    char path[PLAYBACK_PATH_BYTES];
    GetTrackPath(path);
    EXPECT_EQ(path, wav);
    EXPECT_EQ(GetTrackEngine(), ENGINE_MCI);
}

TEST_F(PlaybackTest, PlayWritesTheTracksChannelStatusBeforeStarting) {
    const uint8_t status[4] = {4, 130, 0, 2};
    SetTrackChannelStatus(status);
    ASSERT_EQ(OpenTrack(mp3.c_str()), 1);
    ASSERT_EQ(PlayTrack(), 1);
    EXPECT_EQ(g_player.calls.back(), "start");
    SimModel model;
    ASSERT_TRUE(LoadSimFile(simFile.c_str(), &model));
    EXPECT_EQ(std::vector<uint8_t>(model.output, model.output + 4), std::vector<uint8_t>(status, status + 4));
    EXPECT_EQ(StopTrack(), 1);
    EXPECT_EQ(g_player.calls.back(), "stop");
    CloseTrack();

    // The Edit sheet's preview plays without writing the status: the device keeps what it has.
    const uint8_t other[4] = {0, 2, 0, 0};
    SetTrackChannelStatus(other);
    ASSERT_EQ(OpenTrack(mp3.c_str()), 1);
    ASSERT_EQ(PlayPreview(), 1);
    EXPECT_EQ(g_player.calls.back(), "start");
    ASSERT_TRUE(LoadSimFile(simFile.c_str(), &model));
    EXPECT_EQ(std::vector<uint8_t>(model.output, model.output + 4), std::vector<uint8_t>(status, status + 4));
    CloseTrack();

    // Without the device the track still plays.
    FreeDeviceManager();
    ASSERT_EQ(OpenTrack(wav.c_str()), 1);
    EXPECT_EQ(PlayTrack(), 1);
    EXPECT_EQ(GetTrackStatus(), TRACK_PLAYING);
    MciScript(MCI_PLAYBACK_WINDOW).playResult = 263;
    EXPECT_EQ(PlayTrack(), 0);
}

TEST_F(PlaybackTest, TheTrackSpaceWindowKeepsOneSilenceFileAndPlaysItFromTheStart) {
    ASSERT_EQ(OpenSilence("Sil44.$$$"), 1);
    ASSERT_EQ(PlaySilence("Sil44.$$$"), 1);
    ASSERT_EQ(PlaySilence("Sil48.$$$"), 1);
    ASSERT_EQ(PlaySilence("Sil48.$$$"), 1);
    const std::vector<std::string> expected = {
        "1 open Sil44.$$$", "1 seek -1", "1 play",    "1 close", "1 open Sil48.$$$",
        "1 seek -1",        "1 play",    "1 seek -1", "1 play",
    };
    EXPECT_EQ(Mci(), expected);
    CloseSilence();
    CloseSilence();
    EXPECT_EQ(Mci().back(), "1 close");
    EXPECT_EQ(Mci().size(), expected.size() + 1);
}
}  // namespace
