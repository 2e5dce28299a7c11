// Byte sources and the sliding frame window (see mpa_reader.h).
#include "mpa_reader.h"

#include <cstring>

namespace {

size_t ReadMemory(void* context, uint64_t offset, uint8_t* out, size_t len) {
    std::memcpy(out, static_cast<const uint8_t*>(context) + offset, len);
    return len;
}

size_t ReadFile(void* context, uint64_t offset, uint8_t* out, size_t len) {
    FILE* f = static_cast<FILE*>(context);
    if (offset > uint64_t(0x7FFFFFFF) || std::fseek(f, long(offset), SEEK_SET) != 0) return 0;
    return std::fread(out, 1, len, f);
}

}  // namespace

MpaReader MpaMemoryReader(const uint8_t* data, size_t size) {
    MpaReader r;
    r.context = const_cast<uint8_t*>(data);
    r.size = data ? uint64_t(size) : 0;
    r.read = ReadMemory;
    return r;
}

// Files beyond 2 GiB are refused: the offsets go through fseek's long.
int MpaFileReader(FILE* file, MpaReader* out) {
    if (!file || std::fseek(file, 0, SEEK_END) != 0) return 0;
    long size = std::ftell(file);
    if (size < 0) return 0;
    out->context = file;
    out->size = uint64_t(size);
    out->read = ReadFile;
    return 1;
}

size_t MpaRead(const MpaReader* r, uint64_t offset, uint8_t* out, size_t len) {
    if (offset >= r->size || len == 0) return 0;
    if (len > r->size - offset) len = size_t(r->size - offset);
    return r->read(r->context, offset, out, len);
}

void MpaWindowInit(MpaWindow* w, const MpaReader* r, uint64_t end, size_t chunk) {
    w->reader = r;
    w->buf.resize(chunk < MPA_WINDOW_SPAN ? MPA_WINDOW_SPAN : chunk);
    w->end = end < r->size ? end : r->size;
    w->start = 0;
    w->length = 0;
}

const uint8_t* MpaWindowAt(MpaWindow* w, uint64_t offset, size_t len, size_t* availOut) {
    if (offset > w->end || len > w->end - offset || len > MPA_WINDOW_SPAN) return nullptr;
    if (offset < w->start || offset + len > w->start + w->length) {
        // refill from offset: the walk moves forwards, so the bytes behind it are not kept
        uint64_t want = w->end - offset;
        size_t n = want < w->buf.size() ? size_t(want) : w->buf.size();
        w->start = offset;
        w->length = MpaRead(w->reader, offset, w->buf.data(), n);
        if (len > w->length) return nullptr;
    }
    size_t at = size_t(offset - w->start);
    if (availOut) *availOut = w->length - at;
    return w->buf.data() + at;
}
