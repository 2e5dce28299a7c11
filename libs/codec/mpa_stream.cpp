// Stream layout: tags and trailers around the audio, the first frame (confirmed by the frames
// that follow it), VBR headers and the frame walk with resynchronisation after damage.
#include "mpa_stream.h"

#include <cstring>
#include <vector>

namespace {

const size_t ID3V2_HEADER_BYTES = 10;
const int CONFIRM_FRAMES = 3;          // a sync counts when this many frames follow one another
const size_t HEAD_CHUNK_BYTES = 8192;  // reads while looking for the first frame

uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Size of an ID3v2 tag whose header is h[0..10), or 0.
size_t Id3v2Size(const uint8_t* h, size_t got, uint64_t size) {
    if (got < ID3V2_HEADER_BYTES || std::memcmp(h, "ID3", 3) != 0) return 0;
    if (h[3] == 0xFF || h[4] == 0xFF) return 0;
    for (int i = 6; i < 10; ++i)
        if (h[i] & 0x80) return 0;
    size_t body = (size_t(h[6]) << 21) | (size_t(h[7]) << 14) | (size_t(h[8]) << 7) | h[9];
    size_t total = ID3V2_HEADER_BYTES + body + ((h[5] & 0x10) ? 10 : 0);
    return total <= size ? total : size_t(size);
}

// Header at pos when it is valid, of the same stream as ref (if given) and fits before the end.
int HeaderAt(MpaWindow* w, uint64_t pos, const MpaHeader* ref, MpaHeader* out) {
    const uint8_t* p = MpaWindowAt(w, pos, MPA_HEADER_BYTES);
    if (!p) return 0;
    MpaHeader h;
    if (!MpaParseHeader(MpaHeaderWord(p), &h, ref ? ref->freeBytes : 0)) return 0;
    if (ref && !MpaSameStream(ref, &h)) return 0;
    *out = h;
    return 1;
}

bool SyncAt(MpaWindow* w, uint64_t pos) {
    const uint8_t* p = MpaWindowAt(w, pos, 2);
    return p && p[0] == 0xFF && (p[1] & 0xE0) == 0xE0;
}

// 1 when a chain of frames starts at pos: CONFIRM_FRAMES frames in a row, or frames reaching
// exactly to the end.
int ChainAt(MpaWindow* w, uint64_t pos, const MpaHeader* ref, MpaHeader* firstOut) {
    MpaHeader h;
    if (!HeaderAt(w, pos, ref, &h)) return 0;
    *firstOut = h;
    MpaHeader base = h;
    uint64_t at = pos;
    for (int n = 0; n < CONFIRM_FRAMES; ++n) {
        at += uint64_t(h.frameBytes);
        if (at == w->end) return 1;
        if (at > w->end) return n > 0;  // a truncated last frame after a good one
        if (!HeaderAt(w, at, &base, &h)) return 0;
    }
    return 1;
}

// A free-format stream at pos: its frame size is the distance to the next header of the same
// kind (sync, version, layer, free bit rate and sample rate alike; padding and CRC may differ),
// confirmed by a chain of frames of that size. Tries each such header in reach.
int FreeFormatChainAt(MpaWindow* w, uint64_t pos, MpaHeader* firstOut) {
    const uint8_t* p = MpaWindowAt(w, pos, MPA_HEADER_BYTES);
    if (!p || !MpaIsFreeFormat(MpaHeaderWord(p))) return 0;
    const uint32_t word = MpaHeaderWord(p);
    const uint32_t KIND_MASK = 0xFFFEFC00u;
    const int layer1 = ((word >> 17) & 3) == 3, padding = (word >> 9) & 1;
    for (int d = MPA_MIN_FREE_BYTES; d <= MPA_MAX_FREE_BYTES + 4; ++d) {  // 4: a layer I padding slot
        const uint8_t* q = MpaWindowAt(w, pos + uint64_t(d), MPA_HEADER_BYTES);
        if (!q) return 0;
        if ((MpaHeaderWord(q) & KIND_MASK) != (word & KIND_MASK)) continue;
        MpaHeader ref;
        if (MpaParseHeader(word, &ref, d - padding * (layer1 ? 4 : 1)) && ChainAt(w, pos, &ref, firstOut)) return 1;
    }
    return 0;
}

void IndexAdd(MpaFrameIndex* index, uint32_t frame, uint64_t offset) {
    if (frame % index->stride) return;
    if (index->count == MPA_INDEX_SLOTS) {
        for (uint32_t i = 0; i < MPA_INDEX_SLOTS / 2; ++i) index->offset[i] = index->offset[2 * i];
        index->count = MPA_INDEX_SLOTS / 2;
        index->stride *= 2;
        if (frame % index->stride) return;
    }
    index->offset[index->count++] = offset;
}

// Parses a "CHST" value out of the trailer's chunk area.
void ReadChannelStatus(const uint8_t* area, size_t len, MpaStreamInfo* info) {
    size_t at = 0;
    while (at + 8 <= len) {
        const uint8_t* c = area + at;
        uint32_t chunkSize = Le32(c + 4);
        if (chunkSize > len - at - 8) break;
        if (std::memcmp(c, "LIST", 4) == 0 && chunkSize >= 4 && std::memcmp(c + 8, "INFO", 4) == 0) {
            size_t sub = 12;
            size_t listEnd = 8 + size_t(chunkSize);
            while (sub + 8 <= listEnd) {
                uint32_t subSize = Le32(c + sub + 4);
                if (subSize > listEnd - sub - 8) break;
                if (std::memcmp(c + sub, "CHST", 4) == 0 && subSize >= 4) {
                    std::memcpy(info->channelStatus, c + sub + 8, 4);
                    info->hasChannelStatus = 1;
                    return;
                }
                sub += 8 + subSize + (subSize & 1);
            }
        }
        at += 8 + size_t(chunkSize) + (chunkSize & 1);
    }
}

// A trailer ending exactly at end (tail holds the bytes before end)? Returns its total size
// (chunk area + footer), else 0.
size_t TrailerEndingAt(const MpaReader* r, uint64_t end, const uint8_t* tail, size_t tailBytes, MpaStreamInfo* info) {
    if (tailBytes < MPA_TRAILER_FOOTER_BYTES || std::memcmp(tail + tailBytes - 4, "MEXT", 4) != 0) return 0;
    uint32_t areaLen = Le32(tail + tailBytes - MPA_TRAILER_FOOTER_BYTES);
    if (areaLen > end - MPA_TRAILER_FOOTER_BYTES || areaLen > MPA_MAX_TRAILER_BYTES) return 0;
    size_t total = size_t(areaLen) + MPA_TRAILER_FOOTER_BYTES;
    std::vector<uint8_t> area(areaLen);
    if (MpaRead(r, end - total, area.data(), areaLen) != areaLen) return 0;
    ReadChannelStatus(area.data(), areaLen, info);
    return total;
}

// Finds the title trailer and ID3v1 tag at the end of the file; returns the end of the audio.
uint64_t FindTrailers(const MpaReader* r, MpaStreamInfo* info) {
    uint8_t tail[MPA_ID3V1_BYTES + MPA_TRAILER_FOOTER_BYTES];
    uint64_t end = r->size;
    size_t tailBytes = end < sizeof tail ? size_t(end) : sizeof tail;
    if (MpaRead(r, end - tailBytes, tail, tailBytes) != tailBytes) return end;
    size_t trailer = TrailerEndingAt(r, end, tail, tailBytes, info);
    if (trailer) {
        end -= trailer;
    } else if (tailBytes >= MPA_ID3V1_BYTES && std::memcmp(tail + tailBytes - MPA_ID3V1_BYTES, "TAG", 3) == 0) {
        end -= MPA_ID3V1_BYTES;
        info->hasId3v1 = 1;
        trailer = TrailerEndingAt(r, end, tail, tailBytes - MPA_ID3V1_BYTES, info);
        end -= trailer;
    }
    info->trailerBytes = trailer;
    return end;
}

// Where the audio ends when the trailer before `end` is carried in the ancillary data of a last
// frame of silence (as our recordings end): at that frame's start. Otherwise `end` itself. The
// carrier has the first frame's kind and bit rate, no padding, and ends with the trailer.
uint64_t CarrierStart(const MpaReader* r, const MpaHeader& first, uint64_t firstAt, uint64_t end, size_t trailerBytes) {
    uint8_t word[MPA_HEADER_BYTES];
    MpaHeader carrier, h;
    if (MpaRead(r, firstAt, word, sizeof word) != sizeof word ||
        !MpaParseHeader(MpaHeaderWord(word) & ~0x200u, &carrier, first.freeBytes))
        return end;
    const uint64_t trailerEnd = end + trailerBytes;
    if (trailerEnd < firstAt + uint64_t(first.frameBytes) + uint64_t(carrier.frameBytes)) return end;
    const uint64_t at = trailerEnd - uint64_t(carrier.frameBytes);
    if (at >= end || MpaRead(r, at, word, sizeof word) != sizeof word ||
        !MpaParseHeader(MpaHeaderWord(word), &h, first.freeBytes) || !MpaSameStream(&first, &h) ||
        h.frameBytes != carrier.frameBytes)
        return end;
    return at;
}

// Reads a Xing/Info or VBRI header in the first frame f. *framesOut and *bytesOut get the
// counts the header gives (0 when it has none).
void ReadVbrHeader(const uint8_t* f, const MpaHeader& h, MpaStreamInfo* info, uint32_t* framesOut, uint32_t* bytesOut) {
    size_t len = size_t(h.frameBytes);
    size_t side = h.versionIndex == 0 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    size_t candidates[2] = {4 + side, 4 + side + 2};
    for (size_t at : candidates) {
        if (at + 8 > len) continue;
        bool xing = std::memcmp(f + at, "Xing", 4) == 0;
        bool infoTag = std::memcmp(f + at, "Info", 4) == 0;
        if (!xing && !infoTag) continue;
        info->hasVbrHeader = 1;
        info->vbr = xing;
        uint32_t flags = Be32(f + at + 4);
        size_t p = at + 8;
        if (flags & 1) *framesOut = Be32(f + p);
        if (flags & 1) p += 4;
        if ((flags & 2) && p + 4 <= len) *bytesOut = Be32(f + p);
        if (flags & 2) p += 4;
        if (flags & 4) p += 100;
        if (flags & 8) p += 4;
        // LAME extension: encoder string (9), revision (1), lowpass (1), peak (4), gains (2+2),
        // flags (1), bitrate (1), then delay and padding packed in 3 bytes (12 bits each)
        if (p + 24 <= len && (std::memcmp(f + p, "LAME", 4) == 0 || std::memcmp(f + p, "TAVEN", 5) == 0 ||
                              std::memcmp(f + p, "Lavf", 4) == 0 || std::memcmp(f + p, "Lavc", 4) == 0)) {
            const uint8_t* d = f + p + 21;
            info->encoderDelay = (uint32_t(d[0]) << 4) | (d[1] >> 4);
            info->encoderPadding = (uint32_t(d[1] & 15) << 8) | d[2];
            info->hasGapless = 1;
        }
        return;
    }
    if (len >= 4 + 32 + 26 && std::memcmp(f + 36, "VBRI", 4) == 0) {
        info->hasVbrHeader = 1;
        info->vbr = 1;
        *bytesOut = Be32(f + 36 + 10);
        *framesOut = Be32(f + 36 + 14);
    }
}

}  // namespace

int MpaNextFrame(MpaWindow* w, const MpaHeader* first, uint64_t* at, MpaHeader* out) {
    uint64_t pos = *at;
    while (pos + MPA_HEADER_BYTES <= w->end) {
        if (HeaderAt(w, pos, first, out) && pos + uint64_t(out->frameBytes) <= w->end) {
            *at = pos;
            return 1;
        }
        // damaged or truncated: look for the next confirmed frame
        ++pos;
        MpaHeader dummy;
        while (pos + MPA_HEADER_BYTES <= w->end && !(SyncAt(w, pos) && ChainAt(w, pos, first, &dummy))) ++pos;
    }
    *at = pos;
    return 0;
}

int MpaScanStream(const MpaReader* r, MpaStreamInfo* info, int walk, MpaFrameIndex* indexOut) {
    std::memset(info, 0, sizeof *info);
    if (indexOut) {
        indexOut->stride = 1;
        indexOut->count = 0;
    }
    uint8_t head[ID3V2_HEADER_BYTES];
    size_t got = MpaRead(r, 0, head, sizeof head);
    if (got < MPA_HEADER_BYTES) return 0;
    if (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "MThd", 4) == 0) return 0;
    uint64_t end = FindTrailers(r, info);
    size_t start = Id3v2Size(head, got, end);
    info->id3v2Bytes = start;

    // first frame: a confirmed chain within the search window (read a little at a time, so a
    // plain file costs a few kilobytes)
    MpaWindow w;
    MpaWindowInit(&w, r, end, HEAD_CHUNK_BYTES);
    uint64_t limit = start + MPA_MAX_LEADING_JUNK;
    if (limit > end) limit = end;
    uint64_t pos = start;
    MpaHeader first{};
    bool found = false;
    for (; pos + MPA_HEADER_BYTES <= limit; ++pos) {
        if (!SyncAt(&w, pos)) continue;
        if (ChainAt(&w, pos, nullptr, &first) || FreeFormatChainAt(&w, pos, &first)) {
            found = true;
            break;
        }
    }
    if (!found) return 0;
    if (info->trailerBytes) end = CarrierStart(r, first, pos, end, info->trailerBytes);
    info->audioStart = size_t(pos);
    info->audioEnd = size_t(end);
    info->first = first;
    uint32_t headerFrames = 0, headerBytes = 0;
    if (const uint8_t* f = MpaWindowAt(&w, pos, size_t(first.frameBytes)))
        ReadVbrHeader(f, first, info, &headerFrames, &headerBytes);
    uint64_t at = pos;
    if (info->hasVbrHeader) at += uint64_t(first.frameBytes);

    uint64_t audioBytes = 0;
    uint32_t frames = 0;
    if (walk) {
        // visit every frame, resynchronising after damage
        MpaWindowInit(&w, r, end, MPA_WINDOW_BYTES);
        int firstRate = -1;
        MpaHeader h;
        while (MpaNextFrame(&w, &first, &at, &h)) {
            if (indexOut) IndexAdd(indexOut, frames, at);
            ++frames;
            audioBytes += uint64_t(h.frameBytes);
            if (firstRate < 0)
                firstRate = h.bitrateIndex;
            else if (h.bitrateIndex != firstRate)
                info->vbr = 1;
            at += uint64_t(h.frameBytes);
        }
        info->walked = 1;
    } else {
        audioBytes = end - at;
        if (headerFrames) {
            frames = headerFrames;
            if (headerBytes && headerBytes <= end - pos) audioBytes = headerBytes;
        } else {
            // nominal: the stream bytes over the size of an unpadded frame at the first bit rate
            uint64_t perFrame = uint64_t(first.samples) * uint64_t(first.bitrateKbps) * 125u;  // x rate
            frames = perFrame ? uint32_t((audioBytes * first.sampleRate + perFrame / 2) / perFrame) : 0;
        }
    }
    info->frames = frames;
    info->decodedSamples = uint64_t(frames) * uint64_t(first.samples);
    uint64_t skip = 0, total = info->decodedSamples;
    if (info->hasGapless) {
        // match the reference decoders: drop the encoder delay plus the synthesis delay at the
        // start, and the padding (less the same delay) at the end
        uint64_t lead = uint64_t(info->encoderDelay) + MPA_DECODER_DELAY;
        uint64_t tail = info->encoderPadding > MPA_DECODER_DELAY ? info->encoderPadding - MPA_DECODER_DELAY : 0;
        skip = lead < total ? lead : total;
        total = total - skip > tail ? total - skip - tail : 0;
    }
    info->skipSamples = skip;
    info->samples = total;
    info->lengthMs = uint32_t(total * 1000 / first.sampleRate);
    uint64_t durationMs = info->decodedSamples * 1000 / first.sampleRate;
    info->averageKbps = durationMs ? uint32_t(audioBytes * 8 / durationMs) : uint32_t(first.bitrateKbps);
    if (!info->vbr) info->averageKbps = uint32_t(first.bitrateKbps);
    return frames > 0 || info->hasVbrHeader;
}
