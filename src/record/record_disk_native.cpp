// Native disk queries: statvfs and fsync, or the figures a test set.
#include "record/record_disk.h"

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
struct FakeDisk {
    uint64_t freeBytes;  // 0 and 0: ask the real disk
    uint64_t totalBytes;
    uint64_t syncedSize;  // the size of the file last synced, when it was synced
};
FakeDisk g_disk;
}  // namespace

int RecordDiskSpace(const char* path, uint64_t* freeOut, uint64_t* totalOut) {
    *freeOut = *totalOut = 0;
    if (g_disk.freeBytes || g_disk.totalBytes) {
        *freeOut = g_disk.freeBytes;
        *totalOut = g_disk.totalBytes;
        return 1;
    }
    std::string folder(path);
    size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : folder.substr(0, slash + 1);
    struct statvfs s;
    if (statvfs(folder.c_str(), &s) != 0) return 0;
    *freeOut = (uint64_t)s.f_bavail * s.f_frsize;
    *totalOut = (uint64_t)s.f_blocks * s.f_frsize;
    return 1;
}

int SyncFileToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return 0;
    struct stat st;
    g_disk.syncedSize = fstat(fileno(file), &st) == 0 ? (uint64_t)st.st_size : 0;
    return fsync(fileno(file)) == 0;
}

void SetFakeDiskSpace(uint64_t freeBytes, uint64_t totalBytes) {
    g_disk.freeBytes = freeBytes;
    g_disk.totalBytes = totalBytes;
}

uint64_t LastSyncedSize() { return g_disk.syncedSize; }

int TruncateOpenFile(std::FILE* file, uint64_t bytes) {
    std::fflush(file);
    return ftruncate(fileno(file), (off_t)bytes) == 0;
}
