// Fuzzes the ID3v1 field reader.
#include <cstdint>
#include <cstring>
#include "media/id3v1.h"
#include "media/media_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader r = MemoryReader(data, size);
    char text[ID3_TEXT_BYTES + 1];
    for (int field = 0; field <= 5; field++)
        if (ReadId3FieldFrom(&r, field, text) && std::strlen(text) > ID3_TEXT_BYTES) __builtin_trap();
    return 0;
}
