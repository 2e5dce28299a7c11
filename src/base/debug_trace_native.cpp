// Debug trace kept in memory for tests.
#include "base/debug_trace.h"
#include "base/bounded_copy.h"

namespace {
struct TraceState {
    char last[300];
};
TraceState g_trace;
}  // namespace

void TraceLine(const char* text) { CopyBoundedString(g_trace.last, sizeof g_trace.last, text); }
const char* LastTracedLine() { return g_trace.last; }
