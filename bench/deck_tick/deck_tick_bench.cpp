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

namespace {
double CpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// Microseconds of CPU per tick over `ticks` ticks.
double RunTicks(int ticks) {
    double start = CpuSeconds();
    for (int i = 0; i < ticks; ++i) {
        AdvanceFakeTickCount(100);
        int32_t shown = 0;
        DeckTick(&shown);
    }
    return (CpuSeconds() - start) * 1e6 / ticks;
}

void WriteSilentWave(const std::string& path, int seconds) {
    uint32_t data = 44100u * 4 * seconds;
    std::string h = "RIFF";
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) h.push_back((char)(v >> (8 * i)));
    };
    put(36 + data, 4);
    h += "WAVEfmt ";
    put(16, 4), put(1, 2), put(2, 2), put(44100, 4), put(176400, 4), put(4, 2), put(16, 2);
    h += "data";
    put(data, 4);
    std::ofstream f(path, std::ios::binary);
    f << h << std::string(data, '\0');
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
    WriteSilentWave(wav, 2);
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
