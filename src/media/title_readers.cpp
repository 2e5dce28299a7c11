// Reading titles: the field model, the chunk reader over RIFF files, the reader of the title
// trailer that MPEG files carry at their end (or before their ID3v1 tag), the MIDI title scan,
// and GetTitleField, which routes a field to the right one and supplies the absent values.
#include "media/title_readers.h"
#include <cstdio>
#include <cstring>
#include "base/bounded_copy.h"
#include "base/path_names.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/midi_reader.h"
#include "media/riff_chunks.h"
#include "media/titles.h"
#include "playback/mpeg_libraries.h"

namespace {

// Field table: chunk id, longest value read. Index = title field.
struct FieldSpec {
    const char* chunkId;
    uint32_t maxLength;
};
const FieldSpec FIELDS[TITLE_FIELD_COUNT] = {
    {"DISP", 255               },
    {"IART", 30                },
    {"IGNR", 3                 },
    {"ISBJ", 4                 },
    {"USE1", 30                },
    {"USE2", 30                },
    {"ICOP", 0                 },
    {"CHST", CHANNEL_STATUS_LEN},
};

const uint32_t TRAILER_PROBE_BYTES = 12;                            // id, size, first data word
const uint8_t DEFAULT_STATUS[4] = {0x04, 0x06, 0x00, 0x00};         // no copyright
const uint8_t COPYRIGHT_STATUS[4] = {0x00, 0x16, 0x00, 0x00};       // copyright, copy
const uint8_t COPYRIGHT_ORIG_STATUS[4] = {0x00, 0x96, 0x00, 0x00};  // copyright, original

uint64_t PaddedSize(uint32_t size) { return uint64_t(size) + (size & 1); }

int IsKnownListId(const uint8_t* id) {
    for (int f = FIELD_ARTIST; f < TITLE_FIELD_COUNT; f++)
        if (f != FIELD_COPYRIGHT && IsFourCc(id, FIELDS[f].chunkId)) return 1;
    return 0;
}

// Reads a value of `size` bytes at `at`, at most maxLength of them.
int TakeValue(const ByteReader* r, uint64_t at, uint32_t size, uint32_t maxLength, FoundValue* v) {
    uint32_t want = size < maxLength ? size : maxLength;
    if (want > sizeof v->bytes) want = sizeof v->bytes;
    std::memset(v->bytes, 0, sizeof v->bytes);
    v->length = ReadAt(r, at, v->bytes, want);
    return 1;
}

// Puts a found value into the caller's buffer in the field's form.
void StoreValue(int field, const FoundValue* v, char* out) {
    if (field == FIELD_GENRE) {
        std::snprintf(out, GENRE_TEXT_BYTES, "%u", unsigned(v->bytes[0]));
    } else if (field == FIELD_CHANNEL_STATUS) {
        std::memcpy(out, v->bytes, CHANNEL_STATUS_LEN);
        out[CHANNEL_STATUS_LEN] = 0;
    } else {
        CopyBounded(out, FIELDS[field].maxLength + 1, (const char*)v->bytes, v->length);
    }
}

void StoreStatus(const uint8_t* status, char* out) {
    std::memcpy(out, status, CHANNEL_STATUS_LEN);
    out[CHANNEL_STATUS_LEN] = 0;
}

}  // namespace

int TitleFieldMaxLength(int field) {
    return (field >= 0 && field < TITLE_FIELD_COUNT) ? int(FIELDS[field].maxLength) : 0;
}

const char* TitleFieldChunkId(int field) {
    return (field >= 0 && field < TITLE_FIELD_COUNT) ? FIELDS[field].chunkId : nullptr;
}

int ReadRiffTitleValue(const ByteReader* r, int field, uint32_t maxLength, FoundValue* v) {
    RiffChunk riff, chunk;
    if (!FindRiffForm(r, "WAVE", &riff) && !FindRiffForm(r, "RMID", &riff)) return 0;
    uint64_t cursor = 0;
    if (field == FIELD_TITLE) {
        while (FindNextChunk(r, &riff, "DISP", &cursor, &chunk)) {
            uint8_t word[4];
            if (chunk.size < 4 || ReadAt(r, chunk.offset + CHUNK_HEADER_BYTES, word, 4) != 4) continue;
            if (GetLe32(word) != DISP_TEXT_TYPE) continue;
            TakeValue(r, chunk.offset + CHUNK_HEADER_BYTES + 4, chunk.size - 4, maxLength, v);
            v->length = uint32_t(strnlen((const char*)v->bytes, v->length));
            return 1;
        }
        return 0;
    }
    const char* id = FIELDS[field].chunkId;
    while (FindNextChunk(r, &riff, "LIST", &cursor, &chunk)) {
        if (chunk.size < LIST_MIN_SIZE) continue;
        uint64_t listEnd = chunk.offset + CHUNK_HEADER_BYTES + chunk.size;
        uint64_t bodyEnd = RiffBodyEnd(r, &riff);
        if (listEnd > bodyEnd) listEnd = bodyEnd;
        // Sub-chunks follow the list type, whatever that type is.
        uint64_t pos = chunk.offset + RIFF_HEADER_BYTES;
        uint8_t sub[CHUNK_HEADER_BYTES];
        while (pos + CHUNK_HEADER_BYTES <= listEnd && ReadAt(r, pos, sub, CHUNK_HEADER_BYTES) == CHUNK_HEADER_BYTES) {
            uint32_t size = GetLe32(sub + 4);
            if (IsFourCc(sub, id)) {
                TakeValue(r, pos + CHUNK_HEADER_BYTES, size, maxLength, v);
                // Text and channel status alike end at their first zero byte here.
                if (field != FIELD_GENRE) {
                    v->length = uint32_t(strnlen((const char*)v->bytes, v->length));
                    std::memset(v->bytes + v->length, 0, sizeof v->bytes - v->length);
                }
                return 1;
            }
            pos += CHUNK_HEADER_BYTES + PaddedSize(size);
        }
    }
    return 0;
}

int LocateTrailer(const ByteReader* r, int beforeTag, uint64_t* areaStartOut, uint64_t* footerOut) {
    uint64_t back = TRAILER_FOOTER_BYTES + (beforeTag ? ID3_TAG_BYTES : 0);
    if (r->size < back) return 0;
    uint64_t footer = r->size - back;
    uint8_t f[TRAILER_FOOTER_BYTES];
    if (ReadAt(r, footer, f, TRAILER_FOOTER_BYTES) != TRAILER_FOOTER_BYTES || !IsFourCc(f + 4, "MEXT")) return 0;
    uint32_t areaLength = GetLe32(f);
    if (areaLength > footer) return 0;  // would start before the file does
    *areaStartOut = footer - areaLength;
    *footerOut = footer;
    return 1;
}

int ReadTrailerValue(const ByteReader* r, int field, uint32_t maxLength, FoundValue* v) {
    uint64_t pos, footer;
    if (!LocateTrailer(r, 0, &pos, &footer) && !LocateTrailer(r, 1, &pos, &footer)) return 0;
    const char* wanted = FIELDS[field].chunkId;
    int inList = 0;
    HeaderWindow window;
    // Every step moves on by at least one byte, and a short read ends the walk.
    for (;;) {
        const uint8_t* h = HeaderAt(&window, r, pos, TRAILER_PROBE_BYTES);
        if (!h || IsFourCc(h + 4, "MEXT")) return 0;
        uint32_t size = GetLe32(h + 4);
        if (IsFourCc(h, "DISP")) {
            if (field == FIELD_TITLE && GetLe32(h + 8) == DISP_TEXT_TYPE) {
                TakeValue(r, pos + TRAILER_PROBE_BYTES, size >= 4 ? size - 4 : 0, maxLength, v);
                return 1;
            }
            pos += CHUNK_HEADER_BYTES + PaddedSize(size);
        } else if (IsFourCc(h, "LIST")) {
            if (field == FIELD_TITLE || !IsFourCc(h + 8, "INFO")) {
                pos += CHUNK_HEADER_BYTES + PaddedSize(size);
                continue;
            }
            inList = 1;
            uint64_t sub = pos + TRAILER_PROBE_BYTES;
            const uint8_t* s = HeaderAt(&window, r, sub, CHUNK_HEADER_BYTES);
            if (!s) return 0;
            uint32_t subSize = GetLe32(s + 4);
            if (IsFourCc(s, wanted)) return TakeValue(r, sub + CHUNK_HEADER_BYTES, subSize, maxLength, v);
            pos = sub + CHUNK_HEADER_BYTES + PaddedSize(subSize);
        } else if (inList && h[0] != 0) {
            // Items of a list, ours or another program's, each followed by its pad byte.
            if (IsKnownListId(h) && IsFourCc(h, wanted))
                return TakeValue(r, pos + CHUNK_HEADER_BYTES, size, maxLength, v);
            pos += CHUNK_HEADER_BYTES + PaddedSize(size);
        } else if (h[0] == 0) {
            pos += 1;  // a stray pad byte
        } else {
            return 0;
        }
    }
}

int ReadMidiTitle(const char* path, char* bufferOut) {
    bufferOut[0] = 0;
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    return ScanMidiTitle(&r, bufferOut);
}

// The chunk reader of GetTitleField over any file: RIFF chunks, or for other files the ID3v1
// tag (sources 0 and 3) and then the title trailer. Stores the value and returns 1 when found.
int ReadFieldFrom(const ByteReader* r, int field, int source, char* out) {
    uint8_t head[PROBE_HEADER_BYTES];
    if (ReadAt(r, 0, head, PROBE_HEADER_BYTES) != PROBE_HEADER_BYTES || IsFourCc(head, "MThd")) return 0;
    FoundValue v;
    uint32_t maxLength = FIELDS[field].maxLength;
    if (IsFourCc(head, "RIFF")) {
        if (!ReadRiffTitleValue(r, field, maxLength, &v)) return 0;
        StoreValue(field, &v, out);
        return 1;
    }
    // The tag holds fields 0..5 only; the channel status always comes from the trailer.
    if ((source == SOURCE_ID3_FIRST || source == SOURCE_ID3_FIRST_B) && field <= FIELD_COMMENT) {
        char text[ID3_TEXT_BYTES + 1];
        if (ReadId3FieldFrom(r, field, text)) {
            std::memcpy(out, text, std::strlen(text) + 1);
            return text[0] != 0;
        }
    }
    if (!ReadTrailerValue(r, field, maxLength, &v)) return 0;
    StoreValue(field, &v, out);
    return 1;
}

namespace {

int ReadFieldFromPath(const char* path, int field, int source, char* out) {
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    return ReadFieldFrom(&r, field, source, out);
}

void StoreAbsent(const char* path, int field, char* out) {
    if (field == FIELD_TITLE)
        CopyBounded(out, TITLE_BYTES, FileNameOf(path), TITLE_BYTES);
    else if (field == FIELD_GENRE)
        std::memcpy(out, "-1", 3);
    else
        out[0] = 0;
}

int ReadChannelStatus(const char* path, char* out, int source) {
    uint8_t info[TAVPLY_INFO_BYTES] = {0}, ext[TAVPLY_EXT_BYTES] = {0};
    if (!PlayerCheckInfo(path, info, ext)) {
        DefaultChannelStatus(nullptr, out);
        return 0;
    }
    const uint8_t* reported = ext + TAVPLY_EXT_CHANNEL_STATUS;
    if (reported[0] | reported[1] | reported[2] | reported[3]) {
        StoreStatus(reported, out);
        return 1;
    }
    if (ReadFieldFromPath(path, FIELD_CHANNEL_STATUS, source, out)) return 1;
    // No stored status: derive one from this file's own header bits.
    MediaInfo probed{};
    probed.copyBit = GetLe16(info + TAVPLY_INFO_COPYRIGHT);
    probed.origBit = GetLe16(info + TAVPLY_INFO_ORIGINAL);
    DefaultChannelStatus(GetLe32(info + TAVPLY_INFO_STREAM) == TAVPLY_STREAM_MPEG_AUDIO ? &probed : nullptr, out);
    return 0;
}

}  // namespace

void DefaultChannelStatus(const MediaInfo* probed, char* out) {
    if (!probed || !probed->copyBit)
        StoreStatus(DEFAULT_STATUS, out);
    else
        StoreStatus(probed->origBit ? COPYRIGHT_ORIG_STATUS : COPYRIGHT_STATUS, out);
}

int GetTitleField(const char* path, int field, char* bufferOut, int source) {
    if (!PathFound(path) || field < 0 || field >= TITLE_FIELD_COUNT) return 0;
    if (HasExtension(path, ".mid")) {
        if (field == FIELD_TITLE) {
            if (ReadMidiTitle(path, bufferOut)) return 1;
            StoreAbsent(path, field, bufferOut);
            return 0;
        }
        bufferOut[0] = 0;
        return 0;
    }
    if (field == FIELD_COPYRIGHT) return 1;
    if (field == FIELD_CHANNEL_STATUS) return ReadChannelStatus(path, bufferOut, source);
    if (ReadFieldFromPath(path, field, source, bufferOut)) return 1;
    StoreAbsent(path, field, bufferOut);
    return 0;
}
