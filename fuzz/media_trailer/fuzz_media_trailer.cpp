// Fuzzes the title-trailer reader: the footer, the chunk walk, pad bytes and list entry.
#include <cstdint>
#include "media/title_readers.h"
#include "media/titles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader r = MemoryReader(data, size);
    FoundValue v;
    for (int field = 0; field < TITLE_FIELD_COUNT; field++) {
        if (field == FIELD_COPYRIGHT) continue;
        if (ReadTrailerValue(&r, field, TitleFieldMaxLength(field), &v) &&
            v.length > uint32_t(TitleFieldMaxLength(field)))
            __builtin_trap();
    }
    uint64_t start, footer;
    for (int beforeTag = 0; beforeTag < 2; beforeTag++)
        if (LocateTrailer(&r, beforeTag, &start, &footer) && (start > footer || footer > size)) __builtin_trap();
    return 0;
}
