// Writing titles: SetTitleField and the writers behind it. RIFF files get their "DISP" or
// single-field "LIST" chunk replaced in place (the rest of the file moves), MPEG files get their
// ID3v1 tag or the channel-status list of their title trailer rewritten.
#include <cstdlib>
#include <cstring>
#include <memory>
#include "media/id3v1.h"
#include "media/media_formats.h"
#include "media/titles.h"
#include "playback/playback_control.h"

namespace {

const uint32_t VALUE_BUFFER_BYTES = 256;   // values are copied into this, so text <= 255 chars
const uint32_t DISP_HEADER_BYTES = 12;     // "DISP", size, type 1
const uint32_t LIST_HEADER_BYTES = 20;     // "LIST", size, "INFO", id, n
const uint32_t GENRE_VALUE_BYTES = 2;      // genre number as 16-bit little-endian
const uint32_t MOVE_BUFFER_BYTES = 16384;  // two of these carry the tail of the file along
const uint32_t DISP_TEXT_TYPE = 1;
const uint32_t LIST_MIN_SIZE = 12;
const uint32_t COPY_BYTES = 16384;

// A chunk as it will be written: header, value, pad.
struct BuiltChunk {
    uint8_t bytes[LIST_HEADER_BYTES + VALUE_BUFFER_BYTES + 1];
    uint32_t length;  // bytes to write, pad included; 0 for an empty value (nothing written)
};

int IsEmptyValue(const char* value, int rawLength) { return !value || (rawLength <= 0 && !value[0]); }

// Builds the chunk of field for value (raw bytes when rawLength > 0, else text; the genre as
// decimal text becomes a 16-bit number).
void BuildChunk(int field, const char* value, int rawLength, BuiltChunk* out) {
    std::memset(out, 0, sizeof *out);
    if (IsEmptyValue(value, rawLength)) return;
    uint8_t data[VALUE_BUFFER_BYTES] = {0};
    uint32_t n;
    if (rawLength > 0) {
        n = uint32_t(rawLength) < VALUE_BUFFER_BYTES ? uint32_t(rawLength) : VALUE_BUFFER_BYTES;
        std::memcpy(data, value, n);
    } else if (field == FIELD_GENRE) {
        PutLe16(data, uint16_t(std::atoi(value)));
        n = GENRE_VALUE_BYTES;
    } else {
        size_t len = strnlen(value, VALUE_BUFFER_BYTES - 1);
        std::memcpy(data, value, len);
        n = uint32_t(len) + 1;
    }
    uint32_t padded = n + (n & 1);
    uint8_t* b = out->bytes;
    if (field == FIELD_TITLE) {
        std::memcpy(b, "DISP", 4);
        PutLe32(b + 4, n + 4);
        PutLe32(b + 8, DISP_TEXT_TYPE);
        std::memcpy(b + DISP_HEADER_BYTES, data, n);
        out->length = DISP_HEADER_BYTES + padded;
    } else {
        std::memcpy(b, "LIST", 4);
        PutLe32(b + 4, padded + 12);
        std::memcpy(b + 8, "INFO", 4);
        std::memcpy(b + 12, TitleFieldChunkId(field), 4);
        PutLe32(b + 16, n);
        std::memcpy(b + LIST_HEADER_BYTES, data, n);
        out->length = LIST_HEADER_BYTES + padded;
    }
}

// Copies count bytes from `from` to `to` (to <= from) in one file, front to back.
int MoveDown(const MediaFile* f, uint64_t from, uint64_t to, uint64_t count) {
    std::unique_ptr<uint8_t[]> buf(new uint8_t[COPY_BYTES]);
    while (count > 0) {
        uint32_t n = count < COPY_BYTES ? uint32_t(count) : COPY_BYTES;
        if (ReadMediaFile(f, from, buf.get(), n) != n || !WriteMediaFile(f, to, buf.get(), n)) return 0;
        from += n;
        to += n;
        count -= n;
    }
    return 1;
}

// Looks for the chunk that holds field in a RIFF "WAVE" file: 1 and its place when found.
// Only a list's first sub-chunk is looked at, so lists of other programs are never replaced.
int FindFieldChunk(const ByteReader* r, const RiffChunk* riff, int field, RiffChunk* chunkOut) {
    uint64_t cursor = 0;
    const char* id = field == FIELD_TITLE ? "DISP" : "LIST";
    while (FindNextChunk(r, riff, id, &cursor, chunkOut)) {
        uint8_t w[8];
        if (field == FIELD_TITLE) {
            if (chunkOut->size >= 4 && ReadAt(r, chunkOut->offset + CHUNK_HEADER_BYTES, w, 4) == 4 &&
                GetLe32(w) == DISP_TEXT_TYPE)
                return 1;
        } else if (chunkOut->size >= LIST_MIN_SIZE && ReadAt(r, chunkOut->offset + CHUNK_HEADER_BYTES, w, 8) == 8 &&
                   IsFourCc(w + 4, TitleFieldChunkId(field))) {
            return 1;
        }
    }
    return 0;
}

// The write itself, once the player has let go of the file.
int WriteField(const char* path, int field, const char* value, int rawLength) {
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    uint8_t head[PROBE_HEADER_BYTES];
    if (ReadAt(&r, 0, head, PROBE_HEADER_BYTES) != PROBE_HEADER_BYTES) return 0;
    if (IsFourCc(head, "MThd")) return 1;  // MIDI titles are never written
    if (!IsFourCc(head, "RIFF")) {
        CloseMediaFile(&g.file);
        int container;
        if (!GetTitleContainer(path, &container)) return 0;
        if (field <= FIELD_COMMENT) return WriteId3Field(path, field, value ? value : "");
        if (field == FIELD_CHANNEL_STATUS) return WriteTrailerChannelStatus(path, value, rawLength);
        return 0;
    }
    RiffChunk riff, chunk;
    if (!FindRiffForm(&r, "WAVE", &riff)) return 0;  // RMID files are read, never written
    uint64_t size = r.size;
    int found = FindFieldChunk(&r, &riff, field, &chunk);
    CloseMediaFile(&g.file);
    if (found) {
        uint64_t oldLength = CHUNK_HEADER_BYTES + uint64_t(chunk.size) + (chunk.size & 1);
        if (oldLength > size - chunk.offset) oldLength = size - chunk.offset;
        return RewriteRiffChunk(path, field, value, uint32_t(chunk.offset), uint32_t(oldLength), rawLength);
    }
    return RewriteRiffChunk(path, field, value, uint32_t(size), 0, rawLength);
}

}  // namespace

int SetTitleField(const char* path, int field, const char* value, int rawLength) {
    if (field < 0 || field >= TITLE_FIELD_COUNT) return 0;
    if (field == FIELD_COPYRIGHT) return 1;  // mapped, never written
    char loaded[PLAYBACK_PATH_BYTES] = "";
    int status = GetTrackStatus();
    int reopen = 0;
    if (status == TRACK_STOPPED) {
        GetTrackPath(loaded);
        CloseTrack();
        reopen = 1;
    } else if (status != TRACK_STATUS_UNKNOWN) {
        return 0;  // playing, paused, seeking, recording or still opening
    }
    int result = WriteField(path, field, value, rawLength);
    if (reopen) OpenTrack(loaded);
    return result;
}

int RewriteRiffChunk(const char* path, int field, const char* value, uint32_t position, uint32_t oldLength,
                     int rawLength) {
    BuiltChunk chunk;
    BuildChunk(field, value, rawLength, &chunk);
    MediaFileGuard g;
    // A file another program holds cannot be rewritten; callers check writability beforehand.
    if (!OpenMediaFile(path, MF_READ_WRITE_EXCLUSIVE, &g.file)) return 1;
    uint8_t header[CHUNK_HEADER_BYTES];
    uint32_t headerBytes = ReadMediaFile(&g.file, 0, header, CHUNK_HEADER_BYTES);
    // Read 32 KB of what follows the old chunk before anything is overwritten: the new chunk
    // outgrows the old one by at most 276 bytes, so the reads always stay ahead of the writes.
    std::unique_ptr<uint8_t[]> space(new uint8_t[2 * MOVE_BUFFER_BYTES]);
    uint8_t* buf[2] = {space.get(), space.get() + MOVE_BUFFER_BYTES};
    uint32_t len[2];
    uint64_t readPos = uint64_t(position) + oldLength;
    for (int i = 0; i < 2; i++) {
        len[i] = ReadMediaFile(&g.file, readPos, buf[i], MOVE_BUFFER_BYTES);
        readPos += len[i];
    }
    uint64_t writePos = position;
    if (chunk.length && WriteMediaFile(&g.file, writePos, chunk.bytes, chunk.length)) writePos += chunk.length;
    for (int next = 0; len[next] > 0; next ^= 1) {
        if (!WriteMediaFile(&g.file, writePos, buf[next], len[next])) break;
        writePos += len[next];
        len[next] = ReadMediaFile(&g.file, readPos, buf[next], MOVE_BUFFER_BYTES);
        readPos += len[next];
        if (len[next] == 0 && len[next ^ 1] == 0) break;
    }
    TruncateMediaFile(&g.file, writePos);
    if (headerBytes == CHUNK_HEADER_BYTES && IsFourCc(header, "RIFF")) {
        PutLe32(header + 4, GetLe32(header + 4) + chunk.length - oldLength);
        WriteMediaFile(&g.file, 0, header, CHUNK_HEADER_BYTES);
    }
    return 1;
}

int WriteTrailerChannelStatus(const char* path, const char* value, int rawLength) {
    int container;
    if (!GetTitleContainer(path, &container)) return 0;
    BuiltChunk chunk;
    std::memset(&chunk, 0, sizeof chunk);
    if (!IsEmptyValue(value, rawLength)) {
        // The status is always four bytes, whatever length the caller gave.
        char status[CHANNEL_STATUS_LEN] = {0};
        uint32_t n = rawLength > 0 ? uint32_t(rawLength) : uint32_t(strnlen(value, CHANNEL_STATUS_LEN));
        std::memcpy(status, value, n < uint32_t(CHANNEL_STATUS_LEN) ? n : uint32_t(CHANNEL_STATUS_LEN));
        BuildChunk(FIELD_CHANNEL_STATUS, status, CHANNEL_STATUS_LEN, &chunk);
    }
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ_WRITE_SHARED, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    uint64_t areaStart, footer, writePos = r.size;
    if (LocateTrailer(&r, 0, &areaStart, &footer)) {
        // Keep every chunk but the old channel-status list, each followed by its pad byte.
        uint64_t pos = areaStart;
        writePos = areaStart;
        uint8_t h[RIFF_HEADER_BYTES];
        while (pos + CHUNK_HEADER_BYTES <= footer) {
            if (ReadAt(&r, pos, h, RIFF_HEADER_BYTES) < CHUNK_HEADER_BYTES) break;
            if (h[0] == 0) {  // a stray pad byte
                pos++;
                continue;
            }
            uint32_t size = GetLe32(h + 4);
            uint64_t end = pos + CHUNK_HEADER_BYTES + uint64_t(size);
            if (end > footer) break;  // runs into the footer: the trailer ends here
            int drop = IsFourCc(h, "LIST") && size >= LIST_MIN_SIZE && pos + 16 <= footer &&
                       ReadAt(&r, pos + 12, h, 4) == 4 && IsFourCc(h, "CHST");
            if (!drop) {
                if (!MoveDown(&g.file, pos, writePos, end - pos)) return 0;
                writePos += end - pos;
                if (size & 1) {
                    const uint8_t zero = 0;
                    if (!WriteMediaFile(&g.file, writePos, &zero, 1)) return 0;
                    writePos++;
                }
            }
            pos = end + (size & 1);
        }
    }
    uint64_t kept = writePos == r.size ? 0 : writePos - areaStart;
    if (chunk.length && !WriteMediaFile(&g.file, writePos, chunk.bytes, chunk.length)) return 0;
    writePos += chunk.length;
    uint8_t foot[TRAILER_FOOTER_BYTES];
    PutLe32(foot, uint32_t(kept + chunk.length));
    std::memcpy(foot + 4, "MEXT", 4);
    if (!WriteMediaFile(&g.file, writePos, foot, TRAILER_FOOTER_BYTES)) return 0;
    return TruncateMediaFile(&g.file, writePos + TRAILER_FOOTER_BYTES);
}

int ReduceTitleTrailer(const char* path) {
    char status[CHANNEL_STATUS_FIELD_BYTES];
    BuiltChunk minimal;
    std::memset(&minimal, 0, sizeof minimal);
    if (GetTitleField(path, FIELD_CHANNEL_STATUS, status, SOURCE_TRAILER)) {
        BuildChunk(FIELD_CHANNEL_STATUS, status, CHANNEL_STATUS_LEN, &minimal);
        PutLe32(minimal.bytes + minimal.length, minimal.length);
        std::memcpy(minimal.bytes + minimal.length + 4, "MEXT", 4);
        minimal.length += TRAILER_FOOTER_BYTES;
    }
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ_WRITE_SHARED, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    uint64_t areaStart, footer;
    if (!LocateTrailer(&r, 1, &areaStart, &footer)) return 0;
    uint8_t tag[ID3_TAG_BYTES];
    if (ReadAt(&r, r.size - ID3_TAG_BYTES, tag, ID3_TAG_BYTES) != ID3_TAG_BYTES) return 0;
    uint64_t pos = areaStart;
    if (minimal.length && !WriteMediaFile(&g.file, pos, minimal.bytes, minimal.length)) return 0;
    pos += minimal.length;
    if (!WriteMediaFile(&g.file, pos, tag, ID3_TAG_BYTES)) return 0;
    TruncateMediaFile(&g.file, pos + ID3_TAG_BYTES);
    return 1;
}
