// The native stand-ins' call log.
#include "base/native_calls.h"

namespace {
enum { MAX_CALLS_KEPT = 100000 };  // a long test run must not grow without end

struct NativeCallLog {
    std::vector<std::string> calls;
};
NativeCallLog g_log;
}  // namespace

void NoteNativeCall(const std::string& call) {
    if (g_log.calls.size() < MAX_CALLS_KEPT) g_log.calls.push_back(call);
}

const std::vector<std::string>& NativeCallsForTest() { return g_log.calls; }
void ResetNativeCallsForTest() { g_log = NativeCallLog(); }
