// Debug trace through OutputDebugString.
#include "base/debug_trace.h"
#include <windows.h>

#include <cstdio>

void TraceLine(const char* text) {
    char line[300];
    std::snprintf(line, sizeof line, "Quaverly Deck: %s\n", text ? text : "");
    OutputDebugStringA(line);
}

const char* LastTracedLine() { return ""; }
