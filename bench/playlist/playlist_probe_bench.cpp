// Times the playlist's background probing over local files: one ProbeTick that probes an entry,
// one that finds nothing to do, and a whole pass over a full list, next to a plain open and
// header read of the same files in the same run (what any probe must at least cost).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/clock.h"
#include "deck/deck.h"
#include "playlist/playlist_model.h"
#include "settings/settings.h"
#include "support/bench_timer.h"
#include "support/bench_wave.h"

int main(int argc, char** argv) {
    int entries = argc > 1 ? std::atoi(argv[1]) : PLAYLIST_MAX_ENTRIES;
    std::string folder = argc > 2 ? argv[2] : "/tmp/qd_playlist_bench";
    std::system(("mkdir -p " + folder).c_str());
    std::vector<std::string> paths;
    for (int i = 0; i < entries; ++i) {
        paths.push_back(folder + "/track" + std::to_string(i) + ".wav");
        // Every third file has a title chunk.
        if (!bench::WriteSilentWave(paths.back(), 44100, 2, 1 + i % 5, i % 3 == 0 ? bench::TitleChunk("Track") : ""))
            return 1;
    }

    // Baseline: open each file and read its first 64 bytes.
    double t0 = bench::WallSeconds();
    char head[64];
    for (const std::string& p : paths) {
        FILE* f = std::fopen(p.c_str(), "rb");
        if (f) std::fread(head, 1, sizeof head, f), std::fclose(f);
    }
    double baseline = bench::WallSeconds() - t0;

    ResetPlaylistForTest();
    for (const std::string& p : paths) AddPath(p.c_str());
    SetFakeTickCount(1000);
    double slowest = 0, passStart = bench::WallSeconds();
    int ticks = 0;
    while (!PlaylistProbeHeld() && ticks < 10 * entries) {
        AdvanceFakeTickCount(100);
        double s = bench::WallSeconds();
        ProbeTick(Stopped);
        double d = bench::WallSeconds() - s;
        if (d > slowest) slowest = d;
        ++ticks;
    }
    double pass = bench::WallSeconds() - passStart;

    const int idleTicks = 100000;
    t0 = bench::WallSeconds();
    for (int i = 0; i < idleTicks; ++i) AdvanceFakeTickCount(100), ProbeTick(Stopped);
    double idle = (bench::WallSeconds() - t0) / idleTicks;

    std::printf("entries %d, ticks for a full pass %d, total %u ms of audio\n", entries, ticks, GetTotalMs());
    std::printf("full pass:             %8.2f ms\n", pass * 1e3);
    std::printf("ProbeTick, probing:    %8.1f us mean, %8.1f us slowest\n", pass / ticks * 1e6, slowest * 1e6);
    std::printf("ProbeTick, at rest:    %8.3f us\n", idle * 1e6);
    std::printf("open + 64-byte read:   %8.1f us per file (probe / baseline = %.1f)\n", baseline / entries * 1e6,
                (pass / ticks) / (baseline / entries));
    return 0;
}
