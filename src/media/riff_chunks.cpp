// RIFF chunk walking shared by the probe, the title readers and writers and the native media
// window (see riff_chunks.h). Every size from a file is checked against the bytes there are.
#include "media/riff_chunks.h"
#include <cstring>
#include "base/byte_order.h"
#include "media/titles.h"

namespace {
// Chunk data is followed by a pad byte when its size is odd.
uint64_t PaddedSize(uint32_t size) { return uint64_t(size) + (size & 1); }

}  // namespace

const uint8_t* HeaderAt(HeaderWindow* w, const ByteReader* r, uint64_t pos, uint32_t bytes) {
    if (pos < w->start || pos + bytes > w->start + w->length) {
        w->start = pos;
        w->length = ReadAt(r, pos, w->block, sizeof w->block);
    }
    return pos + bytes <= w->start + w->length ? w->block + (pos - w->start) : nullptr;
}

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

int PlanRiffWrite(const ByteReader* r, int field, RiffWritePlan* plan) {
    std::memset(plan, 0, sizeof *plan);
    if (!FindRiffForm(r, "WAVE", &plan->riff)) return PLAN_NOT_WAVE;
    const char* id = field == 0 ? "DISP" : "LIST";
    const char* subId = TitleFieldChunkId(field);
    // A size that does not even cover the first chunk (0: never filled in) hides the file's
    // chunks from every reader; a title added behind the form type would land in front of
    // "fmt ". Such a file is refused, as the probe refuses it.
    if (plan->riff.size < 4 + CHUNK_HEADER_BYTES) return PLAN_CORRUPT;
    // The declared end, or the end of the file for a file cut short.
    uint64_t limit = plan->riff.offset + CHUNK_HEADER_BYTES + plan->riff.size;
    if (limit > r->size) limit = r->size;
    uint64_t pos = plan->riff.offset + RIFF_HEADER_BYTES;
    HeaderWindow window;
    while (pos + CHUNK_HEADER_BYTES <= limit) {
        const uint8_t* head = HeaderAt(&window, r, pos, CHUNK_HEADER_BYTES);
        if (!head) return PLAN_CORRUPT;
        uint32_t size = GetLe32(head + 4);
        uint64_t end = pos + CHUNK_HEADER_BYTES + size;
        if (end > r->size) return PLAN_CORRUPT;  // a write would rely on bytes that are not there
        if (!plan->found && IsFourCc(head, id)) {
            const uint8_t* more = HeaderAt(&window, r, pos, field == 0 ? 12 : 16);
            int match = field == 0 ? size >= 4 && more && GetLe32(more + 8) == DISP_TEXT_TYPE
                                   : size >= LIST_MIN_SIZE && more && IsFourCc(more + 12, subId);
            if (match) {
                plan->found = 1;
                plan->chunk.offset = pos;
                plan->chunk.size = size;
            }
        }
        pos = end + (size & 1);
    }
    plan->walkEnd = pos;
    plan->chunkIsLast = plan->found && plan->chunk.offset + CHUNK_HEADER_BYTES + PaddedSize(plan->chunk.size) == pos;
    return PLAN_OK;
}

int WaveLengthMs(const ByteReader* r, uint32_t* msOut) {
    *msOut = 0;
    RiffChunk riff, fmt, data;
    uint64_t cursor = 0;
    if (!FindRiffForm(r, "WAVE", &riff) || !FindNextChunk(r, &riff, "fmt ", &cursor, &fmt) ||
        !FindNextChunk(r, &riff, "data", &cursor, &data))
        return 0;
    uint8_t f[12];
    if (fmt.size < sizeof f || ReadAt(r, fmt.offset + CHUNK_HEADER_BYTES, f, sizeof f) != sizeof f) return 0;
    uint32_t avgBytes = GetLe32(f + 8);
    uint64_t present = r->size - (data.offset + CHUNK_HEADER_BYTES);
    uint64_t bytes = data.size < present ? data.size : present;
    uint64_t ms = avgBytes ? bytes * 1000 / avgBytes : 0;
    *msOut = ms > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(ms);
    return 1;
}
