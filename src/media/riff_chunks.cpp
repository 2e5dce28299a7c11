// RIFF chunk walking shared by the probe and the title readers, plus the small path and text
// helpers of the media modules. Every size from a file is checked against the bytes there are.
#include <cctype>
#include <cstring>
#include "media/media_formats.h"

namespace {
// Chunk data is followed by a pad byte when its size is odd.
uint64_t PaddedSize(uint32_t size) { return uint64_t(size) + (size & 1); }
}  // namespace

int FindRiffForm(const ByteReader* r, const char* form, RiffChunk* riffOut) {
    uint64_t pos = 0;
    uint8_t head[RIFF_HEADER_BYTES];
    while (ReadAt(r, pos, head, RIFF_HEADER_BYTES) == RIFF_HEADER_BYTES) {
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

int FindNextChunk(const ByteReader* r, const RiffChunk* riff, const char* id, uint64_t* cursor,
                  RiffChunk* chunkOut) {
    uint64_t end = RiffBodyEnd(r, riff);
    uint64_t pos = *cursor ? *cursor : riff->offset + RIFF_HEADER_BYTES;
    uint8_t head[CHUNK_HEADER_BYTES];
    while (pos + CHUNK_HEADER_BYTES <= end && ReadAt(r, pos, head, CHUNK_HEADER_BYTES) == CHUNK_HEADER_BYTES) {
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
    if (cap == 0) return;
    uint32_t n = 0;
    while (n < length && n + 1 < cap && text[n] != 0) {
        out[n] = char(text[n]);
        n++;
    }
    out[n] = 0;
}
