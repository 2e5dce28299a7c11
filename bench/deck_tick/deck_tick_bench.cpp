// CPU time of one deck tick: the real tick, deck, playback control and playlist of the native
// build (the media window and the device are the native stand-ins), with the clock run forward
// 100 ms per tick. Measured idle (nothing cued) and while a track plays, side by side.
//   deck_tick_bench [ticks]
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/clock.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "hardware/wave_devices.h"
#include "playback/mci_windows.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"
#include "support/bench_timer.h"
#include "support/bench_wave.h"

namespace {
// Microseconds of CPU per tick over `ticks` ticks.
double RunTicks(int ticks) {
    double start = bench::CpuSeconds();
    for (int i = 0; i < ticks; ++i) {
        AdvanceFakeTickCount(100);
        int32_t shown = 0;
        DeckTick(&shown);
    }
    return (bench::CpuSeconds() - start) * 1e6 / ticks;
}

}  // namespace

int main(int argc, char** argv) {
    int ticks = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (ticks <= 0) ticks = 100000;
    const char* const out[] = {"Kelvara Vornex USB"};
    SetFakeWaveDevices(1, out, 1);
    CreatePlaybackWindows(nullptr, nullptr);
    ResetDeckState();

    double idle = RunTicks(ticks);

    std::string wav = "/tmp/deck_tick_bench.wav";
    bench::WriteSilentWave(wav, 44100, 2, 2);
    if (!OpenAsNewList(wav.c_str()) || !StartPlay() || Deck().deckState != Playing) {
        std::fprintf(stderr, "deck_tick_bench: the track did not start\n");
        return 1;
    }
    double playing = RunTicks(ticks);
    std::remove(wav.c_str());

    std::printf("deck tick, %d ticks each\n", ticks);
    std::printf("  idle (nothing cued): %8.3f us per tick\n", idle);
    std::printf("  playing a WAVE file: %8.3f us per tick  (%.1f x idle)\n", playing, playing / idle);
    std::printf("  the timer allows 100000 us per tick: playing uses %.5f %% of it\n", playing / 1000.0);
    std::printf("  (ticks run %u, short-pathed %u, state %d)\n", (unsigned)DeckTickState().tickCount,
                (unsigned)DeckTickState().skippedTicks, (int)Deck().deckState);
    return 0;
}
