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

namespace {
double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// A 16-bit stereo 44.1 kHz WAVE of `seconds` of silence, every third file with a title chunk.
void MakeWave(const std::string& path, uint32_t seconds, bool titled) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::exit(1);
    uint32_t data = seconds * 44100 * 4;
    std::string head = "RIFF....WAVE";
    if (titled) head += std::string("DISP\x0a\0\0\0\x01\0\0\0Track\0", 18);
    head += std::string("fmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0", 24) + "data....";
    uint32_t riff = (uint32_t)head.size() - 8 + data;
    for (int i = 0; i < 4; ++i)
        head[4 + i] = (char)(riff >> (8 * i)), head[head.size() - 4 + i] = (char)(data >> (8 * i));
    std::fwrite(head.data(), 1, head.size(), f);
    std::vector<char> zeros(data, 0);
    std::fwrite(zeros.data(), 1, zeros.size(), f);
    std::fclose(f);
}
}  // namespace

int main(int argc, char** argv) {
    int entries = argc > 1 ? std::atoi(argv[1]) : PLAYLIST_MAX_ENTRIES;
    std::string folder = argc > 2 ? argv[2] : "/tmp/qd_playlist_bench";
    std::system(("mkdir -p " + folder).c_str());
    std::vector<std::string> paths;
    for (int i = 0; i < entries; ++i) {
        paths.push_back(folder + "/track" + std::to_string(i) + ".wav");
        MakeWave(paths.back(), 1 + i % 5, i % 3 == 0);
    }

    // Baseline: open each file and read its first 64 bytes.
    double t0 = Now();
    char head[64];
    for (const std::string& p : paths) {
        FILE* f = std::fopen(p.c_str(), "rb");
        if (f) std::fread(head, 1, sizeof head, f), std::fclose(f);
    }
    double baseline = Now() - t0;

    ResetPlaylistForTest();
    for (const std::string& p : paths) AddPath(p.c_str());
    SetFakeTickCount(1000);
    double slowest = 0, passStart = Now();
    int ticks = 0;
    while (!PlaylistProbeHeld() && ticks < 10 * entries) {
        AdvanceFakeTickCount(100);
        double s = Now();
        ProbeTick(Stopped);
        double d = Now() - s;
        if (d > slowest) slowest = d;
        ++ticks;
    }
    double pass = Now() - passStart;

    const int idleTicks = 100000;
    t0 = Now();
    for (int i = 0; i < idleTicks; ++i) AdvanceFakeTickCount(100), ProbeTick(Stopped);
    double idle = (Now() - t0) / idleTicks;

    std::printf("entries %d, ticks for a full pass %d, total %u ms of audio\n", entries, ticks, GetTotalMs());
    std::printf("full pass:             %8.2f ms\n", pass * 1e3);
    std::printf("ProbeTick, probing:    %8.1f us mean, %8.1f us slowest\n", pass / ticks * 1e6, slowest * 1e6);
    std::printf("ProbeTick, at rest:    %8.3f us\n", idle * 1e6);
    std::printf("open + 64-byte read:   %8.1f us per file (probe / baseline = %.1f)\n", baseline / entries * 1e6,
                (pass / ticks) / (baseline / entries));
    return 0;
}
