// Recording as a user does it, watched from outside: a 997 Hz tone goes into the device's input,
// Record, Play, three seconds, Stop; then the file in the record folder is checked the way a
// player would read it. Also a deck killed mid-recording with wineserver -k.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "e2e/rig.h"
#include "record/record_test_util.h"
#include "resources/resource.h"

namespace {
const int RATE = 44100;
const double TONE_HZ = 997.0;
const char DECK_CLASS[] = "Vornex_Deck_Controller";
const char SETTINGS_KEY[] = "HKCU\\SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\Settings";
const unsigned WM_COMMAND_MSG = 0x0111;
// The simulated device: IN1, digital input locked at 44100 Hz, and its channel status.
const char DEVICE_STATE[] =
    "hcd 0 ROOT0\nhub ROOT0 2 {hub}\\0000 USB Root Hub\n"
    "port ROOT0 2 vornex {media}\\0001 Kelvara Vornex USB\n"
    "reg 6 1\nreg 7 6\ninput 2 130 0 2\n";

std::vector<int16_t> Tone(int ms) {
    std::vector<int16_t> pcm;
    for (int i = 0; i < RATE * ms / 1000; ++i) {
        int16_t v = (int16_t)(12000 * std::sin(2 * M_PI * TONE_HZ * i / RATE));
        pcm.push_back(v);
        pcm.push_back(v);
    }
    return pcm;
}

// Frequency of the left channel from its rising zero crossings, with hysteresis so that codec
// noise near silence does not count, over the recording without its first and last half second;
// framesOut receives the whole length in frames.
double Frequency(const std::string& pcmBytes, double rate, size_t* framesOut) {
    const int16_t ARM_BELOW = -2000;
    size_t frames = pcmBytes.size() / 4;
    size_t edge = (size_t)(rate / 2);
    size_t first = 0, last = 0, crossings = 0;
    bool armed = false;
    for (size_t i = edge; i + edge < frames; ++i) {
        int16_t s = SampleAt(pcmBytes, 4 * i);
        if (s < ARM_BELOW) armed = true;
        if (armed && s >= 0) {
            if (!crossings) first = i;
            last = i;
            ++crossings;
            armed = false;
        }
    }
    *framesOut = frames;
    return crossings > 1 ? (crossings - 1) * rate / (double)(last - first) : 0.0;
}

std::string WinPath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

class RecordE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartRig(&rig));
        folder = rig.dir + "/rec";
        ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
        simFile = rig.dir + "/usb-host.txt";
        std::ofstream(simFile) << DEVICE_STATE;
    }
    void TearDown() override { StopRig(&rig); }

    void SetSetting(const std::string& name, const std::string& type, const std::string& data) {
        ASSERT_EQ(RunWine(rig, "reg", {"add", SETTINGS_KEY, "/v", name, "/t", type, "/d", data, "/f"}, 60000), 0)
            << name;
    }
    // The deck's settings for a plain recording in format into the rig's folder, without the
    // once-a-day notice and with auto recording off.
    void Configure(int format) {
        ASSERT_TRUE(CreateRegistryKey(rig, SETTINGS_KEY));
        SetSetting("RecFileName", "REG_SZ", WinPath(folder) + "\\S-");
        SetSetting("RecordFormat", "REG_DWORD", std::to_string(format));
        SetSetting("RecAutoRecording", "REG_DWORD", "0");
        SetSetting("Mp3Bitrate", "REG_DWORD", "128");
        std::time_t now = std::time(nullptr);
        std::tm local = *std::localtime(&now);
        SetSetting("LastYear", "REG_DWORD", std::to_string(local.tm_year + 1900));
        SetSetting("LastMonth", "REG_DWORD", std::to_string(local.tm_mon + 1));
        SetSetting("LastDay", "REG_DWORD", std::to_string(local.tm_mday));
    }
    pid_t Start() {
        pid_t deck = StartDeck(rig, {}, {"QD_USB_SIM=" + simFile});
        EXPECT_TRUE(WaitForVisibleWindow(rig, DECK_CLASS, "Quaverly Deck", 60000));
        return deck;
    }
    bool Command(int id) {
        int64_t result = 0;
        return SendWindowMessage(rig, DECK_CLASS, WM_COMMAND_MSG, (uint64_t)id, 0, &result);
    }
    // Record, Play, the given time, and Stop unless told not to.
    void RecordFor(int ms, bool stop = true) {
        ASSERT_TRUE(FeedPcm(rig, Tone(ms + 4000)));
        ASSERT_TRUE(Command(CMD_RECORD));
        ASSERT_TRUE(Command(CMD_PLAY));
        usleep((useconds_t)ms * 1000);
        if (stop) {
            ASSERT_TRUE(Command(CMD_STOP));
        }
    }
    void Close(pid_t deck) {
        ASSERT_TRUE(CloseWindow(rig, DECK_CLASS));
        int code = -1;
        EXPECT_TRUE(WaitExit(deck, 30000, &code));
    }
    Rig rig;
    std::string folder, simFile;
};

TEST_F(RecordE2E, WaveRecordingHoldsTheToneAndTheInputStatus) {
    Configure(0);
    pid_t deck = Start();
    RecordFor(3000);
    Close(deck);

    std::string path = folder + "/S-001.WAV";
    std::string b = ReadAll(path);
    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok) << "S-001.WAV is there and its sizes hold";
    EXPECT_EQ(v.riffSize + 8, v.fileSize) << "the status item sits inside the RIFF form";
    EXPECT_EQ(v.rate, 44100u);
    EXPECT_EQ(v.channels, 2);
    EXPECT_GE(v.dataSize, 176400u * 2) << "about three seconds";
    EXPECT_LE(v.dataSize, 176400u * 4);
    size_t frames = 0;
    EXPECT_NEAR(Frequency(v.audio, 44100, &frames), TONE_HZ, 3.0);
    size_t chst = b.find("CHST");
    ASSERT_NE(chst, std::string::npos) << "the input's channel status is stored";
    EXPECT_EQ(b.substr(chst + 8, 4), std::string("\x02\x82\x00\x02", 4));
}

TEST_F(RecordE2E, MpegRecordingsDecodeToTheTone) {
    const bool haveMpg123 = HaveTool("mpg123"), haveFfmpeg = HaveTool("ffmpeg");
    if (std::getenv("CI")) {
        ASSERT_TRUE(haveMpg123 && haveFfmpeg) << "setup.sh installs mpg123 and ffmpeg";
    } else if (!haveMpg123 || !haveFfmpeg) {
        GTEST_SKIP() << "mpg123 or ffmpeg missing";
    }
    const struct {
        int format;
        const char* file;
    } runs[] = {
        {3, "S-001.MP3"},
        {2, "S-002.MP2"}
    };
    for (const auto& run : runs) {
        Configure(run.format);
        pid_t deck = Start();
        RecordFor(3000);
        Close(deck);
        std::string recorded = folder + "/" + run.file;
        ASSERT_TRUE(PathExists(recorded)) << run.file;
        // The title trailer closes the file: its chunks, then their length and "MEXT". The
        // input's status is among them; the audio before it goes to the decoders alone.
        std::string b = ReadAll(recorded);
        ASSERT_GT(b.size(), 8u);
        ASSERT_EQ(b.substr(b.size() - 4), "MEXT") << run.file;
        size_t trailer = b.size() - 8 - Le32At(b, b.size() - 8);
        size_t chst = b.find("CHST", trailer);
        ASSERT_NE(chst, std::string::npos) << run.file;
        EXPECT_EQ(b.substr(chst + 8, 4), std::string("\x02\x82\x00\x02", 4)) << run.file;
        std::string path = rig.dir + "/audio-only" + std::string(run.file).substr(5);
        std::ofstream(path, std::ios::binary) << b.substr(0, trailer);
        std::string raw = rig.dir + "/decoded.raw";
        std::string errors = rig.dir + "/mpg123.err";
        EXPECT_EQ(std::system(("mpg123 -q -s '" + path + "' > '" + raw + "' 2> '" + errors + "'").c_str()), 0);
        EXPECT_EQ(ReadAll(errors), "") << run.file;
        size_t frames = 0;
        EXPECT_NEAR(Frequency(ReadAll(raw), 44100, &frames), TONE_HZ, 3.0) << run.file << " through mpg123";
        EXPECT_GE(frames, 44100u * 2) << run.file;
        std::string ff =
            "ffmpeg -v error -i '" + path + "' -f s16le -ac 2 -ar 44100 -y '" + raw + "' 2> '" + errors + "'";
        EXPECT_EQ(std::system(ff.c_str()), 0);
        EXPECT_EQ(ReadAll(errors), "") << run.file;
        EXPECT_NEAR(Frequency(ReadAll(raw), 44100, &frames), TONE_HZ, 3.0) << run.file << " through ffmpeg";
    }
}

TEST_F(RecordE2E, KillingWineMidRecordingLeavesAPlayableWave) {
    Configure(0);
    pid_t deck = Start();
    RecordFor(3000, false);
    std::string kill = "WINEPREFIX='" + rig.winePrefix + "' wineserver -k";
    ASSERT_EQ(std::system(kill.c_str()), 0);
    int code = -1;
    WaitExit(deck, 20000, &code);
    WaveView v = ViewWave(folder + "/S-001.WAV");
    ASSERT_TRUE(v.ok);
    EXPECT_GE(v.dataSize, 176400u * 3 / 2) << "at most a second lost of three";
    EXPECT_EQ(v.riffSize, v.dataSize + 38);
    size_t frames = 0;
    EXPECT_NEAR(Frequency(v.audio, 44100, &frames), TONE_HZ, 3.0);
}
}  // namespace
