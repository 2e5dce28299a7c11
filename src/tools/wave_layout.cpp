// WAVE layout for the divide and combine tools (see wave_layout.h).
#include "tools/wave_layout.h"
#include "base/byte_order.h"

namespace {
const uint32_t FMT_MIN_BYTES = 16;  // format tag .. bits per sample
const uint32_t FMT_AVG_BYTES_OFFSET = 8;
const uint32_t FMT_BLOCK_ALIGN_OFFSET = 12;
}  // namespace

int ReadWaveLayout(const MediaFile* file, WaveLayout* out) {
    *out = WaveLayout{};
    out->fileSize = MediaFileSize(file);
    uint8_t head[WAVE_HEAD_BYTES];
    if (ReadMediaFile(file, 0, head, WAVE_HEAD_BYTES) != WAVE_HEAD_BYTES || !IsFourCc(head, "RIFF") ||
        !IsFourCc(head + 8, "WAVE") || !IsFourCc(head + 12, "fmt "))
        return 0;
    out->fmtSize = GetLe32(head + 16);
    if (out->fmtSize < FMT_MIN_BYTES || out->fmtSize > WAVE_FMT_MAX_BYTES) return 0;
    uint8_t fmt[WAVE_FMT_MAX_BYTES];
    if (ReadMediaFile(file, WAVE_HEAD_BYTES, fmt, out->fmtSize) != out->fmtSize) return 0;
    out->avgBytesPerSec = GetLe32(fmt + FMT_AVG_BYTES_OFFSET);
    out->blockAlign = GetLe16(fmt + FMT_BLOCK_ALIGN_OFFSET);
    uint64_t at = WAVE_HEAD_BYTES + uint64_t(out->fmtSize) + (out->fmtSize & 1);
    for (;;) {
        uint8_t chunk[CHUNK_HEAD_BYTES];
        if (ReadMediaFile(file, at, chunk, CHUNK_HEAD_BYTES) != CHUNK_HEAD_BYTES) return 0;
        uint32_t size = GetLe32(chunk + 4);
        if (IsFourCc(chunk, "data")) {
            out->dataHeaderAt = at;
            out->dataSize = size;
            uint64_t start = at + CHUNK_HEAD_BYTES;
            uint64_t there = out->fileSize - start;
            out->dataAvailable = size < there ? size : there;
            out->trailingAt = start + size + (size & 1);
            return 1;
        }
        at += CHUNK_HEAD_BYTES + uint64_t(size) + (size & 1);
    }
}
