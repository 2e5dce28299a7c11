// Byte sources for the stream layout and the PCM source: a file read through standard C I/O,
// or bytes already in memory. Everything above reads through MpaReader, so the decoder never
// needs more of a file than its head, its tail and a small window over the frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

struct MpaReader {
    void* context;                                                             // the file or the bytes
    uint64_t size;                                                             // total bytes
    size_t (*read)(void* context, uint64_t offset, uint8_t* out, size_t len);  // bytes read
};

// A reader over data[0..size) (not copied; must outlive the reader).
MpaReader MpaMemoryReader(const uint8_t* data, size_t size);

// A reader over an open file (not closed by the reader). Returns 0 when its size is unknown.
int MpaFileReader(FILE* file, MpaReader* out);

// Reads len bytes at offset, fewer at the end of the data. Returns the count read.
size_t MpaRead(const MpaReader* r, uint64_t offset, uint8_t* out, size_t len);

enum : size_t {
    MPA_WINDOW_BYTES = 65536,  // bytes the decoder's frame window reads at a time
    MPA_WINDOW_SPAN = 4096,    // the most one lookup may ask for (a whole frame fits)
};

// A sliding window over [0, end) of a reader: the frame walk and the decoder look at a few
// frames at a time, and the window refills from the reader as they move on.
struct MpaWindow {
    const MpaReader* reader;
    uint64_t end;              // nothing at or beyond this offset is visible
    uint64_t start;            // file offset of buf[0]
    size_t length;             // valid bytes in buf
    std::vector<uint8_t> buf;  // one refill (at least MPA_WINDOW_SPAN)
};

// Starts a window over [0, end) of r that reads `chunk` bytes at a time.
void MpaWindowInit(MpaWindow* w, const MpaReader* r, uint64_t end, size_t chunk);

// Pointer to the bytes at [offset, offset + len) (len at most MPA_WINDOW_SPAN), or nullptr
// when they reach past the end. *availOut (if given) gets the bytes readable there, up to
// the window's end.
const uint8_t* MpaWindowAt(MpaWindow* w, uint64_t offset, size_t len, size_t* availOut = nullptr);
