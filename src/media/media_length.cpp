// Playing time read from the file itself: WAVE from its chunks, Standard MIDI (and RMID) from
// the tempo map. The native media window answers with these; they are bounded like every
// reader here, so corrupt files give some length or 0, never a hang.
#include <algorithm>
#include "media/media_formats.h"

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
