// ID3v1 tags: the last 128 bytes of an MPEG audio file. Reads and writes its six fields, holds
// the genre table the Tag Editor offers, and loads a file's editable tag record (asking the user
// when both an ID3v1 title and a trailer title exist).
#pragma once
#include <cstdint>

enum {
    ID3_TAG_BYTES = 128,
    ID3_TEXT_BYTES = 30,  // title, artist, album, comment
    ID3_YEAR_BYTES = 4,
    GENRE_NAME_COUNT = 148,
    GENRE_NONE_BYTE = 255,
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

// Loads the tag record of path for the Tag Editor. May show message 80 (title cut to 30
// letters) and the question of message 78 (which title to use). When the user picks the
// trailer's title, *pageChangedOut (if given) is set to 1 so the caller marks its page changed.
// 1 when loaded; 0 when the file's title container cannot be read.
int LoadTagRecord(void* ownerWindow, const char* path, TagRecord* recordOut, int* pageChangedOut = nullptr);
