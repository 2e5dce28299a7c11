// Runs the capture step as the recorder window's timer would, 100 steps per second of audio, and
// reports the CPU time per step and per second of audio for a WAVE and an MP3 recording side by
// side. The device is the native fake, so this measures the deck's own work: level measurement,
// the ring, the writer and the encoder, and the file system.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "deck/deck.h"
#include "hardware/wave_devices.h"
#include "playback/mpeg_libraries.h"
#include "record/capture.h"
#include "record/record_writer.h"
#include "record/wave_in.h"
#include "settings/settings.h"
#include "support/bench_timer.h"

namespace {
const char* const DEVICES[] = {"Kelvara Vornex USB"};

struct Result {
    double cpuPerStepUs;
    double coreShare;  // CPU seconds per second of audio
    unsigned lost;
};

Result Record(const std::string& path, uint16_t kind, int seconds) {
    ResetCaptureForTest();
    ResetRecordWriterForTest();
    ResetFakeWaveIn();
    ResetDeckState();
    SetFakeWaveInSignal(FAKE_WAVE_IN_COUNTER, 0, 0);
    RecordFormat f{kind, 1, 2, 48000, 16, kind ? 128u : 0u};
    if (!SetRecordFormat(f) || !SetRecordTarget(path.c_str()) || !PrepareCapture(1)) {
        std::fprintf(stderr, "cannot start recording %s\n", path.c_str());
        std::exit(1);
    }
    Deck().deckSide = DECK_SIDE_RECORDER;
    Deck().deckState = RecStandby;
    StartPlay();
    int steps = seconds * 100;
    double start = bench::CpuSeconds();
    for (int i = 0; i < steps; ++i) {
        AdvanceFakeWaveIn(10);
        CaptureStep();
    }
    double used = bench::CpuSeconds() - start;
    Result r{used / steps * 1e6, used / seconds, GetLostBufferCount()};
    StopCapture(1);
    CloseRecordFile(1);
    return r;
}
}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    std::string folder = argc > 2 ? argv[2] : "/tmp";
    ResetSettingsForTest();
    Settings().recAutoRecording = 0;
    LoadMpegLibraries();
    SetFakeWaveDevices(0, DEVICES, 1);
    const struct {
        const char* name;
        uint16_t kind;
        const char* file;
    } runs[] = {
        {"WAVE 48 kHz",     RECORD_KIND_PCM, "/capture_bench.wav"},
        {"MP3 48 kHz 128k", 3,               "/capture_bench.mp3"}
    };
    std::printf("%-18s %14s %16s %6s  (%d s of audio)\n", "format", "cpu/step (us)", "core share (%)", "lost", seconds);
    for (const auto& run : runs) {
        std::string path = folder + run.file;
        Result r = Record(path, run.kind, seconds);
        std::printf("%-18s %14.1f %16.3f %6u\n", run.name, r.cpuPerStepUs, 100.0 * r.coreShare, r.lost);
        std::remove(path.c_str());
    }
    return 0;
}
