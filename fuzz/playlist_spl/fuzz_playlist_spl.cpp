// Fuzzes the ".spl" reader: line reading with its text-mode line ends and buffer limit, the
// field splitting, and the relative form rebuilt from the fields.
#include <cstdint>
#include <cstring>
#include <string>

#include "playlist/playlist_spl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader r = MemoryReader(data, size);
    SplLineReader lines;
    StartSplLines(&lines, &r);
    char line[SPL_LINE_BUFFER_BYTES], first[SPL_FIELD_BYTES], second[SPL_FIELD_BYTES], folder[SPL_FIELD_BYTES];
    while (NextSplLine(&lines, line) > 0) {
        int kind = ParseSplLine(line, first, second);
        if (kind == SPL_LINE_STOP) break;
        if (kind != SPL_LINE_ENTRY) continue;
        FolderOfPath(first, folder);
        std::string relative = RelativeEntryForm(second, folder);
        if (relative.size() > 2 * SPL_FIELD_BYTES) __builtin_trap();
    }
    return 0;
}
