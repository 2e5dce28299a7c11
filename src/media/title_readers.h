// The title readers behind GetTitleField, on a ByteReader: values of RIFF "DISP" and
// "LIST"/"INFO" chunks, and of the title trailer at the end of MPEG files (or before their
// ID3v1 tag), found by its "MEXT" footer.
#pragma once
#include <cstdint>
#include "media/media_file.h"

enum { TRAILER_FOOTER_BYTES = 8 };  // chunk-area length, "MEXT"

// A title value as found: bytes and their count (text without its zero; raw bytes).
struct FoundValue {
    uint8_t bytes[256];
    uint32_t length;
};

// Chunk reader over a RIFF "WAVE" or "RMID" file: field's value, at most maxLength bytes.
int ReadRiffTitleValue(const ByteReader* r, int field, uint32_t maxLength, FoundValue* valueOut);
// Trailer reader: field's value from a title trailer at the end or before an ID3v1 tag.
int ReadTrailerValue(const ByteReader* r, int field, uint32_t maxLength, FoundValue* valueOut);
// Start of the trailer's chunk area and its footer offset; 1 when a "MEXT" footer ends the file
// (beforeTag 0) or ends 128 bytes before the end (beforeTag 1) and its length fits the file.
int LocateTrailer(const ByteReader* r, int beforeTag, uint64_t* areaStartOut, uint64_t* footerOut);

// Chunk reader of GetTitleField over any data: stores field's value in its output form
// (text, genre as decimal text, four status bytes) and returns 1 when found.
int ReadFieldFrom(const ByteReader* r, int field, int source, char* out);
