// WAVE layout for the divide and combine tools (see wave_layout.h).
#include "tools/wave_layout.h"
#include "base/byte_order.h"
#include <cstring>

namespace {
const uint32_t FMT_MIN_BYTES = 16;  // format tag .. bits per sample
const uint32_t FMT_AVG_BYTES_OFFSET = 8;
const uint32_t FMT_BLOCK_ALIGN_OFFSET = 12;
const uint32_t FMT_BITS_OFFSET = 14;
const uint32_t FMT_SUB_FORMAT_OFFSET = 24;  // behind cbSize, valid bits and channel mask
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
    out->formatTag = GetLe16(fmt);
    out->channels = GetLe16(fmt + 2);
    out->sampleRate = GetLe32(fmt + 4);
    out->bitsPerSample = GetLe16(fmt + FMT_BITS_OFFSET);
    if (out->formatTag == WAVE_FORMAT_EXTENSIBLE_TAG) {
        // An extensible format without its sub-format says nothing about its coding.
        if (out->fmtSize < FMT_SUB_FORMAT_OFFSET + WAVE_SUB_FORMAT_BYTES) return 0;
        std::memcpy(out->subFormat, fmt + FMT_SUB_FORMAT_OFFSET, WAVE_SUB_FORMAT_BYTES);
    }
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

int SameWaveCoding(const WaveLayout* a, const WaveLayout* b) {
    return a->formatTag == b->formatTag && a->channels == b->channels && a->sampleRate == b->sampleRate &&
           a->bitsPerSample == b->bitsPerSample && a->blockAlign == b->blockAlign &&
           std::memcmp(a->subFormat, b->subFormat, WAVE_SUB_FORMAT_BYTES) == 0;
}
