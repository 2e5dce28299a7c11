// Format-level readers of the media modules, working on a ByteReader (a file or a memory
// buffer) so they can be tested on memory and fuzzed. The path-level calls in media_probe.h,
// titles.h and id3v1.h open the file and hand it to these.
#pragma once
#include <cstdint>
#include "media/media_file.h"
#include "media/media_probe.h"

enum {
    RIFF_HEADER_BYTES = 12,     // "RIFF", size, form type
    CHUNK_HEADER_BYTES = 8,     // id, size
    PROBE_HEADER_BYTES = 8,     // bytes every probe reads from the start
    TRAILER_FOOTER_BYTES = 8,   // chunk-area length, "MEXT"
    MIDI_WINDOW_BYTES = 20480,  // MIDI title scan: bytes read per window
    MIDI_WINDOW_STEP = 16384,   //                  distance between windows
};

// MIDI meta events: 0xFF, the type, a variable-length length, the bytes.
enum MidiMeta {
    MIDI_META_EVENT = 0xFF,
    MIDI_META_TEXT = 0x01,
    MIDI_META_COPYRIGHT = 0x02,
    MIDI_META_TRACK_NAME = 0x03,
    MIDI_META_END_OF_TRACK = 0x2F,
    MIDI_META_TEMPO = 0x51,
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

// ID3v1 field 0..5 as text into textOut (31 bytes). 1 when the data ends with a tag.
int ReadId3FieldFrom(const ByteReader* r, int field, char* textOut);

// MIDI title scan (track name, copyright, text events of the first track); 1 when found.
int ScanMidiTitle(const ByteReader* r, char* titleOut);

// RIFF/MIDI part of the probe: fills info for "MThd", RIFF "WAVE" and RIFF "RMID" data.
// lengthMs of MIDI files is left 0 (the caller asks the media control window).
int ProbeRiffOrMidi(const ByteReader* r, MediaInfo* infoOut);
int PlayKindOf(const ByteReader* r, int* kindOut);
int TitleContainerOf(const ByteReader* r, int* containerOut);

// Lengths computed from the file itself (the native media window): WAVE from "fmt " and
// "data", MIDI from its tempo map. 1 when the file was understood.
int WaveLengthMs(const ByteReader* r, uint32_t* msOut);
int MidiLengthMs(const ByteReader* r, uint32_t* msOut);

// Copies at most cap-1 bytes of text (stopping at a zero) and terminates it.
void CopyText(char* out, uint32_t cap, const uint8_t* text, uint32_t length);
