// Win32 file access for the media modules: CreateFileA with the sharing each operation asks
// for, and FindFirstFileA for the directory search.
#include "media/media_file.h"
#include <windows.h>
#include <cstring>
#include "base/path_names.h"

namespace {

int g_lastError = MEDIA_ERROR_NONE;

// Notes why a call failed, from GetLastError (a read or a write otherwise); returns 0.
int Failed(int reading) {
    DWORD e = GetLastError();
    g_lastError = e == ERROR_DISK_FULL || e == ERROR_HANDLE_DISK_FULL || e == ERROR_FILE_TOO_LARGE ? MEDIA_ERROR_NO_ROOM
                  : e == ERROR_ACCESS_DENIED || e == ERROR_WRITE_PROTECT || e == ERROR_SHARING_VIOLATION ||
                          e == ERROR_LOCK_VIOLATION
                      ? MEDIA_ERROR_DENIED
                  : reading ? MEDIA_ERROR_READ
                            : MEDIA_ERROR_WRITE;
    return 0;
}

}  // namespace

int LastMediaFileError() { return g_lastError; }
void ClearMediaFileError() { g_lastError = MEDIA_ERROR_NONE; }

int OpenMediaFile(const char* path, int mode, MediaFile* fileOut) {
    fileOut->handle = -1;
    if (!path || !*path) return 0;
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ;
    switch (mode) {
    case MF_READ_WRITE_SHARED:
        access = GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    case MF_READ_WRITE_EXCLUSIVE:
        access = GENERIC_READ | GENERIC_WRITE;
        share = 0;
        break;
    case MF_WRITE_CHECK:
        access = GENERIC_WRITE;
        share = FILE_SHARE_WRITE;
        break;
    default: break;
    }
    HANDLE h = CreateFileA(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Failed(access == GENERIC_READ);
    fileOut->handle = reinterpret_cast<intptr_t>(h);
    return 1;
}

void CloseMediaFile(MediaFile* file) {
    if (file->handle != -1) CloseHandle(reinterpret_cast<HANDLE>(file->handle));
    file->handle = -1;
}

uint64_t MediaFileSize(const MediaFile* file) {
    LARGE_INTEGER size;
    if (file->handle == -1 || !GetFileSizeEx(reinterpret_cast<HANDLE>(file->handle), &size)) return 0;
    return uint64_t(size.QuadPart);
}

static int SeekTo(HANDLE h, uint64_t offset) {
    LARGE_INTEGER pos;
    pos.QuadPart = LONGLONG(offset);
    return SetFilePointerEx(h, pos, nullptr, FILE_BEGIN) != 0;
}

uint32_t ReadMediaFile(const MediaFile* file, uint64_t offset, void* out, uint32_t count) {
    HANDLE h = reinterpret_cast<HANDLE>(file->handle);
    if (file->handle == -1 || !SeekTo(h, offset)) return 0;
    DWORD got = 0;
    if (!ReadFile(h, out, count, &got, nullptr)) return Failed(1);
    return got;
}

int WriteMediaFile(const MediaFile* file, uint64_t offset, const void* data, uint32_t count) {
    HANDLE h = reinterpret_cast<HANDLE>(file->handle);
    if (file->handle == -1 || !SeekTo(h, offset)) return 0;
    DWORD put = 0;
    return (WriteFile(h, data, count, &put, nullptr) && put == count) || Failed(0);
}

int CopyMediaFileRange(const MediaFile* src, uint64_t from, const MediaFile* dst, uint64_t to, uint64_t count) {
    const DWORD BLOCK_BYTES = 1 << 20;
    HANDLE in = reinterpret_cast<HANDLE>(src->handle), out = reinterpret_cast<HANDLE>(dst->handle);
    if (src->handle == -1 || dst->handle == -1) return 0;
    void* block = VirtualAlloc(nullptr, BLOCK_BYTES, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block) return 0;
    int ok = SeekTo(in, from) && SeekTo(out, to);
    while (ok && count > 0) {
        DWORD want = count < BLOCK_BYTES ? DWORD(count) : BLOCK_BYTES, got = 0, put = 0;
        ok = (ReadFile(in, block, want, &got, nullptr) && got == want) || Failed(1);
        ok = ok && ((WriteFile(out, block, got, &put, nullptr) && put == got) || Failed(0));
        count -= got;
    }
    VirtualFree(block, 0, MEM_RELEASE);
    return ok;
}

int TruncateMediaFile(const MediaFile* file, uint64_t size) {
    HANDLE h = reinterpret_cast<HANDLE>(file->handle);
    return file->handle != -1 && ((SeekTo(h, size) && SetEndOfFile(h)) || Failed(0));
}

int FlushMediaFile(const MediaFile* file) {
    return file->handle != -1 && (FlushFileBuffers(reinterpret_cast<HANDLE>(file->handle)) || Failed(0));
}

int CreateMediaFile(const char* path, MediaFile* fileOut) {
    fileOut->handle = -1;
    if (!path || !*path) return 0;
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Failed(0);
    fileOut->handle = reinterpret_cast<intptr_t>(h);
    return 1;
}

int ReplaceMediaFile(const char* from, const char* to) {
    if (!from || !to) return 0;
    // ReplaceFile keeps the old file's attributes and creation time on the new one; where the
    // volume cannot do that, a plain move over the old name is the fallback.
    if (ReplaceFileA(to, from, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return 1;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0 || Failed(0);
}

int DeleteMediaFile(const char* path) { return path && DeleteFileA(path); }

int MediaFreeSpace(const char* path, uint64_t* bytesOut) {
    *bytesOut = 0;
    if (!path) return 0;
    char folder[MAX_PATH + 1];
    size_t n = size_t(FileNameOf(path) - path);
    if (n == 0 || n > MAX_PATH) return 0;
    std::memcpy(folder, path, n);
    folder[n] = 0;
    ULARGE_INTEGER avail;
    if (!GetDiskFreeSpaceExA(folder, &avail, nullptr, nullptr)) return 0;
    *bytesOut = avail.QuadPart;
    return 1;
}

int ResolveMediaPath(const char* path, char* realOut) {
    realOut[0] = 0;
    if (!path || !*path || std::strlen(path) >= MAX_PATH) return 0;
    std::strcpy(realOut, path);  // ReplaceFile works on the file the name stands for
    return 1;
}

int TakeOverIdentity(const MediaFile* original, const MediaFile* copy) {
    // ReplaceFile gives the copy the original's ACLs and streams; others cannot have the file
    // open (it is opened unshared for the write). Hard links would keep the old file.
    HANDLE from = reinterpret_cast<HANDLE>(original->handle), to = reinterpret_cast<HANDLE>(copy->handle);
    BY_HANDLE_FILE_INFORMATION info;
    if (original->handle == -1 || copy->handle == -1 || !GetFileInformationByHandle(from, &info) ||
        info.nNumberOfLinks != 1)
        return 0;
    // Attributes and creation time are set here too: not every ReplaceFile carries them (Wine's
    // does not). Zero times stay as they are.
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(from, FileBasicInfo, &basic, sizeof basic)) return 0;
    basic.LastAccessTime.QuadPart = basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
    return SetFileInformationByHandle(to, FileBasicInfo, &basic, sizeof basic) != 0;
}

int DeleteStaleMediaFile(const char* path) {
    // A temporary file being written is open unshared, so only a leftover can be deleted.
    return path && DeleteFileA(path);
}


int PathFound(const char* path) {
    if (!path || !*path) return 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(path, &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    FindClose(h);
    return 1;
}
