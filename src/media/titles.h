// Titles of sound files: the field model, the RIFF title chunks ("DISP" and single-field
// "LIST"/"INFO"), the title trailer appended to MPEG files (closed by a "MEXT" footer), MIDI
// title events, and the channel status kept with each recording. MPEG fields 0..5 are routed to
// the ID3v1 module. GetTitleField and SetTitleField are the only ways the program reads and
// writes titles.
#pragma once
#include <cstdint>
#include "media/media_probe.h"

// Title field indexes.
enum TitleField {
    FIELD_TITLE = 0,           // "DISP" chunk of type 1
    FIELD_ARTIST = 1,          // "IART"
    FIELD_GENRE = 2,           // "IGNR": genre number as decimal text
    FIELD_YEAR = 3,            // "ISBJ"
    FIELD_ALBUM = 4,           // "USE1"
    FIELD_COMMENT = 5,         // "USE2"
    FIELD_COPYRIGHT = 6,       // "ICOP": mapped only, never read or written
    FIELD_CHANNEL_STATUS = 7,  // "CHST": the four channel-status bytes
    TITLE_FIELD_COUNT = 8,
};

// Where GetTitleField looks in a non-RIFF file.
enum TitleSource {
    SOURCE_ID3_FIRST = 0,    // the ID3v1 tag when there is one, else the trailer
    SOURCE_TRAILER = 2,      // the title trailer only
    SOURCE_ID3_FIRST_B = 3,  // same as 0
    SOURCE_TRAILER_B = 4,    // same as 2
};

// Buffer sizes of GetTitleField's out buffer per field (value plus terminating zero).
enum {
    TITLE_BYTES = 256,
    ARTIST_BYTES = 31,
    GENRE_TEXT_BYTES = 4,
    YEAR_BYTES = 5,
    ALBUM_BYTES = 31,
    COMMENT_BYTES = 31,
    CHANNEL_STATUS_FIELD_BYTES = 5,  // four raw bytes and a zero
    TITLE_FIELD_MAX_BYTES = 256,     // a buffer this big fits every field
    CHANNEL_STATUS_LEN = 4,
    MINIMAL_TRAILER_BYTES = 32,  // "LIST"/"INFO"/"CHST" chunk and the footer
};

// Longest value read for a field (255, 30, 3, 4, 30, 30, 0, 4); 0 for unknown fields.
int TitleFieldMaxLength(int field);

// Chunk id of a field ("DISP", "IART", ... "CHST"), or null for an unknown index.
const char* TitleFieldChunkId(int field);

// Reads one field. 1 when the field was found in the file; 0 when not, bufferOut then holds the
// absent value (file name for the title, "-1" for the genre, the default 04 06 00 00 for the
// channel status, empty otherwise). bufferOut must hold TITLE_FIELD_MAX_BYTES for the title
// (smaller fields need only their *_BYTES). A missing file returns 0 with the buffer untouched.
int GetTitleField(const char* path, int field, char* bufferOut, int source);

// Writes one field. rawLength 0: value is zero-terminated text (the genre as decimal text);
// otherwise value is rawLength raw bytes (the channel status with 4). An empty text removes the
// field. 1 on success; 0 when the file cannot be opened or changed, or it is an RMID file: the
// file is then exactly as it was and LastTitleWriteFailure (file_splice.h) tells why. The file
// must be free: the caller holds the player's track around the write (HoldTrackForWrite).
int SetTitleField(const char* path, int field, const char* value, int rawLength);

// Rewrites the title trailer of an MPEG file with a new channel-status list (an empty value
// drops it), keeping its other chunks. 1 on success.
int WriteTrailerChannelStatus(const char* path, const char* value, int rawLength);

// After the ID3v1 tag was saved: replaces a trailer standing before the tag by the 32-byte
// minimal trailer (or removes it when there is no channel status). 1 when the file changed.
int ReduceTitleTrailer(const char* path);

// The channel status of a file that stores none, from the file's own probe (null when it is no
// MPEG file): 04 06 00 00 without the copyright bit, 00 16 00 00 with it, 00 96 00 00 with the
// original bit too. statusOut gets the four bytes and a zero.
void DefaultChannelStatus(const MediaInfo* probed, char* statusOut);

// Title of a Standard MIDI file (track name, else copyright, else text event of the first
// track) into bufferOut (TITLE_BYTES); 1 when found.
int ReadMidiTitle(const char* path, char* bufferOut);
