// Standard MIDI files (see midi_reader.h): the playing time from the tempo map, which the native
// media window answers with, and the title scan of the first track.
#include "media/midi_reader.h"
#include <algorithm>
#include <cstring>
#include "base/bounded_copy.h"
#include "base/byte_order.h"
#include "media/riff_chunks.h"
#include "media/titles.h"

namespace {

const uint32_t MIDI_DEFAULT_TEMPO = 500000;  // microseconds per quarter note until a tempo event
const int MIDI_MAX_TEMPOS = 2048;            // tempo changes kept; later ones are ignored
const uint32_t MIDI_HEADER_MIN_BYTES = 6;    // format, track count, division
const uint32_t CURSOR_CACHE_BYTES = 4096;

// Sequential reads through a small cache, so the byte-wise MIDI walk does not hit the file for
// every byte. Reads past `end` give 0 and set `eof`.
struct ByteCursor {
    const ByteReader* r;
    uint64_t pos, end;
    uint64_t cacheStart;
    uint32_t cacheLen;
    uint8_t cache[CURSOR_CACHE_BYTES];
    int eof;
};

void InitCursor(ByteCursor* c, const ByteReader* r, uint64_t pos, uint64_t end) {
    c->r = r;
    c->pos = pos;
    c->end = end < r->size ? end : r->size;
    c->cacheStart = 0;
    c->cacheLen = 0;
    c->eof = 0;
}

uint8_t NextByte(ByteCursor* c) {
    if (c->pos >= c->end) {
        c->eof = 1;
        return 0;
    }
    if (c->pos < c->cacheStart || c->pos >= c->cacheStart + c->cacheLen) {
        c->cacheStart = c->pos;
        c->cacheLen = ReadAt(c->r, c->pos, c->cache, CURSOR_CACHE_BYTES);
        if (c->cacheLen == 0) {
            c->eof = 1;
            return 0;
        }
    }
    return c->cache[c->pos++ - c->cacheStart];
}

// Variable-length quantity of at most four bytes.
uint32_t NextVarLen(ByteCursor* c) {
    uint32_t v = 0;
    for (int i = 0; i < 4; i++) {
        uint8_t b = NextByte(c);
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80)) break;
    }
    return v;
}

struct TempoChange {
    uint64_t tick;
    uint32_t usPerQuarter;
};

struct TempoMap {
    TempoChange changes[MIDI_MAX_TEMPOS];
    int count;
    uint64_t endTick;  // the latest track end
};

// Walks one track's events, noting tempo changes and where the track ends.
void WalkTrack(ByteCursor* c, TempoMap* map) {
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!c->eof && c->pos < c->end) {
        tick += NextVarLen(c);
        uint8_t status = NextByte(c);
        if (c->eof) break;
        if (status == MIDI_META_EVENT) {
            uint8_t type = NextByte(c);
            uint32_t len = NextVarLen(c);
            if (type == MIDI_META_TEMPO && len == 3) {
                // One read per statement: the operands of '|' may be evaluated in any order.
                uint32_t us = uint32_t(NextByte(c)) << 16;
                us |= uint32_t(NextByte(c)) << 8;
                us |= NextByte(c);
                if (map->count < MIDI_MAX_TEMPOS && us > 0) map->changes[map->count++] = {tick, us};
            } else {
                c->pos += len;
            }
            if (type == MIDI_META_END_OF_TRACK) break;
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            c->pos += NextVarLen(c);
            continue;
        }
        uint32_t dataBytes;
        if (status & 0x80) {
            running = status;
            dataBytes = ((status & 0xE0) == 0xC0) ? 1 : 2;
        } else {
            if (!running) break;                             // data without a status: not a track we can follow
            dataBytes = ((running & 0xE0) == 0xC0) ? 0 : 1;  // the status byte was the first data byte
        }
        if (status >= 0xF1 && status <= 0xFE) dataBytes = (status == 0xF2) ? 2 : (status == 0xF3) ? 1 : 0;
        c->pos += dataBytes;
    }
    if (tick > map->endTick) map->endTick = tick;
}

uint64_t TicksToMs(const TempoMap* map, uint16_t division) {
    if (division & 0x8000) {  // SMPTE frames per second and ticks per frame
        int fps = -int(int8_t(division >> 8));
        uint32_t perFrame = division & 0xFF;
        if (fps <= 0 || perFrame == 0) return 0;
        double framesPerSec = fps == 29 ? 29.97 : double(fps);
        return uint64_t(double(map->endTick) * 1000.0 / (framesPerSec * perFrame));
    }
    if (division == 0) return 0;
    double us = 0;
    uint64_t lastTick = 0;
    uint32_t tempo = MIDI_DEFAULT_TEMPO;
    for (int i = 0; i < map->count && map->changes[i].tick < map->endTick; i++) {
        us += double(map->changes[i].tick - lastTick) * tempo / division;
        lastTick = map->changes[i].tick;
        tempo = map->changes[i].usPerQuarter;
    }
    us += double(map->endTick - lastTick) * tempo / division;
    return uint64_t(us / 1000.0);
}

}  // namespace

int MidiLengthMs(const ByteReader* r, uint32_t* msOut) {
    *msOut = 0;
    uint64_t base = 0, limit = r->size;
    RiffChunk riff, data;
    uint64_t cursor = 0;
    if (FindRiffForm(r, "RMID", &riff)) {
        if (!FindNextChunk(r, &riff, "data", &cursor, &data)) return 0;
        base = data.offset + CHUNK_HEADER_BYTES;
        limit = std::min<uint64_t>(base + data.size, r->size);
    }
    uint8_t head[14];
    if (ReadAt(r, base, head, sizeof head) != sizeof head || !IsFourCc(head, "MThd")) return 0;
    uint32_t headerLen = GetBe32(head + 4);
    if (headerLen < MIDI_HEADER_MIN_BYTES) return 0;
    uint16_t tracks = GetBe16(head + 10);
    uint16_t division = GetBe16(head + 12);
    TempoMap map;
    map.count = 0;
    map.endTick = 0;
    uint64_t pos = base + CHUNK_HEADER_BYTES + headerLen;
    ByteCursor c;
    for (uint32_t t = 0; t < tracks; t++) {
        uint8_t th[CHUNK_HEADER_BYTES];
        if (pos >= limit || ReadAt(r, pos, th, sizeof th) != sizeof th) break;
        uint32_t len = GetBe32(th + 4);
        uint64_t start = pos + CHUNK_HEADER_BYTES;
        pos = start + len;
        if (!IsFourCc(th, "MTrk")) {  // alien chunks are skipped and do not count as tracks
            t--;
            continue;
        }
        InitCursor(&c, r, start, std::min<uint64_t>(start + len, limit));
        WalkTrack(&c, &map);
    }
    std::stable_sort(map.changes, map.changes + map.count,
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    uint64_t ms = TicksToMs(&map, division);
    *msOut = ms > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(ms);
    return 1;
}

int ScanMidiTitle(const ByteReader* r, char* titleOut) {
    titleOut[0] = 0;
    static_assert(MIDI_WINDOW_BYTES - MIDI_WINDOW_STEP >= 6 + 255, "a meta text must fit the window overlap");
    uint8_t win[MIDI_WINDOW_BYTES];
    char copyright[TITLE_BYTES] = "", text[TITLE_BYTES] = "";
    int haveCopyright = 0, haveText = 0, tracks = 0;
    for (uint64_t start = 0;; start += MIDI_WINDOW_STEP) {
        uint32_t got = ReadAt(r, start, win, MIDI_WINDOW_BYTES);
        uint32_t positions = got < uint32_t(MIDI_WINDOW_STEP) ? got : uint32_t(MIDI_WINDOW_STEP);
        for (uint32_t p = 0; p < positions; p++) {
            if (p + 4 <= got && IsFourCc(win + p, "MTrk") && ++tracks == 2) {
                if (haveCopyright)
                    std::memcpy(titleOut, copyright, TITLE_BYTES);
                else if (haveText)
                    std::memcpy(titleOut, text, TITLE_BYTES);
                return haveCopyright || haveText;
            }
            if (win[p] != MIDI_META_EVENT || p + 2 >= got) continue;
            uint8_t type = win[p + 1];
            // The length is a variable-length number (a text of 128 bytes or more takes two
            // bytes of it); only the first 255 bytes of a text are kept.
            uint32_t at = p + 2, len = 0;
            for (int i = 0; i < 4 && at < got; i++) {
                uint8_t b = win[at++];
                len = (len << 7) | (b & 0x7F);
                if (!(b & 0x80)) break;
            }
            uint32_t avail = got - at;
            if (len > avail) len = avail;
            if (len > TITLE_BYTES - 1) len = TITLE_BYTES - 1;
            const uint8_t* body = win + at;
            if (type == MIDI_META_TRACK_NAME) {
                CopyBounded(titleOut, TITLE_BYTES, (const char*)body, len);
                return 1;
            }
            if (type == MIDI_META_COPYRIGHT && !haveCopyright) {
                CopyBounded(copyright, TITLE_BYTES, (const char*)body, len);
                haveCopyright = 1;
            } else if (type == MIDI_META_TEXT && !haveCopyright) {
                CopyBounded(text, TITLE_BYTES, (const char*)body, len);
                haveText = 1;
            }
        }
        if (got <= MIDI_WINDOW_STEP) return 0;  // the file ended before a second track
    }
}
