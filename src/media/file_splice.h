// Changing a user's file so that a failure never loses what was there: every title, tag and
// trailer write is described as one splice (a byte range cut out and replaced by new bytes,
// plus a small patch of the header in front) and carried out by ApplySplice, which either
// completes it or leaves the file byte for byte as it was.
#pragma once
#include <cstdint>
#include "media/media_file.h"

// Why the last title write failed (LastTitleWriteFailure). The caller shows the message:
// WRITE_FAILED_* with "Could not write to" and the path. (1, once "the player is busy", is no
// longer the writer's answer: the caller holds the player's track around a write.)
enum TitleWriteFailure {
    WRITE_OK = 0,
    WRITE_FAILED_OPEN = 2,     // missing, read-only or held by another program
    WRITE_FAILED_CORRUPT = 3,  // chunk sizes or the trailer footer do not fit the file
    WRITE_FAILED_TOO_BIG = 4,  // the RIFF size would no longer fit 32 bits
    WRITE_FAILED_NO_ROOM = 5,  // no free space for the copy beside the file, or a write ran out of room
    WRITE_FAILED_IO = 6,       // a write, flush or swap failed; the file is as it was
    WRITE_FAILED_REFUSED = 7,  // not a file whose titles this program writes (RMID, other)
};
int LastTitleWriteFailure();
void SetTitleWriteFailure(int failure);

// Creates a new, empty file under a free temporary name ("~qdtitleNN.tmp") in the folder of
// path, for a file that is built beside the one it replaces or becomes; tempPathOut holds 260
// bytes. 1 when created; 0 with tempOut closed and tempPathOut empty.
int CreateFileBeside(const char* path, MediaFile* tempOut, char* tempPathOut);

struct Splice {
    uint64_t cutStart, cutEnd;  // bytes of the old file replaced by `insert`
    const uint8_t* insert;
    uint32_t insertLength;
    uint64_t patchAt;  // a header patch in front of cutStart (patchLength 0: none)
    uint8_t patch[8];
    uint32_t patchLength;
    // 1 when nothing between cutStart and the end of the file is audio (title chunks, a trailer,
    // an ID3v1 tag), so those bytes may be rewritten in place from a copy held in memory.
    int tailIsTitleData;
};

enum {
    SPLICE_IN_PLACE_MAX_BYTES = 1 << 20,  // the most old bytes an in-place rewrite holds for undo
    SPLICE_SPACE_MARGIN_BYTES = 1 << 20,  // free space asked for beyond the new file's size
};

// Applies the splice to the file at path, which *file holds open for reading and writing (it
// is closed on return). 1 on success; 0 with LastTitleWriteFailure set, the file unchanged.
int ApplySplice(const char* path, MediaFile* file, const Splice* splice);
