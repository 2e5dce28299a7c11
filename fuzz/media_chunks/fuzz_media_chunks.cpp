// Fuzzes the RIFF chunk reader behind GetTitleField: every field, every source.
#include <cstdint>
#include <cstring>
#include "media/riff_chunks.h"
#include "media/title_readers.h"
#include "media/titles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader r = MemoryReader(data, size);
    char out[TITLE_FIELD_MAX_BYTES];
    for (int field = FIELD_TITLE; field <= FIELD_COMMENT; field++) {
        out[0] = 0;
        if (ReadFieldFrom(&r, field, SOURCE_ID3_FIRST, out) &&
            strnlen(out, sizeof out) > size_t(TitleFieldMaxLength(field)))
            __builtin_trap();
    }
    ReadFieldFrom(&r, FIELD_CHANNEL_STATUS, SOURCE_TRAILER, out);
    RiffChunk riff, chunk;
    if (FindRiffForm(&r, "WAVE", &riff)) {
        uint64_t cursor = 0;
        while (FindNextChunk(&r, &riff, "LIST", &cursor, &chunk)) {}
    }
    return 0;
}
