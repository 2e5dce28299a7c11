// The benchmarks' one timer: wall-clock seconds on the steady clock, the CPU seconds this
// process has used, those of its children that have been waited for (a command run with
// system() or fork/wait), and those of any other process (from /proc, for a program under Wine).
// Each is a reading: a span is the difference of two. bench/support/cpu_share.sh is the same
// for the benchmark scripts.
#pragma once
#include <sys/resource.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace bench {

inline double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

inline double CpuSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

// User plus system time in a rusage record.
inline double UsageSeconds(const rusage& r) {
    return (double)r.ru_utime.tv_sec + (double)r.ru_utime.tv_usec / 1e6 + (double)r.ru_stime.tv_sec +
           (double)r.ru_stime.tv_usec / 1e6;
}

inline double ChildCpuSeconds() {
    rusage r;
    getrusage(RUSAGE_CHILDREN, &r);
    return UsageSeconds(r);
}

// User plus system seconds another process has used so far; 0 when it has gone.
inline double ProcessCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');  // the name may hold blanks and parentheses: count after it
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14) utime = std::stoull(f);
        if (i == 15) stime = std::stoull(f);
    }
    return (double)(utime + stime) / (double)sysconf(_SC_CLK_TCK);
}

}  // namespace bench
