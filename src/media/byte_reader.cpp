// Bounded reads over a file or a memory buffer, shared by every media format reader.
#include "media/media_file.h"

ByteReader FileReader(const MediaFile* file) {
    ByteReader r{file, nullptr, MediaFileSize(file)};
    return r;
}

ByteReader MemoryReader(const void* data, uint64_t size) {
    ByteReader r{nullptr, static_cast<const uint8_t*>(data), data ? size : 0};
    return r;
}

uint32_t ReadAt(const ByteReader* r, uint64_t offset, void* out, uint32_t count) {
    if (offset >= r->size) return 0;
    uint64_t left = r->size - offset;
    uint32_t n = left < count ? uint32_t(left) : count;
    if (r->file) return ReadMediaFile(r->file, offset, out, n);
    std::memcpy(out, r->mem + offset, n);
    return n;
}
