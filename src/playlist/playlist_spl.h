// The ".spl" playlist text format, apart from any file or list: reading lines the way a 768-byte
// line buffer over a text-mode file sees them, splitting a line into its one or two path fields,
// and writing the comment line and the entry lines with the ".\" relative form. Works on a
// ByteReader, so the same code reads disk files, test buffers and fuzz input.
#pragma once
#include <cstdint>
#include <string>

#include "media/media_file.h"

enum {
    SPL_LINE_BUFFER_BYTES = 768,  // one line: at most 767 characters including its newline
    SPL_FIELD_BYTES = 256,        // a field keeps 255 characters and its zero
    SPL_READ_BLOCK_BYTES = 4096,  // bytes fetched from the reader at a time
};

// Reads a file line by line. Text mode: CR LF arrives as LF; a lone CR stays a character.
struct SplLineReader {
    const ByteReader* source;
    uint64_t offset;                      // next byte of the source to fetch
    uint8_t block[SPL_READ_BLOCK_BYTES];  // fetched bytes
    uint32_t blockFill;                   // bytes valid in block
    uint32_t blockPos;                    // next byte of block
};
void StartSplLines(SplLineReader* lr, const ByteReader* source);

// The next piece of text as a 768-byte line buffer takes it: up to and including the newline,
// or 767 characters, or what is left at the end. Returns its length (0 at the end); lineOut
// (SPL_LINE_BUFFER_BYTES) is zero-terminated.
int NextSplLine(SplLineReader* lr, char* lineOut);

enum SplLineKind {
    SPL_LINE_SKIP = 0,   // a comment, a blank line, or a line without fields
    SPL_LINE_ENTRY = 1,  // first and second are filled
    SPL_LINE_STOP = 2,   // no newline at its end (the last line, or one too long): reading ends
};

// Classifies a line from NextSplLine and splits an entry line into its path fields; a line with
// one field gives the same text in both (SPL_FIELD_BYTES each).
int ParseSplLine(const char* line, char* firstOut, char* secondOut);

// The drive and folder of a path, ending in its separator ("" when it has none), in folderOut
// (SPL_FIELD_BYTES). A path longer than that gives "".
void FolderOfPath(const char* path, char* folderOut);

// The second path form of an entry saved in a list whose folder is listFolder (as FolderOfPath
// gives it): "." and the rest of the entry from the list folder's closing separator when the
// entry lies under that folder (compared in upper case), else the entry again.
std::string RelativeEntryForm(const char* entryPath, const char* listFolder);

// The whole text of a list file named listPath holding `count` entries read through entryAt,
// with CR LF line ends: the comment line ";NAME.EXT" and one "\"path\"\t\"second\"" per entry.
std::string BuildSplText(const char* listPath, int count, const char* (*entryAt)(int n));
