// Writing titles: SetTitleField and the writers behind it. RIFF files get their "DISP" or
// "LIST" chunk replaced (or a new one added at the end of the RIFF body), MPEG files get their
// ID3v1 tag or the channel-status list of their title trailer rewritten. Every change goes
// through ApplySplice (file_splice.h): it completes or leaves the file as it was.
#include <cstdlib>
#include <cstring>
#include <vector>
#include "media/file_splice.h"
#include "media/id3v1.h"
#include "media/media_probe.h"
#include "media/riff_chunks.h"
#include "media/title_readers.h"
#include "media/titles.h"

namespace {

const uint32_t VALUE_BUFFER_BYTES = 256;  // values are copied into this, so text <= 255 chars
const uint32_t DISP_HEADER_BYTES = 12;    // "DISP", size, type 1
const uint32_t LIST_HEADER_BYTES = 20;    // "LIST", size, "INFO", id, n
const uint32_t SUB_HEADER_BYTES = 8;      // id, n
const uint32_t GENRE_VALUE_BYTES = 2;     // genre number as 16-bit little-endian
const uint64_t RIFF_SIZE_MAX = 0xFFFFFFFFu;

typedef std::vector<uint8_t> Bytes;

uint64_t Padded(uint32_t n) { return uint64_t(n) + (n & 1); }

void PutId(Bytes* b, const char* id) { b->insert(b->end(), id, id + 4); }
void PutWord(Bytes* b, uint32_t v) {
    uint8_t w[4];
    PutLe32(w, v);
    b->insert(b->end(), w, w + 4);
}

int IsEmptyValue(const char* value, int rawLength) { return !value || (rawLength <= 0 && !value[0]); }

// The value bytes of field as written: raw bytes, the genre as a 16-bit number, or the text
// with its zero. Empty when the value is empty.
Bytes ValueBytes(int field, const char* value, int rawLength) {
    Bytes v;
    if (IsEmptyValue(value, rawLength)) return v;
    if (rawLength > 0) {
        uint32_t n = uint32_t(rawLength) < VALUE_BUFFER_BYTES ? uint32_t(rawLength) : VALUE_BUFFER_BYTES;
        v.assign(value, value + n);
    } else if (field == FIELD_GENRE) {
        v.resize(GENRE_VALUE_BYTES);
        PutLe16(v.data(), uint16_t(std::atoi(value)));
    } else {
        size_t len = strnlen(value, VALUE_BUFFER_BYTES - 1);
        v.assign(value, value + len);
        v.push_back(0);
    }
    return v;
}

// A sub-chunk (id, n, value, pad). `room`, when larger than the value, is the n written, the
// value zero-filled to it: a shorter value then keeps the old chunk's size.
void PutSubChunk(Bytes* b, const char* id, const Bytes& value, uint32_t room) {
    uint32_t n = uint32_t(value.size()) > room ? uint32_t(value.size()) : room;
    PutId(b, id);
    PutWord(b, n);
    b->insert(b->end(), value.begin(), value.end());
    b->resize(b->size() + (Padded(n) - value.size()), 0);
}

// The whole chunk of field for a value (nothing for an empty one), laid out as this program
// writes it: "DISP" with type 1, or a single-field "LIST"/"INFO".
Bytes BuildChunk(int field, const Bytes& value, uint32_t room) {
    Bytes b;
    if (value.empty()) return b;
    if (field == FIELD_TITLE) {
        uint32_t n = uint32_t(value.size()) > room ? uint32_t(value.size()) : room;
        PutId(&b, "DISP");
        PutWord(&b, n + 4);
        PutWord(&b, DISP_TEXT_TYPE);
        b.insert(b.end(), value.begin(), value.end());
        b.resize(DISP_HEADER_BYTES + Padded(n), 0);
    } else {
        Bytes sub;
        PutSubChunk(&sub, TitleFieldChunkId(field), value, room);
        PutId(&b, "LIST");
        PutWord(&b, uint32_t(sub.size()) + 4);
        PutId(&b, "INFO");
        b.insert(b.end(), sub.begin(), sub.end());
    }
    return b;
}

// The replacement for the field's chunk found at plan->chunk. A title that fits the old chunk
// keeps its size (zero-filled), so the write stays in place and takes constant time; a list
// that holds more items than ours keeps them behind our item, byte for byte.
int BuildReplacement(const ByteReader* r, const RiffWritePlan* plan, int field, const Bytes& value, Bytes* out) {
    const RiffChunk& c = plan->chunk;
    uint8_t head[LIST_HEADER_BYTES];
    if (ReadAt(r, c.offset, head, LIST_HEADER_BYTES) < DISP_HEADER_BYTES) return 0;
    if (field == FIELD_TITLE) {
        uint32_t room = c.size - 4;
        int fits = !plan->chunkIsLast && value.size() <= room && room <= SPLICE_IN_PLACE_MAX_BYTES;
        *out = BuildChunk(field, value, fits ? room : 0);
        return 1;
    }
    // Offsets from the list type on: our item ends at itemsEnd, the list at c.size.
    uint32_t subSize = GetLe32(head + 16);
    uint64_t itemsEnd = 4 + SUB_HEADER_BYTES + uint64_t(subSize) + (subSize & 1);
    uint64_t listEnd = c.size;
    if (itemsEnd >= listEnd) {  // our item alone (or a list cut short): the list is ours
        int fits = !plan->chunkIsLast && itemsEnd == listEnd && value.size() <= subSize &&
                   subSize <= SPLICE_IN_PLACE_MAX_BYTES;
        *out = BuildChunk(field, value, fits ? subSize : 0);
        return 1;
    }
    uint64_t restLength = listEnd - itemsEnd;
    if (restLength > SPLICE_IN_PLACE_MAX_BYTES) return 0;
    Bytes rest(size_t(restLength), 0);
    if (ReadAt(r, c.offset + CHUNK_HEADER_BYTES + itemsEnd, rest.data(), uint32_t(restLength)) != restLength) return 0;
    Bytes items;
    uint32_t room = value.size() <= subSize && subSize <= SPLICE_IN_PLACE_MAX_BYTES ? subSize : 0;
    if (!value.empty()) PutSubChunk(&items, TitleFieldChunkId(field), value, room);
    items.insert(items.end(), rest.begin(), rest.end());
    out->clear();
    PutId(out, "LIST");
    PutWord(out, uint32_t(items.size()) + 4);
    out->insert(out->end(), head + 8, head + 12);  // the list type as it was
    out->insert(out->end(), items.begin(), items.end());
    if (out->size() & 1) out->push_back(0);
    return 1;
}

int Refuse(int failure) {
    SetTitleWriteFailure(failure);
    return 0;
}

// Replaces the field's chunk of a RIFF "WAVE" file, or adds one at the end of the RIFF body
// (not of the file: an ID3v1 tag or other data behind the body stays behind it), and sets the
// RIFF size from the new body.
int RewriteRiffChunk(const char* path, int field, const char* value, int rawLength) {
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ_WRITE_EXCLUSIVE, &g.file)) return Refuse(WRITE_FAILED_OPEN);
    ByteReader r = FileReader(&g.file);
    RiffWritePlan plan;
    int planned = PlanRiffWrite(&r, field, &plan);
    if (planned != PLAN_OK) return Refuse(planned == PLAN_NOT_WAVE ? WRITE_FAILED_REFUSED : WRITE_FAILED_CORRUPT);
    Bytes value_ = ValueBytes(field, value, rawLength), insert;
    uint64_t bodyEnd = plan.walkEnd < r.size ? plan.walkEnd : r.size;
    Splice s{};
    if (plan.found) {
        if (!BuildReplacement(&r, &plan, field, value_, &insert)) return Refuse(WRITE_FAILED_CORRUPT);
        uint64_t end = plan.chunk.offset + CHUNK_HEADER_BYTES + Padded(plan.chunk.size);
        s.cutStart = plan.chunk.offset;
        s.cutEnd = end < r.size ? end : r.size;  // the last chunk may lack its pad byte
        s.tailIsTitleData = plan.chunkIsLast;
    } else {
        insert = BuildChunk(field, value_, 0);
        if (insert.empty()) return 1;                                 // nothing to remove
        if (plan.walkEnd > r.size) insert.insert(insert.begin(), 0);  // the missing pad byte
        s.cutStart = s.cutEnd = bodyEnd;
        s.tailIsTitleData = 1;
    }
    s.insert = insert.data();
    s.insertLength = uint32_t(insert.size());
    // A chunk that keeps its length leaves the RIFF size alone (a file too big for any RIFF
    // size still takes a title that fits). Otherwise the size is set from the new body, so a
    // size never filled in gets its value, and one that would pass 32 bits is refused.
    if (s.insertLength != s.cutEnd - s.cutStart) {
        uint64_t newBodyEnd = bodyEnd - (s.cutEnd - s.cutStart) + insert.size();
        uint64_t riffSize = newBodyEnd - plan.riff.offset - CHUNK_HEADER_BYTES;
        if (riffSize > RIFF_SIZE_MAX) return Refuse(WRITE_FAILED_TOO_BIG);
        s.patchAt = plan.riff.offset + 4;
        PutLe32(s.patch, uint32_t(riffSize));
        s.patchLength = 4;
    }
    return ApplySplice(path, &g.file, &s);
}

// The writes themselves, once the player has let go of the file.
int WriteField(const char* path, int field, const char* value, int rawLength) {
    uint8_t head[PROBE_HEADER_BYTES];
    {
        MediaFileGuard g;
        if (!OpenMediaFile(path, MF_READ, &g.file)) return Refuse(WRITE_FAILED_OPEN);
        ByteReader r = FileReader(&g.file);
        if (ReadAt(&r, 0, head, PROBE_HEADER_BYTES) != PROBE_HEADER_BYTES) return Refuse(WRITE_FAILED_REFUSED);
    }
    SetTitleWriteFailure(WRITE_OK);
    if (IsFourCc(head, "MThd")) return 1;  // MIDI titles are never written
    if (IsFourCc(head, "RIFF")) return RewriteRiffChunk(path, field, value, rawLength);  // RMID refused there
    int container;
    if (!GetTitleContainer(path, &container)) return Refuse(WRITE_FAILED_OPEN);
    if (field <= FIELD_COMMENT) return WriteId3Field(path, field, value ? value : "");
    if (field == FIELD_CHANNEL_STATUS) return WriteTrailerChannelStatus(path, value, rawLength);
    return Refuse(WRITE_FAILED_REFUSED);
}

// A trailer's chunk area checked against its footer: every chunk (stray zero bytes between
// them allowed) must have a four-letter id and end inside the area, the last one exactly at
// the footer. A footer whose length was damaged fails this and is never trusted.
int TrailerIsWhole(const ByteReader* r, uint64_t areaStart, uint64_t footer, Bytes* areaOut) {
    uint64_t length = footer - areaStart;
    if (length > SPLICE_IN_PLACE_MAX_BYTES) return 0;
    areaOut->assign(size_t(length), 0);
    if (length && ReadAt(r, areaStart, areaOut->data(), uint32_t(length)) != length) return 0;
    const uint8_t* a = areaOut->data();
    uint64_t pos = 0;
    while (pos < length) {
        if (a[pos] == 0) {
            pos++;
            continue;
        }
        if (pos + CHUNK_HEADER_BYTES > length) return 0;
        for (int i = 0; i < 4; i++)
            if (a[pos + i] < 0x20 || a[pos + i] > 0x7E) return 0;
        uint64_t end = pos + CHUNK_HEADER_BYTES + GetLe32(a + pos + 4);
        if (end > length) return 0;
        pos = end;
    }
    return 1;
}

// The chunks of a whole trailer area that a status write keeps: all but the channel-status
// lists, each followed by its pad byte when its size is odd.
Bytes KeptTrailerChunks(const Bytes& area) {
    Bytes kept;
    const uint8_t* a = area.data();
    size_t pos = 0;
    while (pos < area.size()) {
        if (a[pos] == 0) {
            pos++;
            continue;
        }
        uint32_t size = GetLe32(a + pos + 4);
        size_t end = pos + CHUNK_HEADER_BYTES + size;
        int drop = IsFourCc(a + pos, "LIST") && size >= 12 && IsFourCc(a + pos + 12, "CHST");
        if (!drop) {
            kept.insert(kept.end(), a + pos, a + end);
            if (size & 1) kept.push_back(0);
        }
        pos = end;
    }
    return kept;
}

void PutFooter(Bytes* b, uint32_t areaLength) {
    PutWord(b, areaLength);
    PutId(b, "MEXT");
}

int HasTagAtEnd(const ByteReader* r, uint8_t* tagOut) {
    return r->size >= ID3_TAG_BYTES && ReadAt(r, r->size - ID3_TAG_BYTES, tagOut, ID3_TAG_BYTES) == ID3_TAG_BYTES &&
           std::memcmp(tagOut, "TAG", 3) == 0;
}

}  // namespace

int SetTitleField(const char* path, int field, const char* value, int rawLength) {
    if (field < 0 || field >= TITLE_FIELD_COUNT) return 0;
    if (field == FIELD_COPYRIGHT) return 1;  // mapped, never written
    return WriteField(path, field, value, rawLength);
}

int WriteTrailerChannelStatus(const char* path, const char* value, int rawLength) {
    int container;
    if (!GetTitleContainer(path, &container)) return Refuse(WRITE_FAILED_OPEN);
    Bytes list;
    if (!IsEmptyValue(value, rawLength)) {
        // The status is always four bytes, whatever length the caller gave.
        char status[CHANNEL_STATUS_LEN] = {0};
        uint32_t n = rawLength > 0 ? uint32_t(rawLength) : uint32_t(strnlen(value, CHANNEL_STATUS_LEN));
        std::memcpy(status, value, n < uint32_t(CHANNEL_STATUS_LEN) ? n : uint32_t(CHANNEL_STATUS_LEN));
        list = BuildChunk(FIELD_CHANNEL_STATUS, Bytes(status, status + CHANNEL_STATUS_LEN), 0);
    }
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ_WRITE_SHARED, &g.file)) return Refuse(WRITE_FAILED_OPEN);
    ByteReader r = FileReader(&g.file);
    uint8_t tag[ID3_TAG_BYTES];
    int tagged = HasTagAtEnd(&r, tag);
    uint64_t areaStart, footer;
    Bytes area, insert;
    Splice s{};
    s.tailIsTitleData = 1;
    // Where the trailer goes: over the one at the end, over the one before an ID3v1 tag, or a
    // new one before the tag (where readers look for it) or at the end of the file.
    if (LocateTrailer(&r, 0, &areaStart, &footer)) {
        if (!TrailerIsWhole(&r, areaStart, footer, &area)) return Refuse(WRITE_FAILED_CORRUPT);
        s.cutStart = areaStart;
        tagged = 0;
    } else if (tagged && LocateTrailer(&r, 1, &areaStart, &footer)) {
        if (!TrailerIsWhole(&r, areaStart, footer, &area)) return Refuse(WRITE_FAILED_CORRUPT);
        s.cutStart = areaStart;
    } else {
        s.cutStart = tagged ? r.size - ID3_TAG_BYTES : r.size;
    }
    insert = KeptTrailerChunks(area);
    insert.insert(insert.end(), list.begin(), list.end());
    PutFooter(&insert, uint32_t(insert.size()));
    if (tagged) insert.insert(insert.end(), tag, tag + ID3_TAG_BYTES);
    s.cutEnd = r.size;
    s.insert = insert.data();
    s.insertLength = uint32_t(insert.size());
    return ApplySplice(path, &g.file, &s);
}

int ReduceTitleTrailer(const char* path) {
    char status[CHANNEL_STATUS_FIELD_BYTES];
    Bytes insert;
    if (GetTitleField(path, FIELD_CHANNEL_STATUS, status, SOURCE_TRAILER)) {
        insert = BuildChunk(FIELD_CHANNEL_STATUS, Bytes(status, status + CHANNEL_STATUS_LEN), 0);
        PutFooter(&insert, uint32_t(insert.size()));
    }
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ_WRITE_SHARED, &g.file)) return Refuse(WRITE_FAILED_OPEN);
    ByteReader r = FileReader(&g.file);
    uint64_t areaStart, footer;
    uint8_t tag[ID3_TAG_BYTES];
    Bytes area;
    if (!HasTagAtEnd(&r, tag) || !LocateTrailer(&r, 1, &areaStart, &footer)) return Refuse(WRITE_FAILED_REFUSED);
    if (!TrailerIsWhole(&r, areaStart, footer, &area)) return Refuse(WRITE_FAILED_CORRUPT);
    insert.insert(insert.end(), tag, tag + ID3_TAG_BYTES);
    Splice s{};
    s.cutStart = areaStart;
    s.cutEnd = r.size;
    s.insert = insert.data();
    s.insertLength = uint32_t(insert.size());
    s.tailIsTitleData = 1;
    return ApplySplice(path, &g.file, &s);
}
