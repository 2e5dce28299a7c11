// Win32 disk queries. Free space comes from GetDiskFreeSpaceExA, which counts past 2 GiB where
// the cluster counts of GetDiskFreeSpaceA would be clipped on large disks.
#include "record/record_disk.h"

#include <io.h>
#include <windows.h>

#include <cstring>

int RecordDiskSpace(const char* path, uint64_t* freeOut, uint64_t* totalOut) {
    *freeOut = *totalOut = 0;
    char folder[MAX_PATH];
    lstrcpynA(folder, path, MAX_PATH);
    char* sep = std::strrchr(folder, '\\');
    if (sep) sep[1] = 0;
    ULARGE_INTEGER available, total, freeAll;
    if (!GetDiskFreeSpaceExA(sep ? folder : nullptr, &available, &total, &freeAll)) return 0;
    *freeOut = available.QuadPart;
    *totalOut = total.QuadPart;
    return 1;
}

int SyncFileToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return 0;
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(file));
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h);
}

int TruncateOpenFile(std::FILE* file, uint64_t bytes) {
    std::fflush(file);
    HANDLE h = (HANDLE)_get_osfhandle(_fileno(file));
    LARGE_INTEGER at;
    at.QuadPart = (LONGLONG)bytes;
    return h != INVALID_HANDLE_VALUE && SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

void SetFakeDiskSpace(uint64_t, uint64_t) {}
uint64_t LastSyncedSize() { return 0; }
