// Whole-file reads for the player library.
#include "tavply_file.h"

#include <cstdio>

int TavReadWholeFile(const char* path, std::vector<uint8_t>* out)
{
    out->clear();
    if (!path || !path[0]) return 0;
    FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    int ok = 0;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size >= 0 && std::fseek(f, 0, SEEK_SET) == 0) {
            out->resize(size_t(size));
            ok = size == 0 || std::fread(out->data(), 1, size_t(size), f) == size_t(size);
        }
    }
    std::fclose(f);
    if (!ok) out->clear();
    return ok;
}
