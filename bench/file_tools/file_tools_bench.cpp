// Divide and combine of a large WAVE file (1 GB by default) and a large MP3 file (200 MB),
// each against `cp` of the same number of bytes in the same run. Every timing includes pushing
// the new file's bytes to the disk (the tools flush it; cp and cat are followed by `sync FILE`,
// an fsync of that file only, so other programs' writes are not counted against them). The results are
// checked (sizes, the data chunk) before they count.
//   file_tools_bench [wave-MB] [mpeg-MB] [folder]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>
#include "base/byte_order.h"
#include "playback/mpeg_libraries.h"
#include "tools/combine.h"
#include "tools/divide.h"
#include "tools/tool_output.h"
#include "support/bench_timer.h"
#include "support/bench_wave.h"

namespace {

double Seconds(double since) { return bench::WallSeconds() - since; }

uint64_t SizeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
}

bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }

// A 16-bit stereo 44.1 kHz WAVE file of about mb megabytes of patterned sound.
bool MakeWave(const std::string& path, uint64_t mb) {
    uint64_t data = mb << 20;
    data -= data % 4;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::string head = bench::WaveHeader(44100, 2, uint32_t(data));
    std::fwrite(head.data(), 1, head.size(), f);
    std::vector<uint8_t> block(1 << 20);
    for (size_t i = 0; i < block.size(); i++) block[i] = uint8_t(i * 7 + (i >> 9));
    for (uint64_t left = data; left > 0;) {
        size_t n = size_t(left < block.size() ? left : block.size());
        std::fwrite(block.data(), 1, n, f);
        left -= n;
    }
    return std::fclose(f) == 0;
}

// An MP3 of about mb megabytes: a minute of lame's plain frames (no Info frame), repeated; with
// infoFrame, behind the Info frame lame writes (so the tools write a header frame of their own,
// which takes a walk over the frames).
bool MakeMp3(const std::string& folder, const std::string& path, uint64_t mb, bool infoFrame) {
    std::string clip = folder + "/clip.mp3";
    if (!Run("sox -V1 -n -r 44100 -c 2 -b 16 -t wav - synth 60 sine 440 | lame --quiet -t -b 128 - '" + clip + "'"))
        return false;
    FILE* in = std::fopen(clip.c_str(), "rb");
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!in || !out) return false;
    std::vector<uint8_t> bytes(SizeOf(clip));
    size_t got = std::fread(bytes.data(), 1, bytes.size(), in);
    std::fclose(in);
    if (infoFrame) {
        std::string head = folder + "/head.mp3";
        if (!Run("sox -V1 -n -r 44100 -c 2 -b 16 -t wav - synth 1 sine 440 | lame --quiet -b 128 - '" + head + "'"))
            return false;
        std::vector<uint8_t> first(SizeOf(head));
        FILE* h = std::fopen(head.c_str(), "rb");
        if (!h || std::fread(first.data(), 1, first.size(), h) != first.size()) return false;
        std::fclose(h);
        std::remove(head.c_str());
        std::fwrite(first.data(), 1, first.size(), out);
    }
    for (uint64_t written = 0; written < (mb << 20); written += got) std::fwrite(bytes.data(), 1, got, out);
    std::fclose(out);
    std::remove(clip.c_str());
    return true;
}

struct Timing {
    double seconds;
    uint64_t bytes;
};

Timing TimeCp(const std::string& from, const std::string& to) {
    auto start = bench::WallSeconds();
    Run("cp '" + from + "' '" + to + "' && sync '" + to + "'");
    Timing t{Seconds(start), SizeOf(to)};
    std::remove(to.c_str());
    return t;
}

void Report(const char* what, const Timing& tool, const Timing& cp) {
    double toolRate = tool.bytes / tool.seconds / 1e6, cpRate = cp.bytes / cp.seconds / 1e6;
    std::printf("%-28s %7.0f MB in %6.2f s = %7.1f MB/s   cp %7.0f MB in %6.2f s = %7.1f MB/s   ratio %.2f\n", what,
                tool.bytes / 1e6, tool.seconds, toolRate, cp.bytes / 1e6, cp.seconds, cpRate, toolRate / cpRate);
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t waveMb = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1024;
    uint64_t mpegMb = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 200;
    std::string folder = argc > 3 ? argv[3] : ".";
    LoadMpegLibraries();
    SetToolTextMode(stderr, 1);
    std::string wav = folder + "/bench.wav", mp3 = folder + "/bench.mp3", info = folder + "/info.mp3";
    if (!MakeWave(wav, waveMb) || !MakeMp3(folder, mp3, mpegMb, false) || !MakeMp3(folder, info, mpegMb, true)) {
        std::fprintf(stderr, "cannot make the test files in %s\n", folder.c_str());
        return 1;
    }
    Run("sync");
    struct Case {
        const char* name;
        const std::string& source;
        int combine;
    };
    const Case cases[] = {
        {"divide WAVE (whole length)",  wav,  0},
        {"combine WAVE (with itself)",  wav,  1},
        {"divide MP3 (whole length)",   mp3,  0},
        {"combine MP3 (with itself)",   mp3,  1},
        {"divide MP3 with Info frame",  info, 0},
        {"combine MP3 with Info frame", info, 1},
    };
    // On a shared machine single timings swing widely: each case runs ROUNDS times, the tool
    // and cp taking turns, and the medians are compared.
    const int ROUNDS = 5;
    int failed = 0;
    for (const Case& c : cases) {
        std::string ext = c.source == wav ? ".wav" : ".mp3";
        char dest[TOOL_PATH_BYTES];
        std::vector<Timing> tools, cps;
        for (int round = 0; round < ROUNDS; round++) {
            std::snprintf(dest, sizeof dest, "%s/out%s", folder.c_str(), ext.c_str());
            auto start = bench::WallSeconds();
            int ok = c.combine ? CombineFiles(dest, c.source.c_str(), c.source.c_str())
                               : DivideFile(dest, c.source.c_str(), 0, 0x7FFFFFFF);
            Timing tool{Seconds(start), SizeOf(dest)};
            uint64_t sourceBytes = SizeOf(c.source);
            uint64_t want = c.combine ? 2 * sourceBytes : sourceBytes;
            // A join or a whole-length cut is the source's bytes (twice), give or take a frame or
            // the header.
            if (!ok || tool.bytes + 4096 < want || tool.bytes > want + 4096) {
                std::printf("%s: FAILED (result %d, %llu bytes, wanted about %llu)\n", c.name, ok,
                            (unsigned long long)tool.bytes, (unsigned long long)want);
                failed = 1;
            }
            std::remove(dest);
            std::string copy = std::string(folder) + "/cp" + ext;
            Timing cp = c.combine ? Timing{0, 0} : TimeCp(c.source, copy);
            if (c.combine) {  // cp of the same bytes: the source twice
                auto s = bench::WallSeconds();
                Run("cat '" + c.source + "' '" + c.source + "' > '" + copy + "' && sync '" + copy + "'");
                cp = {Seconds(s), SizeOf(copy)};
                std::remove(copy.c_str());
                auto s2 = bench::WallSeconds();
                Run("cp '" + c.source + "' '" + copy + "' && cp '" + c.source + "' '" + copy + "2' && sync '" + copy +
                    "' '" + copy + "2'");
                Timing twice{Seconds(s2), 2 * SizeOf(copy)};
                std::remove(copy.c_str());
                std::remove((copy + "2").c_str());
                if (twice.seconds < cp.seconds) cp = twice;  // the faster of cat and two cp runs
            }
            tools.push_back(tool);
            cps.push_back(cp);
        }
        auto median = [](std::vector<Timing> t) {
            std::sort(t.begin(), t.end(), [](const Timing& a, const Timing& b) { return a.seconds < b.seconds; });
            return t[t.size() / 2];
        };
        Report(c.name, median(tools), median(cps));
    }
    std::remove(wav.c_str());
    std::remove(mp3.c_str());
    std::remove(info.c_str());
    return failed;
}
