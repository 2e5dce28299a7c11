// A recording whose process is killed outright: the file left behind must play, in order, up
// to at most one second before the kill, with no repair. The recorder runs in a child process
// against the fake device in real time and is ended with SIGKILL.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <time.h>

#include <cstdio>
#include <string>

#include "base/clock.h"
#include "deck/deck.h"
#include "hardware/wave_devices.h"
#include "playback/mpeg_libraries.h"
#include "record/capture.h"
#include "record/record_writer.h"
#include "record/wave_in.h"
#include "record_test_util.h"
#include "settings/settings.h"

namespace {
const char* const DEVICES[] = {"PulseAudio", "Kelvara Vornex USB"};
enum : size_t {
    WAVE_BYTES_BEFORE_KILL = 2 * 176400 + 17640 * 3 / 2,  // two seconds and a half-written buffer
    MP3_BYTES_BEFORE_KILL = 2 * 16000 + 300,              // about two seconds at 128 kbit/s
};

size_t FileSize(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (size_t)st.st_size : 0;
}

// The child: records until it is killed, one capture step every 10 ms of real time.
[[noreturn]] void RecordForever(const std::string& path, uint16_t kind) {
    ResetSettingsForTest();
    Settings().recAutoRecording = 0;
    LoadMpegLibraries();
    SetFakeWaveDevices(0, DEVICES, 2);
    SetFakeWaveInSignal(FAKE_WAVE_IN_COUNTER, 0, 0);
    RecordFormat f{kind, 1, 2, 44100, 16, kind ? 128u : 0u};
    if (!SetRecordFormat(f) || !SetRecordTarget(path.c_str()) || !PrepareCapture(1)) _exit(2);
    Deck().deckSide = DECK_SIDE_RECORDER;
    Deck().deckState = RecStandby;
    StartPlay();
    const timespec tick = {0, 10 * 1000 * 1000};
    for (;;) {
        nanosleep(&tick, nullptr);
        AdvanceFakeWaveIn(10);
        CaptureStep();
    }
}

std::string Output(const std::string& command) {
    std::string out;
    if (std::FILE* p = popen((command + " 2>&1").c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

void RequireTool(const char* tool) {
    if (HaveTool(tool)) return;
    if (std::getenv("CI")) FAIL() << tool << " is missing (scripts/setup.sh installs it)";
    GTEST_SKIP() << tool << " is not installed";
}

// Records into path in a child and kills it once the file has grown past bytes (however busy
// the machine is), in the middle of a second.
void RecordAndKill(const std::string& path, uint16_t kind, size_t bytes) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) RecordForever(path, kind);
    const timespec poll = {0, 5 * 1000 * 1000};
    for (int i = 0; i < 6000 && FileSize(path) < bytes; ++i) nanosleep(&poll, nullptr);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the recorder ended by itself with " << WEXITSTATUS(status);
}

TEST(RecordCrash, KilledWaveRecordingPlaysToWithinASecond) {
    RequireTool("sox");
    RequireTool("ffprobe");
    std::string folder = ScratchFolder("crash");
    std::string path = folder + "/S-001.WAV";
    RecordAndKill(path, RECORD_KIND_PCM, WAVE_BYTES_BEFORE_KILL);

    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok) << "the header describes the file";
    size_t onDisk = v.fileSize - 46;  // everything the recorder wrote before it died
    EXPECT_GE(onDisk, (size_t)WAVE_BYTES_BEFORE_KILL) << "the child recorded for two seconds";
    EXPECT_GE(v.dataSize + 176400u, onDisk) << "the header is at most a second behind";
    EXPECT_EQ(v.riffSize, v.dataSize + 38);
    EXPECT_EQ(CounterFramesInOrder(v.audio), v.dataSize / 4u);

    std::string soxSamples = Output("sox --i -s '" + path + "'");
    EXPECT_EQ(std::stoul(soxSamples), v.dataSize / 4u) << soxSamples;
    std::string probe =
        Output("ffprobe -v error -show_entries stream=codec_name,sample_rate -of csv=p=0 '" + path + "'");
    EXPECT_EQ(probe, "pcm_s16le,44100\n");
    std::system(("rm -rf '" + folder + "'").c_str());
}

TEST(RecordCrash, KilledMp3RecordingDecodesCleanly) {
    RequireTool("ffmpeg");
    std::string folder = ScratchFolder("crash");
    std::string path = folder + "/S-001.MP3";
    RecordAndKill(path, 3, MP3_BYTES_BEFORE_KILL);
    std::string raw = folder + "/decoded.raw";
    std::string errors = Output("ffmpeg -v error -i '" + path + "' -f s16le -y '" + raw + "'");
    EXPECT_EQ(errors, "") << "whole frames only";
    double seconds = FileSize(raw) / 176400.0;
    EXPECT_GT(seconds, FileSize(path) * 8 / 128000.0 - 0.2) << "every frame on the disk decodes";
    EXPECT_GT(seconds, 1.8);
    std::system(("rm -rf '" + folder + "'").c_str());
}
}  // namespace
