// A recording whose process is killed outright: the file left behind must play, in order, up
// to at most one second before the kill, with no repair. The recorder runs in a child process
// against the fake device in real time and is ended with SIGKILL.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
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
enum { KILL_AFTER_MS = 2350 };

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

// Records into path in a child and kills it mid-flight.
void RecordAndKill(const std::string& path, uint16_t kind) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) RecordForever(path, kind);
    const timespec wait = {KILL_AFTER_MS / 1000, (KILL_AFTER_MS % 1000) * 1000000L};
    nanosleep(&wait, nullptr);
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
    RecordAndKill(path, RECORD_KIND_PCM);

    WaveView v = ViewWave(path);
    ASSERT_TRUE(v.ok) << "the header describes the file";
    size_t onDisk = v.fileSize - 46;  // everything the recorder wrote before it died
    EXPECT_GE(onDisk, 17640u * 15) << "the child recorded for about two seconds";
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
    RecordAndKill(path, 3);
    std::string errors = Output("ffmpeg -v error -i '" + path + "' -f null -");
    EXPECT_EQ(errors, "") << "whole frames only";
    std::string seconds = Output("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + path + "'");
    EXPECT_GT(std::stod(seconds), KILL_AFTER_MS / 1000.0 - 1.2) << seconds;
    std::system(("rm -rf '" + folder + "'").c_str());
}
}  // namespace
