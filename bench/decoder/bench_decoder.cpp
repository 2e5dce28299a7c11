// Decoder benchmark: tavdec against mpg123 on the same layer II and layer III files, decoding
// only (tavdec -t, mpg123 -t) and decoding to a WAVE file, with the best of several runs and
// the peak resident memory of each process. Prints speed as multiples of real time and the
// ratio ours/mpg123 (above 1 means we are faster).
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "support/bench_timer.h"

namespace {

struct Measure {
    double seconds = 1e9;  // best wall time
    double cpu = 1e9;      // user + system of that run
    long maxRssKb = 0;     // largest peak over the runs
};

bool Shell(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }

Measure Time(const std::vector<std::string>& argv, int reps) {
    Measure m;
    for (int r = 0; r < reps; ++r) {
        std::fflush(stdout);
        double t0 = bench::WallSeconds();
        pid_t pid = fork();
        if (pid == 0) {
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            freopen("/dev/null", "w", stdout);
            freopen("/dev/null", "w", stderr);
            execvp(args[0], args.data());
            _exit(127);
        }
        int status = 0;
        struct rusage ru;
        wait4(pid, &status, 0, &ru);
        double wall = bench::WallSeconds() - t0;
        double cpu = bench::UsageSeconds(ru);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "failed: %s\n", argv[0].c_str());
            return m;
        }
        if (cpu < m.cpu) {
            m.cpu = cpu;
            m.seconds = wall;
        }
        if (ru.ru_maxrss > m.maxRssKb) m.maxRssKb = ru.ru_maxrss;
    }
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 120;
    int reps = argc > 2 ? std::atoi(argv[2]) : 5;
    std::string dir = std::string(QD_BINARY_DIR) + "/bench-decoder";
    std::string tavdec = std::string(QD_BINARY_DIR) + "/bin/tavdec";
    Shell("mkdir -p " + dir);
    std::string wav = dir + "/src.wav";
    std::string synth = "sox -n -b 16 -r 44100 -c 2 " + wav + " synth " + std::to_string(seconds) +
                        " sine 80-8000 sine 220-3000 vol 0.4 tremolo 3 40 >/dev/null 2>&1";
    if (!Shell(synth)) {
        std::fprintf(stderr, "sox missing\n");
        return 1;
    }
    struct File {
        const char* label;
        std::string path;
        std::string encode;
    } files[] = {
        {"layer III 192k", dir + "/l3.mp3",  "lame --quiet -b 192 " + wav + " " + dir + "/l3.mp3"   },
        {"layer III VBR",  dir + "/l3v.mp3", "lame --quiet -V 2 " + wav + " " + dir + "/l3v.mp3"    },
        {"layer II 256k",  dir + "/l2.mp2",  "twolame --quiet -b 256 " + wav + " " + dir + "/l2.mp2"},
    };
    std::printf("%d s of audio, best CPU time of %d runs\n", seconds, reps);
    std::printf("%-16s %-12s %12s %12s %8s %10s %10s\n", "file", "mode", "tavdec xRT", "mpg123 xRT", "ratio",
                "tavdec MB", "mpg123 MB");
    for (File& f : files) {
        if (!Shell(f.encode + " >/dev/null 2>&1")) {
            std::fprintf(stderr, "cannot encode %s\n", f.label);
            continue;
        }
        std::string outWav = dir + "/out.wav";
        struct Mode {
            const char* name;
            std::vector<std::string> ours, theirs;
        } modes[] = {
            {"decode only", {tavdec, "-t", f.path},   {"mpg123", "-q", "-t", f.path}        },
            {"to WAVE",     {tavdec, f.path, outWav}, {"mpg123", "-q", "-w", outWav, f.path}},
        };
        for (Mode& m : modes) {
            Measure a = Time(m.ours, reps);
            Measure b = Time(m.theirs, reps);
            std::printf("%-16s %-12s %12.0f %12.0f %8.2f %10.1f %10.1f\n", f.label, m.name, seconds / a.cpu,
                        seconds / b.cpu, b.cpu / a.cpu, a.maxRssKb / 1024.0, b.maxRssKb / 1024.0);
        }
    }
    Shell("rm -rf " + dir);
    return 0;
}
