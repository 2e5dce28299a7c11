// ID3v1 tags: the last 128 bytes of an MPEG audio file. Reads and writes its six fields, holds
// the genre table the Tag Editor offers, and loads a file's editable tag record (asking the user
// when both an ID3v1 title and a trailer title exist).
#pragma once
#include <cstdint>
#include "media/media_file.h"

enum {
    ID3_TAG_BYTES = 128,
    ID3_TEXT_BYTES = 30,  // title, artist, album, comment
    ID3_YEAR_BYTES = 4,
    GENRE_NAME_COUNT = 148,
    GENRE_NONE_BYTE = 255,
    TITLE_CHOICE_BYTES = 2 * 256 + 16,  // FormatTitleChoice's text
};

// The editable copy of a file's tags (Tag Editor and the file tools).
struct TagRecord {
    char title[256];  // zero-terminated
    char artist[31];
    char album[31];
    char year[5];
    char comment[31];
    int32_t genre;  // genre number; -1 when none
};

// field 0..5 (title, artist, genre, year, album, comment) into textOut (31 bytes; the genre as
// decimal text, "255" for none). 1 when the file ends with an ID3v1 tag (the field may be
// empty); 0 when it does not or cannot be opened (textOut then empty).
int ReadId3Field(const char* path, int field, char* textOut);

// Writes field 0..5 into the tag, appending a new blank tag when the file has none. Text is cut
// to the field's width; the genre is decimal text ("-1" gives 255). 1 when written; 0 when the
// file cannot be opened for reading and writing.
int WriteId3Field(const char* path, int field, const char* value);

// Genre table in the Tag Editor's list order.
int GenreNameCount();                   // 148
const char* GenreNameAt(int position);  // null outside 0..147
int GenreNumberAt(int position);        // -1 outside 0..147
int GenrePositionOf(int genreNumber);   // -1 when not in the table

// What LoadTagRecord found. It shows nothing; the caller (the Tag Editor page) tells the user:
// titleWasCut asks for message STR_TITLE_TOO_LONG; hasTrailerTitle for the question
// STR_KELVARA_TITLE_FOUND followed by FormatTitleChoice, where any answer but Yes calls
// UseTrailerTitle and marks the page changed.
struct TagLoad {
    TagRecord record;
    int titleWasCut;      // the title had more than 30 letters and was cut to 30
    int hasTrailerTitle;  // an ID3v1 tag with a title trailer before it that holds a title
    char trailerTitle[256];
};

// Loads the tag record of path: 1 when loaded; 0 when the file's title container cannot be
// read (loadOut then holds an empty record with genre -1).
int LoadTagRecord(const char* path, TagLoad* loadOut);
// The question's lines after the message: "\nYes <ID3v1 title>\nNo  <trailer title>".
void FormatTitleChoice(const TagLoad* load, char* textOut);  // TITLE_CHOICE_BYTES
// Puts the trailer's title (up to 255 characters) into the record.
void UseTrailerTitle(TagLoad* load);

// ID3v1 field 0..5 as text into textOut (31 bytes), from any data. 1 when the data ends with a tag.
int ReadId3FieldFrom(const ByteReader* r, int field, char* textOut);
