// File access of the media modules: open with the sharing each operation asks for, positioned
// reads and writes, cutting a file, and a bounded reader over a file or a memory buffer so the
// same format code runs on disk files, in tests and under the fuzzer. Implemented twice:
// media_file_win32.cpp (CreateFileA and friends) and media_file_native.cpp (POSIX).
#pragma once
#include "base/byte_order.h"
#include <cstdint>
#include <cstring>

enum MediaFileMode {
    MF_READ = 0,                  // read, sharing read
    MF_READ_WRITE_SHARED = 1,     // read and write, sharing read and write, existing only
    MF_READ_WRITE_EXCLUSIVE = 2,  // read and write, not shared, existing only
    MF_WRITE_CHECK = 3,           // write access, sharing write, existing only (writability test)
};

struct MediaFile {
    intptr_t handle;  // platform handle; -1 when closed
};

// 1 when opened; fileOut->handle is -1 on failure.
int OpenMediaFile(const char* path, int mode, MediaFile* fileOut);
void CloseMediaFile(MediaFile* file);
// Current size in bytes; 0 when it cannot be told.
uint64_t MediaFileSize(const MediaFile* file);
// Bytes actually read at offset (0 past the end or on error).
uint32_t ReadMediaFile(const MediaFile* file, uint64_t offset, void* out, uint32_t count);
// 1 when all count bytes were written.
int WriteMediaFile(const MediaFile* file, uint64_t offset, const void* data, uint32_t count);
// Copies count bytes of src at from into dst at to (in the kernel where the platform can);
// 1 when all were copied.
int CopyMediaFileRange(const MediaFile* src, uint64_t from, const MediaFile* dst, uint64_t to, uint64_t count);
// Cuts (or extends) the file to size bytes; 1 on success.
int TruncateMediaFile(const MediaFile* file, uint64_t size);
// Pushes the file's written bytes to the disk; 1 on success.
int FlushMediaFile(const MediaFile* file);
// 1 when a directory search for the path finds an entry.
int PathFound(const char* path);

// Rewrites that move audio build the new file beside the old one and swap it in. A file that
// is open (in this program too) cannot be deleted or replaced, on either platform.
// Creates a new, empty file for reading and writing, not shared; 0 when the path exists.
int CreateMediaFile(const char* path, MediaFile* fileOut);
// Puts the file at `from` in place of the file at `to` (which keeps its name); 1 on success.
int ReplaceMediaFile(const char* from, const char* to);
// 1 when the file was deleted.
int DeleteMediaFile(const char* path);
// Free bytes on the volume that holds path's folder; 0 with *bytesOut 0 when it cannot be told.
int MediaFreeSpace(const char* path, uint64_t* bytesOut);
// The file a path stands for, through any symbolic links, so that a swap replaces the file and
// the link stays a link; realOut holds 260 bytes. 1 when resolved.
int ResolveMediaPath(const char* path, char* realOut);
// Readies copy, a new file that is to be swapped in for original, to be the same file to its
// users: permissions, owner and group as the original's (the Win32 swap carries attributes,
// ACLs and streams itself). 0 when the swap would still change the file for someone: it has
// other names (hard links), another program has it open, or its owner cannot be given to the
// copy. The change must then be made in the file itself.
int TakeOverIdentity(const MediaFile* original, const MediaFile* copy);
// Deletes a temporary file left behind by a write that never finished (the program died);
// 0 when the file is in use by a write going on now, or cannot be deleted.
int DeleteStaleMediaFile(const char* path);

// What the last failing call of this seam ran into, for messages that say why.
enum MediaFileError {
    MEDIA_ERROR_NONE = 0,
    MEDIA_ERROR_NO_ROOM = 1,  // the disk (or the file-size limit) is full
    MEDIA_ERROR_DENIED = 2,   // not allowed: permissions, a read-only volume, a file in use
    MEDIA_ERROR_READ = 3,     // reading failed (a missing file included)
    MEDIA_ERROR_WRITE = 4,    // writing failed otherwise
};
int LastMediaFileError();
void ClearMediaFileError();

// Closes the file on every path out of a scope.
struct MediaFileGuard {
    MediaFile file{-1};
    ~MediaFileGuard() { CloseMediaFile(&file); }
};

// A bounded view over a file or a memory buffer. Reads past the end return fewer bytes.
struct ByteReader {
    const MediaFile* file;  // null for a memory reader
    const uint8_t* mem;     // memory bytes (file == null)
    uint64_t size;          // total bytes visible
};
ByteReader FileReader(const MediaFile* file);
ByteReader MemoryReader(const void* data, uint64_t size);
// Bytes copied at offset (0 at or past the end).
uint32_t ReadAt(const ByteReader* r, uint64_t offset, void* out, uint32_t count);

inline bool IsFourCc(const uint8_t* p, const char* id) { return std::memcmp(p, id, 4) == 0; }
