// The benchmarks' one timer: wall-clock seconds on the steady clock, the CPU seconds this
// process has used, and the CPU seconds of its children that have been waited for (a command run
// with system() or fork/wait). Each is a reading: a span is the difference of two.
#pragma once
#include <sys/resource.h>
#include <time.h>

#include <chrono>

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

}  // namespace bench
