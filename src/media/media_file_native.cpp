// POSIX file access for the media modules (native build). Sharing modes do not exist here; an
// exclusive open is emulated only as far as access rights go.
#include "media/media_file.h"
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenMediaFile(const char* path, int mode, MediaFile* fileOut) {
    fileOut->handle = -1;
    if (!path || !*path) return 0;
    int flags = O_RDONLY;
    if (mode == MF_READ_WRITE_SHARED || mode == MF_READ_WRITE_EXCLUSIVE) flags = O_RDWR;
    if (mode == MF_WRITE_CHECK) flags = O_WRONLY;
    int fd = open(path, flags | O_CLOEXEC);
    if (fd < 0) return 0;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return 0;
    }
    fileOut->handle = fd;
    return 1;
}

void CloseMediaFile(MediaFile* file) {
    if (file->handle >= 0) close(int(file->handle));
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
        if (n <= 0) break;
        done += uint32_t(n);
    }
    return done;
}

int WriteMediaFile(const MediaFile* file, uint64_t offset, const void* data, uint32_t count) {
    if (file->handle < 0) return 0;
    uint32_t done = 0;
    while (done < count) {
        ssize_t n =
            pwrite(int(file->handle), static_cast<const uint8_t*>(data) + done, count - done, off_t(offset + done));
        if (n <= 0) return 0;
        done += uint32_t(n);
    }
    return 1;
}

int TruncateMediaFile(const MediaFile* file, uint64_t size) {
    return file->handle >= 0 && ftruncate(int(file->handle), off_t(size)) == 0;
}

int PathFound(const char* path) {
    struct stat st;
    return path && *path && stat(path, &st) == 0;
}
