// Real-time feeder for a pipe source of the rig: writes 44100 Hz s16le stereo into the FIFO at
// the pace of the clock, silence by default and the contents of queued *.raw files (in name
// order, each deleted once written) when there are any. While QUEUE_DIR holds a file named
// "unplugged" it writes nothing at all, as a device whose digital input lost its cable delivers
// no samples; the clock runs on, so sound resumes in real time when the file is gone.
// On SIGUSR1 it prints one line to stdout: "written FRAMES at MS", the frames it has put into the
// FIFO so far and the milliseconds since it started, so a benchmark can compare what the source
// was given over a span with what the deck recorded from it.
//   qd_rig_feeder FIFO QUEUE_DIR   (QUEUE_DIR may be empty: silence only)
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {
const int BYTES_PER_SECOND = 44100 * 4;
const int STEP_MS = 10;
const int BYTES_PER_FRAME = 4;

volatile sig_atomic_t g_report = 0;
void AskReport(int) { g_report = 1; }

std::string NextQueued(const std::string& dir) {
    if (dir.empty()) return "";
    DIR* d = opendir(dir.c_str());
    if (!d) return "";
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".raw") == 0) names.push_back(n);
    }
    closedir(d);
    if (names.empty()) return "";
    std::sort(names.begin(), names.end());
    return dir + "/" + names.front();
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: qd_rig_feeder FIFO QUEUE_DIR\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    struct sigaction report = {};
    report.sa_handler = AskReport;
    report.sa_flags = SA_RESTART;  // a write blocked on a full FIFO carries on
    sigaction(SIGUSR1, &report, nullptr);
    int fd = open(argv[1], O_WRONLY);
    if (fd < 0) {
        std::perror("open fifo");
        return 1;
    }
    std::string queue = argv[2];
    std::vector<char> pending;  // queued PCM not yet written
    size_t pendingAt = 0;
    auto start = std::chrono::steady_clock::now();
    long long written = 0;  // bytes the clock has accounted for, written or skipped while unplugged
    long long sent = 0;     // bytes actually written into the FIFO
    std::vector<char> zeros(BYTES_PER_SECOND / 10, 0);
    for (;;) {
        auto now = std::chrono::steady_clock::now();
        long long due =
            std::chrono::duration_cast<std::chrono::microseconds>(now - start).count() * BYTES_PER_SECOND / 1000000;
        due &= ~3LL;  // whole frames
        if (!queue.empty() && access((queue + "/unplugged").c_str(), F_OK) == 0) written = due;
        while (written < due) {
            if (pendingAt >= pending.size()) {
                pending.clear();
                pendingAt = 0;
                std::string next = NextQueued(queue);
                if (!next.empty()) {
                    std::ifstream in(next, std::ios::binary);
                    pending.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
                    pending.resize(pending.size() & ~size_t(3));
                    unlink(next.c_str());
                }
            }
            size_t want = (size_t)std::min<long long>(due - written, (long long)zeros.size());
            const char* src = zeros.data();
            if (pendingAt < pending.size()) {
                want = std::min(want, pending.size() - pendingAt);
                src = pending.data() + pendingAt;
            }
            ssize_t n = write(fd, src, want);
            if (n <= 0) return 0;  // the source went away
            if (src != zeros.data()) pendingAt += (size_t)n;
            written += n;
            sent += n;
        }
        if (g_report) {
            g_report = 0;
            long long ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            std::printf("written %lld at %lld\n", sent / BYTES_PER_FRAME, ms);
            std::fflush(stdout);
        }
        // The pace of the input's clock, not a wait for anything: what is due is computed from
        // the time that really passed, so a late wake-up only writes more at once.
        std::this_thread::sleep_for(std::chrono::milliseconds(STEP_MS));
    }
}
