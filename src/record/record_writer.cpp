// Record writer stand-in: holds the target path and format so the deck can prepare and drop
// record files; nothing is written to disk yet.
#include "record/record_writer.h"

#include <cstring>

namespace {
struct WriterModule {
    char path[RECORD_PATH_BYTES];  // target file; empty = no target
    uint32_t kind;                 // 0 PCM, 1..3 MPEG layer
    int formatSet;                 // SetRecordFormat was called
};
WriterModule g_writer;
}  // namespace

int SetRecordFormat(uint32_t kindAndMode, uint32_t channels, uint32_t rate, uint32_t bits, uint32_t unused,
                    uint32_t bitrateKbps) {
    g_writer.kind = kindAndMode & 0xFFFF;
    g_writer.formatSet = 1;
    return 1;
}

int SetRecordTarget(const char* path) {
    if (g_writer.path[0] || !path || !path[0] || g_writer.kind > 4) return 0;
    if (std::strlen(path) >= sizeof g_writer.path) return 0;
    std::strcpy(g_writer.path, path);
    return 1;
}

int GetRecordTarget(char* pathOut) {
    std::strcpy(pathOut, g_writer.path);
    return 1;
}

int OpenRecordFile() { return g_writer.path[0] ? 1 : 0; }
int CloseDataChunk() { return 1; }

int CloseRecordFile(int release) {
    if (!g_writer.path[0]) return 0;
    g_writer.path[0] = 0;
    return 1;
}

void ResetRecordWriterForTest() { g_writer = WriterModule{}; }
