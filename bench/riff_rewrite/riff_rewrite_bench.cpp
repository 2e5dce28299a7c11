// Title rewrites of WAVE files, checked and timed.
//   1. Correctness over tail lengths around every buffer boundary of the writers (the 4 KB
//      header block, the old 16 and 32 KB move buffers, the 1 MB copy block of the fallback
//      copy and the in-place limit): the title in front of the audio grows, shrinks into its old space and goes,
//      and every result is compared byte for byte with the file it must be.
//   2. Growing the title of a large file (the audio moves: a copy beside the file, swapped in)
//      against `cp` of the same file in the same run, both followed by `sync`; then a title
//      that fits its old space (in place, independent of the file's size). Each result is
//      checked before it counts.
//   riff_rewrite_bench [size-in-MB] [folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "media/media_file.h"
#include "media/titles.h"
#include "support/bench_timer.h"
#include "support/bench_wave.h"

namespace {

typedef std::vector<uint8_t> Bytes;

double Seconds(double since) { return bench::WallSeconds() - since; }

uint8_t PatternByte(uint64_t i) { return uint8_t(i * 7 + (i >> 9)); }

Bytes DispChunk(const std::string& title) {
    uint32_t n = uint32_t(title.size() + 1);
    Bytes c(12 + n + (n & 1), 0);
    std::memcpy(c.data(), "DISP", 4);
    PutLe32(c.data() + 4, n + 4);
    PutLe32(c.data() + 8, 1);
    std::memcpy(c.data() + 12, title.data(), title.size());
    return c;
}

// Header, the title chunk, "fmt ", then a data chunk whose bytes follow the pattern. The
// whole file after the title chunk is `tail` bytes.
Bytes WaveHead(const Bytes& title, uint64_t tail) {
    std::string h = bench::WaveHeader(44100, 2, uint32_t(tail - 32), std::string(title.begin(), title.end()));
    return Bytes(h.begin(), h.end());
}

bool WriteWave(const std::string& path, const Bytes& title, uint64_t tail) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    Bytes head = WaveHead(title, tail);
    bool ok = std::fwrite(head.data(), 1, head.size(), f) == head.size();
    Bytes block(1 << 20);
    for (uint64_t done = 0; ok && done < tail - 32;) {
        size_t n = size_t(std::min<uint64_t>(block.size(), tail - 32 - done));
        for (size_t i = 0; i < n; i++) block[i] = PatternByte(done + i);
        ok = std::fwrite(block.data(), 1, n, f) == n;
        done += n;
    }
    return std::fclose(f) == 0 && ok;
}

// 1 when the file is exactly the wave WriteWave would make with this title.
bool IsWave(const std::string& path, const Bytes& title, uint64_t tail) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    Bytes want = WaveHead(title, tail), got(want.size());
    bool ok = std::fread(got.data(), 1, got.size(), f) == got.size() && got == want;
    Bytes block(1 << 20);
    for (uint64_t done = 0; ok && done < tail - 32;) {
        size_t n = size_t(std::min<uint64_t>(block.size(), tail - 32 - done));
        ok = std::fread(block.data(), 1, n, f) == n;
        for (size_t i = 0; ok && i < n; i++) ok = block[i] == PatternByte(done + i);
        done += n;
    }
    ok = ok && std::fgetc(f) == EOF;
    std::fclose(f);
    return ok;
}

// Titles as the writer leaves them: a shorter one keeps the old chunk's size, zero-filled.
Bytes FittedDisp(const std::string& title, const std::string& old) {
    Bytes c = DispChunk(old);
    std::memset(c.data() + 12, 0, c.size() - 12);
    std::memcpy(c.data() + 12, title.data(), title.size());
    return c;
}

int CheckBoundaries(const std::string& folder) {
    const uint64_t BOUNDARIES[] = {4096, 16384, 32768, 49152, 1 << 20, 2 << 20};
    const std::string wav = folder + "/riff_rewrite_check.wav";
    const std::string small = "Kiwi", grown(255, 'g');
    int cases = 0, failures = 0;
    for (uint64_t b : BOUNDARIES)
        for (int d = -3; d <= 3; d++) {
            uint64_t tail = b + d;
            struct Step {
                std::string value;
                Bytes expect;
            };
            const Step steps[] = {
                {grown,    DispChunk(grown)}, // grows: the tail moves on
                {small,    FittedDisp(small, grown)}, // fits the old space
                {"Mango!",        FittedDisp("Mango!",                 grown)}, // still fits
                {"",  Bytes() }, // goes: the tail moves back
                {small,DispChunk(small)              }, // comes back at the end
            };
            if (!WriteWave(wav, DispChunk(small), tail)) return 1;
            for (const Step& s : steps) {
                cases++;
                int ok = SetTitleField(wav.c_str(), FIELD_TITLE, s.value.c_str(), 0);
                // After the removal the title is appended behind the audio, not in front.
                bool same = &s == &steps[4] ? ok == 1 : ok == 1 && IsWave(wav, s.expect, tail);
                if (!same) {
                    failures++;
                    std::fprintf(stderr, "tail %llu: setting \"%.8s\" gave a wrong file\n", (unsigned long long)tail,
                                 s.value.c_str());
                }
            }
        }
    std::remove(wav.c_str());
    std::printf("boundary_cases=%d failures=%d\n", cases, failures);
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t megabytes = argc > 1 ? uint32_t(std::atoi(argv[1])) : 500;
    std::string folder = argc > 2 ? argv[2] : "/tmp";
    if (CheckBoundaries(folder)) return 1;

    std::string wav = folder + "/riff_rewrite_bench.wav", copy = folder + "/riff_rewrite_bench.copy.wav";
    uint64_t tail = uint64_t(megabytes) << 20;
    std::string title = "Kiwi";
    if (!WriteWave(wav, DispChunk(title), tail)) {
        std::fprintf(stderr, "cannot write %s\n", wav.c_str());
        return 1;
    }
    std::system(("cat '" + wav + "' > /dev/null").c_str());  // both start from a warm cache
    const int rounds = 3;
    double cpTotal = 0, rewriteTotal = 0, fitTotal = 0;
    for (int i = 0; i < rounds; i++) {
        auto t0 = bench::WallSeconds();
        if (std::system(("cp '" + wav + "' '" + copy + "' && sync '" + copy + "'").c_str()) != 0) return 1;
        cpTotal += Seconds(t0);
        std::remove(copy.c_str());

        std::string grown = title + "abcdefghijklmnop";
        t0 = bench::WallSeconds();
        if (!SetTitleField(wav.c_str(), FIELD_TITLE, grown.c_str(), 0)) return 1;
        std::system(("sync '" + wav + "'").c_str());
        rewriteTotal += Seconds(t0);
        if (!IsWave(wav, DispChunk(grown), tail)) {
            std::fprintf(stderr, "round %d: the grown title left a wrong file\n", i);
            return 1;
        }
        t0 = bench::WallSeconds();
        if (!SetTitleField(wav.c_str(), FIELD_TITLE, title.c_str(), 0)) return 1;
        fitTotal += Seconds(t0);
        if (!IsWave(wav, FittedDisp(title, grown), tail)) {
            std::fprintf(stderr, "round %d: the fitted title left a wrong file\n", i);
            return 1;
        }
        title = grown;
    }
    std::printf("file_mb=%u rounds=%d cp_s=%.3f grow_s=%.3f speed_grow_vs_cp=%.2f fit_ms=%.3f\n", megabytes, rounds,
                cpTotal / rounds, rewriteTotal / rounds, cpTotal / rewriteTotal, fitTotal / rounds * 1000);
    std::remove(wav.c_str());
    return 0;
}
