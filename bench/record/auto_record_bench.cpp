// What auto recording's decision costs the capture step, which runs every 10 ms: the same record
// standby is stepped with auto recording off and on, side by side, on a silent input (the decision
// counts and resets every step without starting anything) and on sound in one channel only.
// auto_record_bench [seconds of audio per run]
#include <time.h>

#include <cstdio>
#include <cstdlib>

#include "deck/deck.h"
#include "hardware/wave_devices.h"
#include "record/auto_record.h"
#include "record/capture.h"
#include "record/record_writer.h"
#include "record/wave_in.h"
#include "settings/settings.h"
#include "support/bench_timer.h"

namespace {
const char* const DEVICES[] = {"Kelvara Vornex USB"};

// CPU microseconds per capture step of a standby waiting for sound.
double StandbyStepUs(uint32_t autoMode, int16_t left, int16_t right, int seconds) {
    ResetCaptureForTest();
    ResetRecordWriterForTest();
    ResetFakeWaveIn();
    ResetDeckState();
    Settings().recAutoRecording = autoMode;
    SetFakeWaveInSignal(FAKE_WAVE_IN_CONSTANT, left, right);
    RecordFormat f{RECORD_KIND_PCM, 1, 2, 48000, 16, 0};
    if (!SetRecordFormat(f) || !SetRecordTarget("/tmp/auto_record_bench.wav") || !PrepareCapture(1)) {
        std::fprintf(stderr, "cannot arm the recorder\n");
        std::exit(1);
    }
    // Standby with auto recording is armed; Play then waits for sound. Without it the standby
    // already waits and is left so.
    if (autoMode != AUTO_RECORD_OFF) StartWriting();
    int steps = seconds * 100;
    double start = bench::CpuSeconds();
    for (int i = 0; i < steps; ++i) {
        AdvanceFakeWaveIn(10);
        CaptureStep();
    }
    double used = bench::CpuSeconds() - start;
    if (GetCaptureMode() != CAPTURE_WAITING) std::fprintf(stderr, "the recorder started: the run is void\n");
    StopCapture(1);
    CloseRecordFile(1);
    return used / steps * 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    ResetSettingsForTest();
    SetFakeWaveDevices(0, DEVICES, 1);
    const struct {
        const char* name;
        int16_t left, right;
    } inputs[] = {
        {"silence",          0,    0},
        {"one channel loud", 8000, 0},
    };
    std::printf("%-18s %16s %16s %14s  (%d s of audio per run)\n", "input", "auto off (us)", "auto on (us)",
                "decision (ns)", seconds);
    for (const auto& in : inputs) {
        double off = StandbyStepUs(AUTO_RECORD_OFF, in.left, in.right, seconds);
        double on = StandbyStepUs(AUTO_RECORD_START_AND_END, in.left, in.right, seconds);
        std::printf("%-18s %16.3f %16.3f %14.1f\n", in.name, off, on, (on - off) * 1000.0);
    }
    return 0;
}
