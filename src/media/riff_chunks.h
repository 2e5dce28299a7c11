// RIFF chunks: finding a form and the chunks inside it, with every size checked against the
// bytes there are, the plan of a title write into a "WAVE" file, and a WAVE's length from its
// chunks. On a ByteReader (a file or a memory buffer), so it is tested on memory and fuzzed.
#pragma once
#include <cstdint>
#include "media/media_file.h"

enum {
    RIFF_HEADER_BYTES = 12,  // "RIFF", size, form type
    CHUNK_HEADER_BYTES = 8,  // id, size
};

// Headers read through one block, so a walk over many small chunks (a file full of zeros is one
// of 8-byte empty chunks, or of stray pad bytes) does not cost a file read per step.
struct HeaderWindow {
    uint8_t block[4096];
    uint64_t start = 0;
    uint32_t length = 0;
};
// The `bytes` bytes at pos (at most 4096), or null when fewer than that are there.
const uint8_t* HeaderAt(HeaderWindow* w, const ByteReader* r, uint64_t pos, uint32_t bytes);

// A chunk found inside a RIFF file: where its header starts and its size field.
struct RiffChunk {
    uint64_t offset;  // of the chunk's 8-byte header
    uint32_t size;    // size field (data bytes, pad excluded)
};

// Finds the top-level RIFF chunk of the given form ("WAVE", "RMID"); 1 when found. The body
// runs from offset + 12 to the end of the chunk, clamped to the bytes that exist.
int FindRiffForm(const ByteReader* r, const char* form, RiffChunk* riffOut);
// Next chunk with the given id inside riff's body, starting the search at *cursor (0 = the first
// chunk); *cursor moves behind the chunk found. 1 when found.
int FindNextChunk(const ByteReader* r, const RiffChunk* riff, const char* id, uint64_t* cursor, RiffChunk* chunkOut);
// End of riff's body in the reader (its declared end, clamped to the data there is).
uint64_t RiffBodyEnd(const ByteReader* r, const RiffChunk* riff);

// The first data word of a title "DISP" chunk (a text title; other types hold other data), and
// the smallest "LIST" body a title item can sit in (list type, one sub-chunk header).
const uint32_t DISP_TEXT_TYPE = 1;
const uint32_t LIST_MIN_SIZE = 12;

// What a title write needs to know about a RIFF "WAVE" file, from one walk over its body that
// checks every chunk size against the file.
struct RiffWritePlan {
    RiffChunk riff;
    uint64_t walkEnd;  // padded end of the last chunk: where a new chunk goes (may be size + 1
                       // when the last chunk lacks its pad byte at the end of the file)
    int found;         // the field's chunk (a "DISP" of type 1, or a "LIST" whose first
    RiffChunk chunk;   // sub-chunk has the field's id): the first one in the body
    int chunkIsLast;   // nothing of the body follows it
};
enum {
    PLAN_OK = 1,
    PLAN_NOT_WAVE = 0,  // no RIFF "WAVE" chunk
    PLAN_CORRUPT = -1,  // a chunk runs past the end of the file
};
// PLAN_OK, PLAN_NOT_WAVE or PLAN_CORRUPT.
int PlanRiffWrite(const ByteReader* r, int field, RiffWritePlan* planOut);

// A WAVE file's playing time from "fmt " and "data" (the native media window's answer); 1 when
// the file was understood.
int WaveLengthMs(const ByteReader* r, uint32_t* msOut);
