// Stream layout: tags and trailers around the audio, the first frame (confirmed by the frames
// that follow it), VBR headers and the frame walk with resynchronisation after damage.
#include "mpa_stream.h"

#include <cstring>

namespace {

const size_t ID3V2_HEADER_BYTES = 10;
const int CONFIRM_FRAMES = 3;  // a sync counts when this many frames follow one another

uint32_t Be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Size of an ID3v2 tag at data[0], or 0.
size_t Id3v2Size(const uint8_t* data, size_t size)
{
    if (size < ID3V2_HEADER_BYTES || std::memcmp(data, "ID3", 3) != 0) return 0;
    if (data[3] == 0xFF || data[4] == 0xFF) return 0;
    for (int i = 6; i < 10; ++i)
        if (data[i] & 0x80) return 0;
    size_t body = (size_t(data[6]) << 21) | (size_t(data[7]) << 14) | (size_t(data[8]) << 7) | data[9];
    size_t total = ID3V2_HEADER_BYTES + body + ((data[5] & 0x10) ? 10 : 0);
    return total <= size ? total : size;
}

// Header at pos when it is valid, of the same stream as ref (if given) and fits before end.
int HeaderAt(const uint8_t* data, size_t pos, size_t end, const MpaHeader* ref, MpaHeader* out)
{
    if (pos + MPA_HEADER_BYTES > end) return 0;
    MpaHeader h;
    if (!MpaParseHeader(MpaHeaderWord(data + pos), &h)) return 0;
    if (ref && !MpaSameStream(ref, &h)) return 0;
    *out = h;
    return 1;
}

// 1 when a chain of frames starts at pos: CONFIRM_FRAMES frames in a row, or frames reaching
// exactly to end.
int ChainAt(const uint8_t* data, size_t pos, size_t end, const MpaHeader* ref, MpaHeader* firstOut)
{
    MpaHeader h;
    if (!HeaderAt(data, pos, end, ref, &h)) return 0;
    *firstOut = h;
    MpaHeader base = h;
    size_t at = pos;
    for (int n = 0; n < CONFIRM_FRAMES; ++n) {
        at += size_t(h.frameBytes);
        if (at == end) return 1;
        if (at > end) return n > 0;  // a truncated last frame after a good one
        if (!HeaderAt(data, at, end, &base, &h)) return 0;
    }
    return 1;
}

// Parses a "CHST" value out of the trailer's chunk area.
void ReadChannelStatus(const uint8_t* area, size_t len, MpaStreamInfo* info)
{
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

// A trailer ending exactly at end? Returns its total size (chunk area + footer), else 0.
size_t TrailerEndingAt(const uint8_t* data, size_t end, MpaStreamInfo* info)
{
    if (end < MPA_TRAILER_FOOTER_BYTES || std::memcmp(data + end - 4, "MEXT", 4) != 0) return 0;
    uint32_t areaLen = Le32(data + end - MPA_TRAILER_FOOTER_BYTES);
    if (areaLen > end - MPA_TRAILER_FOOTER_BYTES) return 0;
    size_t total = size_t(areaLen) + MPA_TRAILER_FOOTER_BYTES;
    ReadChannelStatus(data + end - total, areaLen, info);
    return total;
}

// Reads a Xing/Info or VBRI header in the first frame.
void ReadVbrHeader(const uint8_t* data, size_t pos, const MpaHeader& h, MpaStreamInfo* info)
{
    const uint8_t* f = data + pos;
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
        if (flags & 1) p += 4;
        if (flags & 2) p += 4;
        if (flags & 4) p += 100;
        if (flags & 8) p += 4;
        // LAME extension: encoder string (9), revision (1), lowpass (1), peak (4), gains (2+2),
        // flags (1), bitrate (1), then delay and padding packed in 3 bytes (12 bits each)
        if (p + 24 <= len && (std::memcmp(f + p, "LAME", 4) == 0 || std::memcmp(f + p, "Lavf", 4) == 0 ||
                              std::memcmp(f + p, "Lavc", 4) == 0)) {
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
    }
}

}  // namespace

void MpaFindTrailers(const uint8_t* data, size_t size, size_t* audioEndOut, MpaStreamInfo* info)
{
    size_t end = size;
    size_t trailer = TrailerEndingAt(data, end, info);
    if (trailer) {
        end -= trailer;
    } else if (end >= MPA_ID3V1_BYTES && std::memcmp(data + end - MPA_ID3V1_BYTES, "TAG", 3) == 0) {
        end -= MPA_ID3V1_BYTES;
        info->hasId3v1 = 1;
        trailer = TrailerEndingAt(data, end, info);
        end -= trailer;
    }
    info->trailerBytes = trailer;
    *audioEndOut = end;
}

int MpaScanStream(const uint8_t* data, size_t size, MpaStreamInfo* info, std::vector<uint32_t>* offsetsOut)
{
    std::memset(info, 0, sizeof *info);
    if (offsetsOut) offsetsOut->clear();
    if (!data || size < MPA_HEADER_BYTES) return 0;
    if (size >= 4 && (std::memcmp(data, "RIFF", 4) == 0 || std::memcmp(data, "MThd", 4) == 0)) return 0;
    size_t end = size;
    MpaFindTrailers(data, size, &end, info);
    size_t start = Id3v2Size(data, end);
    info->id3v2Bytes = start;

    // first frame: a confirmed chain within the search window
    size_t limit = start + MPA_MAX_LEADING_JUNK;
    if (limit > end) limit = end;
    size_t pos = start;
    MpaHeader first{};
    bool found = false;
    for (; pos + MPA_HEADER_BYTES <= limit; ++pos) {
        if (data[pos] != 0xFF || (data[pos + 1] & 0xE0) != 0xE0) continue;
        if (ChainAt(data, pos, end, nullptr, &first)) {
            found = true;
            break;
        }
    }
    if (!found) return 0;
    info->audioStart = pos;
    info->audioEnd = end;
    info->first = first;
    ReadVbrHeader(data, pos, first, info);

    // walk the frames, resynchronising after damage
    uint64_t audioBytes = 0;
    uint32_t frames = 0;
    int firstRate = -1;
    size_t at = pos;
    if (info->hasVbrHeader) at += size_t(first.frameBytes);
    while (at + MPA_HEADER_BYTES <= end) {
        MpaHeader h;
        if (HeaderAt(data, at, end, &first, &h) && at + size_t(h.frameBytes) <= end) {
            if (offsetsOut) offsetsOut->push_back(uint32_t(at));
            ++frames;
            audioBytes += uint64_t(h.frameBytes);
            if (firstRate < 0) firstRate = h.bitrateIndex;
            else if (h.bitrateIndex != firstRate) info->vbr = 1;
            at += size_t(h.frameBytes);
            continue;
        }
        // damaged or truncated: look for the next confirmed frame
        size_t next = at + 1;
        MpaHeader dummy;
        while (next + MPA_HEADER_BYTES <= end && !(data[next] == 0xFF && (data[next + 1] & 0xE0) == 0xE0 &&
                                                  ChainAt(data, next, end, &first, &dummy)))
            ++next;
        at = next;
    }
    info->frames = frames;
    info->decodedSamples = uint64_t(frames) * uint64_t(first.samples);
    uint64_t skip = 0, total = info->decodedSamples;
    if (info->hasGapless) {
        // match the reference decoders: drop the encoder delay plus the synthesis delay at the
        // start, and the padding (less the same delay) at the end
        uint64_t head = uint64_t(info->encoderDelay) + MPA_DECODER_DELAY;
        uint64_t tail = info->encoderPadding > MPA_DECODER_DELAY ? info->encoderPadding - MPA_DECODER_DELAY : 0;
        skip = head < total ? head : total;
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
