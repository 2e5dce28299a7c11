// POSIX file access for the media modules (native build). Sharing modes do not exist here; an
// exclusive open is emulated only as far as access rights go. A file this seam creates carries
// an advisory lock while open, which tells a temporary file being written from one whose writer
// died. Like Windows, the seam refuses to
// delete or replace a file that is still open through it, so tests see ordering faults. It also
// carries the tests' fault switch (media_file_fault.h).
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include "media/media_file.h"
#include "media/media_file_fault.h"

namespace {

const int MAX_OPEN_FILES = 64;
const size_t MAX_NAMES_BYTES = 4096;  // the call names kept: plenty for one write, bounded for tools

struct OpenEntry {
    int fd;  // -1 when free
    dev_t dev;
    ino_t ino;
};

struct NativeFiles {
    OpenEntry open[MAX_OPEN_FILES];
    int faultKind;
    int faultAt;  // the n-th mutating call fails; 0 when unarmed
    int calls;
    int fired;
    int faultError;     // the MediaFileError a fault reports
    int lastError;      // LastMediaFileError
    int64_t freeSpace;  // MediaFreeSpace's answer; -1: the file system's
    std::string names;  // the mutating calls since the last SetMediaFileFault, in order
};

NativeFiles g_files = [] {
    NativeFiles f{};
    for (OpenEntry& e : f.open) e.fd = -1;
    f.freeSpace = -1;
    f.faultError = MEDIA_ERROR_WRITE;
    return f;
}();

void Remember(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return;
    for (OpenEntry& e : g_files.open)
        if (e.fd < 0) {
            e = {fd, st.st_dev, st.st_ino};
            return;
        }
}

void Forget(int fd) {
    for (OpenEntry& e : g_files.open)
        if (e.fd == fd) e.fd = -1;
}

int IsHeldOpen(const char* path) {
    struct stat st;
    if (stat(path, &st) != 0) return 0;
    for (const OpenEntry& e : g_files.open)
        if (e.fd >= 0 && e.dev == st.st_dev && e.ino == st.st_ino) return 1;
    return 0;
}

// Counts and names a mutating call; the kind of fault to act out now, or MEDIA_FAULT_NONE.
int NextFault(const char* name) {
    g_files.calls++;
    if (g_files.names.size() < MAX_NAMES_BYTES) {
        if (!g_files.names.empty()) g_files.names += ' ';
        g_files.names += name;
    }
    if (g_files.faultAt == 0 || g_files.calls != g_files.faultAt) return MEDIA_FAULT_NONE;
    g_files.fired = 1;
    g_files.lastError = g_files.faultError;
    return g_files.faultKind;
}

// Notes why a call failed, from errno (a read or a write otherwise); returns 0.
int Failed(int reading) {
    int e = errno;
    g_files.lastError = e == ENOSPC || e == EDQUOT || e == EFBIG                  ? MEDIA_ERROR_NO_ROOM
                        : e == EACCES || e == EPERM || e == EROFS || e == ETXTBSY ? MEDIA_ERROR_DENIED
                        : reading                                                 ? MEDIA_ERROR_READ
                                                                                  : MEDIA_ERROR_WRITE;
    return 0;
}

// Closes fd on a thread of its own (here, when no thread can be started).
void ReleaseLater(int fd) {
    try {
        std::thread([fd] { close(fd); }).detach();
    } catch (const std::system_error&) {
        close(fd);
    }
}

// A refusal of the seam itself (a file held open here).
int Refused() {
    g_files.lastError = MEDIA_ERROR_DENIED;
    return 0;
}

}  // namespace

void SetMediaFileFault(int kind, int nthCall) {
    g_files.faultKind = kind;
    g_files.faultAt = kind == MEDIA_FAULT_NONE ? 0 : nthCall;
    g_files.calls = 0;
    g_files.fired = 0;
    g_files.names.clear();
    g_files.faultError = MEDIA_ERROR_WRITE;
}
void SetMediaFileFaultError(int error) { g_files.faultError = error; }
int LastMediaFileError() { return g_files.lastError; }
void ClearMediaFileError() { g_files.lastError = MEDIA_ERROR_NONE; }
std::string MediaFileCallNames() { return g_files.names; }
int MediaFileFaultFired() { return g_files.fired; }
int MediaFilesOpen() {
    int n = 0;
    for (const OpenEntry& e : g_files.open) n += e.fd >= 0;
    return n;
}

int OpenMediaFile(const char* path, int mode, MediaFile* fileOut) {
    fileOut->handle = -1;
    if (!path || !*path) return 0;
    int flags = O_RDONLY;
    if (mode == MF_READ_WRITE_SHARED || mode == MF_READ_WRITE_EXCLUSIVE) flags = O_RDWR;
    if (mode == MF_WRITE_CHECK) flags = O_WRONLY;
    int fd = open(path, flags | O_CLOEXEC);
    if (fd < 0) return Failed(flags == O_RDONLY);
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return 0;
    }
    fileOut->handle = fd;
    Remember(fd);
    return 1;
}

int CreateMediaFile(const char* path, MediaFile* fileOut) {
    fileOut->handle = -1;
    if (!path || !*path || NextFault("create") != MEDIA_FAULT_NONE) return 0;
    int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return Failed(0);
    flock(fd, LOCK_EX | LOCK_NB);
    fileOut->handle = fd;
    Remember(fd);
    return 1;
}

void CloseMediaFile(MediaFile* file) {
    if (file->handle >= 0) {
        Forget(int(file->handle));
        close(int(file->handle));
    }
    file->handle = -1;
}

uint64_t MediaFileSize(const MediaFile* file) {
    struct stat st;
    if (file->handle < 0 || fstat(int(file->handle), &st) != 0) return 0;
    return uint64_t(st.st_size);
}

uint32_t ReadMediaFile(const MediaFile* file, uint64_t offset, void* out, uint32_t count) {
    if (file->handle < 0) return 0;
    uint32_t done = 0;
    while (done < count) {
        ssize_t n = pread(int(file->handle), static_cast<uint8_t*>(out) + done, count - done, off_t(offset + done));
        if (n < 0) Failed(1);
        if (n <= 0) break;
        done += uint32_t(n);
    }
    return done;
}

int WriteMediaFile(const MediaFile* file, uint64_t offset, const void* data, uint32_t count) {
    if (file->handle < 0) return 0;
    int fault = NextFault("write");
    if (fault == MEDIA_FAULT_FAIL) return 0;
    if (fault == MEDIA_FAULT_SHORT) count /= 2;
    uint32_t done = 0;
    while (done < count) {
        ssize_t n =
            pwrite(int(file->handle), static_cast<const uint8_t*>(data) + done, count - done, off_t(offset + done));
        if (n <= 0) return Failed(0);
        done += uint32_t(n);
    }
    return fault == MEDIA_FAULT_NONE;
}

// Copies up to count bytes from in to out through memory, 1 MB at a time, moving both on; the
// bytes copied (0 when the source ends first), -1 on an error (noted).
static int64_t CopyThroughMemory(int src, off_t* in, int dst, off_t* out, uint64_t count,
                                 std::unique_ptr<uint8_t[]>* block) {
    const size_t BLOCK_BYTES = 1 << 20;
    if (!*block) block->reset(new uint8_t[BLOCK_BYTES]);
    uint64_t done = 0;
    while (done < count) {
        size_t want = count - done < BLOCK_BYTES ? size_t(count - done) : BLOCK_BYTES;
        ssize_t n = pread(src, block->get(), want, *in);
        if (n < 0) return Failed(1), -1;
        if (n == 0) break;
        if (pwrite(dst, block->get(), size_t(n), *out) != n) return Failed(0), -1;
        *in += n, *out += n, done += uint64_t(n);
    }
    return int64_t(done);
}

int CopyMediaFileRange(const MediaFile* src, uint64_t from, const MediaFile* dst, uint64_t to, uint64_t count) {
    if (src->handle < 0 || dst->handle < 0) return 0;
    int fault = NextFault("copy");
    if (fault == MEDIA_FAULT_FAIL) return 0;
    if (fault == MEDIA_FAULT_SHORT) count /= 2;
    // copy_file_range keeps the bytes in the kernel (or shares the blocks, as cp does) where
    // both files stand at the same place in their pages. Where they do not (a title that grew
    // by a few bytes, the second file of a join) the kernel splits every page, and a copy
    // through memory is faster (a title growth of 300 MB took about half the time). Where the
    // file system cannot copy, everything goes through memory.
    // Writeback of each piece starts as soon as it is copied, so the flush that follows a copy
    // has little left to wait for.
    const uint64_t PIECE_BYTES = 32 << 20, PAGE_BYTES = 4096;
    int in = int(src->handle), out = int(dst->handle), kernel = 1;
    off_t inAt = off_t(from), outAt = off_t(to);
    std::unique_ptr<uint8_t[]> block;
    uint64_t left = count;
    while (left > 0) {
        uint64_t want = left < PIECE_BYTES ? left : PIECE_BYTES;
        off_t pieceStart = outAt;
        int64_t n = 0;
        if (kernel && uint64_t(inAt) % PAGE_BYTES == uint64_t(outAt) % PAGE_BYTES) {
            n = copy_file_range(in, &inAt, out, &outAt, size_t(want), 0);
            if (n <= 0) kernel = 0, n = 0;
        }
        if (n == 0) n = CopyThroughMemory(in, &inAt, out, &outAt, want, &block);
        if (n < 0) return 0;
        if (n == 0) {  // the source ends early
            g_files.lastError = MEDIA_ERROR_READ;
            return 0;
        }
        sync_file_range(out, pieceStart, n, SYNC_FILE_RANGE_WRITE);
        left -= uint64_t(n);
    }
    return fault == MEDIA_FAULT_NONE;
}

int TruncateMediaFile(const MediaFile* file, uint64_t size) {
    if (file->handle < 0 || NextFault("truncate") != MEDIA_FAULT_NONE) return 0;
    return ftruncate(int(file->handle), off_t(size)) == 0 || Failed(0);
}

int FlushMediaFile(const MediaFile* file) {
    if (file->handle < 0 || NextFault("flush") != MEDIA_FAULT_NONE) return 0;
    return fsync(int(file->handle)) == 0 || Failed(0);
}

int ReplaceMediaFile(const char* from, const char* to) {
    if (!from || !to || NextFault("replace") != MEDIA_FAULT_NONE) return 0;
    if (IsHeldOpen(from) || IsHeldOpen(to)) return Refused();  // Windows refuses this too
    // The replaced file's blocks and cached pages are freed when its last reference goes, which
    // for a large file takes a good part of what the copy took. A reference held across the
    // rename lets that happen on a thread of its own once the swap is done; the caller goes on.
    int old = open(to, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (std::rename(from, to) != 0) {
        Failed(0);
        if (old >= 0) close(old);
        return 0;
    }
    if (old >= 0) ReleaseLater(old);
    return 1;
}

int DeleteMediaFile(const char* path) {
    if (!path || NextFault("delete") != MEDIA_FAULT_NONE) return 0;
    if (IsHeldOpen(path)) return Refused();
    return unlink(path) == 0 || Failed(0);
}

int MediaFreeSpace(const char* path, uint64_t* bytesOut) {
    *bytesOut = 0;
    if (!path) return 0;
    if (g_files.freeSpace >= 0) {
        *bytesOut = uint64_t(g_files.freeSpace);
        return 1;
    }
    std::string folder(path);
    size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    struct statvfs vfs;
    if (statvfs(folder.c_str(), &vfs) != 0) return 0;
    *bytesOut = uint64_t(vfs.f_bavail) * vfs.f_frsize;
    return 1;
}

int ResolveMediaPath(const char* path, char* realOut) {
    realOut[0] = 0;
    if (!path || !*path) return 0;
    std::unique_ptr<char, void (*)(void*)> real(realpath(path, nullptr), free);
    const size_t PATH_BYTES = 260;
    if (!real || std::strlen(real.get()) >= PATH_BYTES) return 0;
    std::strcpy(realOut, real.get());
    return 1;
}

int TakeOverIdentity(const MediaFile* original, const MediaFile* copy) {
    int from = int(original->handle), to = int(copy->handle);
    struct stat o, c;
    if (from < 0 || to < 0 || fstat(from, &o) != 0 || fstat(to, &c) != 0) return 0;
    if (o.st_nlink != 1) return 0;  // another name would keep the old file
    // A write lease is granted only while no other descriptor, in any program, has the file
    // open; one that writes to it later would write into the old file. Given back at once.
    if (fcntl(from, F_SETLEASE, F_WRLCK) != 0) return 0;
    fcntl(from, F_SETLEASE, F_UNLCK);
    if ((o.st_uid != c.st_uid || o.st_gid != c.st_gid) && fchown(to, o.st_uid, o.st_gid) != 0) return 0;
    return fchmod(to, o.st_mode & 07777) == 0;  // after the owner: chown drops set-id bits
}

int DeleteStaleMediaFile(const char* path) {
    if (!path || IsHeldOpen(path)) return 0;
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return 0;
    int stale = flock(fd, LOCK_EX | LOCK_NB) == 0;  // its writer would hold the lock
    int deleted = stale && unlink(path) == 0;
    close(fd);
    return deleted;
}

void SetNativeFreeSpace(int64_t bytes) { g_files.freeSpace = bytes; }


int PathFound(const char* path) {
    struct stat st;
    return path && *path && stat(path, &st) == 0;
}
