// The ".spl" text format: line reading with text-mode line ends, field splitting, and the text
// of a saved list. No file handling here; see playlist_spl.h.
#include "playlist/playlist_spl.h"

#include <cctype>
#include <cstring>

#include "base/path_names.h"

namespace {
const char SPL_COMMENT = ';';
const char SPL_QUOTE = '"';

int IsBlank(char c) { return c == ' ' || c == '\t'; }

// Next raw byte of the source, or -1 at its end.
int FetchByte(SplLineReader* lr) {
    if (lr->blockPos == lr->blockFill) {
        lr->blockFill = ReadAt(lr->source, lr->offset, lr->block, sizeof lr->block);
        lr->blockPos = 0;
        lr->offset += lr->blockFill;
        if (lr->blockFill == 0) return -1;
    }
    return lr->block[lr->blockPos++];
}

// Next character as a text-mode read delivers it: CR LF becomes LF.
int NextChar(SplLineReader* lr) {
    int c = FetchByte(lr);
    if (c != '\r') return c;
    int next = FetchByte(lr);
    if (next == '\n') return '\n';
    if (next >= 0) lr->blockPos--;  // not a line end: give the byte back (it is still in the block)
    return c;
}

// Copies one field starting at p into out (keeping 255 characters) and returns the character
// that ended it: the closing quote of a quoted field, else a blank, TAB, newline or the end.
const char* ReadField(const char* p, char* out) {
    int kept = 0;
    if (*p == SPL_QUOTE) {
        for (++p; *p && *p != SPL_QUOTE && *p != '\n'; ++p)
            if (kept < SPL_FIELD_BYTES - 1) out[kept++] = *p;
    } else {
        for (; *p && !IsBlank(*p) && *p != '\n'; ++p)
            if (kept < SPL_FIELD_BYTES - 1) out[kept++] = *p;
    }
    out[kept] = 0;
    return p;
}

std::string UpperCase(const char* text) {
    std::string s(text);
    for (char& c : s) c = (char)std::toupper((unsigned char)c);
    return s;
}
}  // namespace

void StartSplLines(SplLineReader* lr, const ByteReader* source) {
    lr->source = source;
    lr->offset = 0;
    lr->blockFill = 0;
    lr->blockPos = 0;
}

int NextSplLine(SplLineReader* lr, char* lineOut) {
    int length = 0;
    while (length < SPL_LINE_BUFFER_BYTES - 1) {
        int c = NextChar(lr);
        if (c < 0) break;
        lineOut[length++] = (char)c;
        if (c == '\n') break;
    }
    lineOut[length] = 0;
    return length;
}

int ParseSplLine(const char* line, char* firstOut, char* secondOut) {
    firstOut[0] = secondOut[0] = 0;
    if (line[0] == SPL_COMMENT) return SPL_LINE_SKIP;
    const char* p = line;
    while (IsBlank(*p)) ++p;
    if (*p == 0 || *p == '\n') return SPL_LINE_SKIP;
    size_t length = std::strlen(line);
    if (line[length - 1] != '\n') return SPL_LINE_STOP;

    p = ReadField(p, firstOut);
    if (!firstOut[0]) return SPL_LINE_SKIP;
    if (*p && *p != '\n') ++p;  // the closing quote or the separator
    while (IsBlank(*p)) ++p;
    if (*p == 0 || *p == '\n')
        std::strcpy(secondOut, firstOut);
    else
        ReadField(p, secondOut);
    return SPL_LINE_ENTRY;
}

void FolderOfPath(const char* path, char* folderOut) {
    folderOut[0] = 0;
    size_t cut = size_t(FileNameOf(path) - path);
    if (cut >= SPL_FIELD_BYTES) return;
    std::memcpy(folderOut, path, cut);
    folderOut[cut] = 0;
}

std::string RelativeEntryForm(const char* entryPath, const char* listFolder) {
    size_t n = std::strlen(listFolder);
    // Only a folder that ends in a path separator has a closing separator to start from.
    if (n == 0 || (listFolder[n - 1] != '\\' && listFolder[n - 1] != '/')) return entryPath;
    if (std::strlen(entryPath) <= n || UpperCase(entryPath).compare(0, n, UpperCase(listFolder)) != 0) return entryPath;
    return std::string(".") + (entryPath + n - 1);
}

std::string BuildSplText(const char* listPath, int count, const char* (*entryAt)(int n)) {
    char folder[SPL_FIELD_BYTES];
    FolderOfPath(listPath, folder);
    size_t folderLength = std::strlen(folder);
    std::string text;
    text += SPL_COMMENT;
    text += UpperCase(listPath + folderLength);
    text += "\r\n";
    for (int n = 1; n <= count; ++n) {
        const char* entry = entryAt(n);
        text += SPL_QUOTE;
        text += entry;
        text += "\"\t\"";
        text += RelativeEntryForm(entry, folder);
        text += SPL_QUOTE;
        text += "\r\n";
    }
    return text;
}
