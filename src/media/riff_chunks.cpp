// RIFF chunk walking shared by the probe and the title readers, plus the small path and text
// helpers of the media modules. Every size from a file is checked against the bytes there are.
#include <cctype>
#include <cstring>

#include "base/bounded_copy.h"
#include "media/media_formats.h"

namespace {
// Chunk data is followed by a pad byte when its size is odd.
uint64_t PaddedSize(uint32_t size) { return uint64_t(size) + (size & 1); }

// Chunk headers read through one block, so a walk over many small chunks (a file full of
// zeros is one of 8-byte empty chunks) does not cost a file read per header.
struct HeaderWindow {
    uint8_t block[4096];
    uint64_t start = 0;
    uint32_t length = 0;
};

// The `bytes` bytes at pos, or null when fewer than that are there.
const uint8_t* HeaderAt(HeaderWindow* w, const ByteReader* r, uint64_t pos, uint32_t bytes) {
    if (pos < w->start || pos + bytes > w->start + w->length) {
        w->start = pos;
        w->length = ReadAt(r, pos, w->block, sizeof w->block);
    }
    return pos + bytes <= w->start + w->length ? w->block + (pos - w->start) : nullptr;
}
}  // namespace

int FindRiffForm(const ByteReader* r, const char* form, RiffChunk* riffOut) {
    uint64_t pos = 0;
    HeaderWindow window;
    while (const uint8_t* head = HeaderAt(&window, r, pos, RIFF_HEADER_BYTES)) {
        uint32_t size = GetLe32(head + 4);
        if (IsFourCc(head, "RIFF") && IsFourCc(head + 8, form)) {
            riffOut->offset = pos;
            riffOut->size = size;
            return 1;
        }
        pos += CHUNK_HEADER_BYTES + PaddedSize(size);
    }
    return 0;
}

uint64_t RiffBodyEnd(const ByteReader* r, const RiffChunk* riff) {
    uint64_t end = riff->offset + CHUNK_HEADER_BYTES + riff->size;
    return end < r->size ? end : r->size;
}

int FindNextChunk(const ByteReader* r, const RiffChunk* riff, const char* id, uint64_t* cursor, RiffChunk* chunkOut) {
    uint64_t end = RiffBodyEnd(r, riff);
    uint64_t pos = *cursor ? *cursor : riff->offset + RIFF_HEADER_BYTES;
    HeaderWindow window;
    const uint8_t* head;
    while (pos + CHUNK_HEADER_BYTES <= end && (head = HeaderAt(&window, r, pos, CHUNK_HEADER_BYTES)) != nullptr) {
        uint32_t size = GetLe32(head + 4);
        uint64_t next = pos + CHUNK_HEADER_BYTES + PaddedSize(size);
        if (IsFourCc(head, id)) {
            chunkOut->offset = pos;
            chunkOut->size = size;
            *cursor = next;
            return 1;
        }
        pos = next;
    }
    *cursor = end;
    return 0;
}

int HasExtension(const char* path, const char* ext) {
    const char* dot = std::strrchr(path, '.');
    if (!dot || std::strpbrk(dot, "\\/")) return 0;
    for (; *dot && *ext; dot++, ext++)
        if (std::toupper((unsigned char)*dot) != std::toupper((unsigned char)*ext)) return 0;
    return *dot == 0 && *ext == 0;
}

const char* FileNameOf(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; p++)
        if (*p == '\\' || *p == '/') name = p + 1;
    return name;
}

void CopyText(char* out, uint32_t cap, const uint8_t* text, uint32_t length) {
    CopyBounded(out, cap, reinterpret_cast<const char*>(text), length);
}
