// Debug trace seam: one line of text for whoever watches the program's debug output (a debugger,
// a debug-output viewer, Wine's "debugstr" channel). The deck writes its status line here each
// time it changes, so a session can be followed without looking at the face.
#pragma once

void TraceLine(const char* text);

// Native build only: the last line traced ("" before the first).
const char* LastTracedLine();
