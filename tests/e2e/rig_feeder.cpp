// Real-time feeder for a pipe source of the rig: writes 44100 Hz s16le stereo into the FIFO at
// the pace of the clock, silence by default and the contents of queued *.raw files (in name
// order, each deleted once written) when there are any. While QUEUE_DIR holds a file named
// "unplugged" it writes nothing at all, as a device whose digital input lost its cable delivers
// no samples; the clock runs on, so sound resumes in real time when the file is gone.
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
    int fd = open(argv[1], O_WRONLY);
    if (fd < 0) {
        std::perror("open fifo");
        return 1;
    }
    std::string queue = argv[2];
    std::vector<char> pending;  // queued PCM not yet written
    size_t pendingAt = 0;
    auto start = std::chrono::steady_clock::now();
    long long written = 0;
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
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(STEP_MS));
    }
}
