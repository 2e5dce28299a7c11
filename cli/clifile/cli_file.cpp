// Whole-or-nothing output files for taven and tavdec (see cli_file.h).
#include "cli_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

int CliSameFile(const char* a, const char* b) {
    struct stat sa, sb;
    if (::stat(a, &sa) != 0 || ::stat(b, &sb) != 0) return 0;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int CliOutputOpen(CliOutput* out, const char* path) {
    *out = CliOutput();
    // Past a file-size limit the write must fail with EFBIG instead of the process dying with
    // the temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!std::strcmp(path, "-")) {
        out->file = stdout;
        out->toStdout = 1;
        return 1;
    }
    out->target = path;
    char real[PATH_MAX];
    struct stat st;
    if (::lstat(path, &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(path, real)) out->target = real;
    out->temp = out->target + ".part" + std::to_string(long(::getpid()));
    out->file = std::fopen(out->temp.c_str(), "wb");
    if (!out->file) {
        const int e = errno;
        out->temp.clear();
        errno = e;
        return 0;
    }
    return 1;
}

int CliOutputCommit(CliOutput* out) {
    if (!out->file) return 0;
    if (out->toStdout) {
        const int ok = std::fflush(stdout) == 0 && !std::ferror(stdout);
        out->file = nullptr;
        if (!ok && !errno) errno = EIO;
        return ok;
    }
    errno = 0;
    int ok = std::fflush(out->file) == 0 && !std::ferror(out->file);
    int e = ok ? 0 : (errno ? errno : EIO);
    if (std::fclose(out->file) != 0 && ok) {
        ok = 0;
        e = errno;
    }
    out->file = nullptr;
    struct stat st;
    if (ok && ::stat(out->target.c_str(), &st) == 0) {
        // the target keeps its permission bits and, where allowed, its owner
        ::chmod(out->temp.c_str(), st.st_mode & 07777);
        if (::chown(out->temp.c_str(), st.st_uid, st.st_gid) != 0) errno = 0;
    }
    if (ok && std::rename(out->temp.c_str(), out->target.c_str()) != 0) {
        ok = 0;
        e = errno;
    }
    if (!ok) std::remove(out->temp.c_str());
    out->temp.clear();
    errno = e;
    return ok;
}

void CliOutputDiscard(CliOutput* out) {
    if (out->file && !out->toStdout) std::fclose(out->file);
    if (!out->temp.empty()) std::remove(out->temp.c_str());
    *out = CliOutput();
}
