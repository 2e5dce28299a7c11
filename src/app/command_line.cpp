// Command-line rules shared by the hand-off and the files opened at start.
#include "app/command_line.h"
#include <cctype>
#include <cstring>

namespace {
const char DOCKING_SWITCH[] = "/DOCKING";
const char OWN_PROGRAM[] = "MOVELLO.EXE";

int EqualsNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::toupper((unsigned char)*a) != std::toupper((unsigned char)*b)) return 0;
    return *a == 0 && *b == 0;
}

int ContainsNoCase(const char* text, const char* upperNeedle) {
    size_t n = std::strlen(upperNeedle);
    for (; *text; ++text) {
        size_t i = 0;
        while (i < n && text[i] && std::toupper((unsigned char)text[i]) == upperNeedle[i]) ++i;
        if (i == n) return 1;
    }
    return 0;
}
}  // namespace

int IsDockingSwitch(const char* arg) { return arg && arg[0] == '/' && EqualsNoCase(arg, DOCKING_SWITCH); }

int IsSkippedArgument(const char* arg) {
    if (!arg || arg[0] == '/') return 1;
    return ContainsNoCase(arg, OWN_PROGRAM);
}

int FindDockingSwitch(int argc, char** argv) {
    int found = 0;
    for (int i = 0; i < argc; ++i)
        if (IsDockingSwitch(argv[i])) found = 1;
    return found;
}

int CountFileArguments(int argc, char** argv) {
    int n = 0;
    for (int i = 0; i < argc; ++i)
        if (!IsSkippedArgument(argv[i])) ++n;
    return n;
}

const char* FileArgumentAt(int argc, char** argv, int index) {
    for (int i = 0; i < argc; ++i) {
        if (IsSkippedArgument(argv[i])) continue;
        if (index-- == 0) return argv[i];
    }
    return nullptr;
}

unsigned long HandOffTag(int index) { return index == 0 ? 1 : 0; }
