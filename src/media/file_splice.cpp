// ApplySplice: the one way the media modules change a file.
//
// In place, when a failure cannot lose data: the new bytes are just as long as the old ones, or
// everything from the cut to the end of the file is title data (held in memory first, at most
// 1 MB). The header patch is written last; any failed step writes the saved bytes back and
// restores the old length, so the file ends as it was. A crash in the middle can spoil a title,
// never audio.
//
// Otherwise, when audio would have to move, the new file is written beside the old one in the
// same folder, flushed, and swapped in by a replace; a failure deletes the copy and leaves the
// original untouched. Without room for the copy the write is refused up front. The copy goes
// beside the file a link points at, and takes the original's permissions and owner, so the
// user's file stays the same file. Where a swap cannot keep that (hard links, another program
// holding the file open, an owner we may not set), the audio is moved inside the file itself,
// with everything from the cut on first saved to a backup file beside it ("~qdundoNN.tmp")
// from which a failure restores it.
//
// A temporary copy ("~qdtitleNN.tmp") left behind by a program that died mid-write is deleted
// by the next write to its folder: until the swap, the original is whole without it. A backup
// left behind is kept, as it may hold the only copy of the audio.
#include "media/file_splice.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include "base/path_names.h"

namespace {

const int TEMP_NAME_TRIES = 100;
const size_t PATH_LIMIT = 260;  // ANSI paths of the platform

int g_lastFailure = WRITE_OK;

int Fail(int failure) {
    // A write that failed for want of room says so (a full disk or the file-size limit).
    g_lastFailure =
        failure == WRITE_FAILED_IO && LastMediaFileError() == MEDIA_ERROR_NO_ROOM ? WRITE_FAILED_NO_ROOM : failure;
    return 0;
}

uint64_t NewSize(const Splice* s, uint64_t oldSize) { return oldSize - (s->cutEnd - s->cutStart) + s->insertLength; }

// Writes the saved bytes back and restores the old length; best effort, every step tried.
void Undo(const MediaFile* f, const Splice* s, uint64_t oldSize, const uint8_t* savedTail, uint32_t savedTailLength,
          const uint8_t* savedPatch) {
    if (savedTailLength) WriteMediaFile(f, s->cutStart, savedTail, savedTailLength);
    if (MediaFileSize(f) != oldSize) TruncateMediaFile(f, oldSize);
    if (s->patchLength) WriteMediaFile(f, s->patchAt, savedPatch, s->patchLength);
}

int SpliceInPlace(const MediaFile* f, const Splice* s, uint64_t oldSize) {
    uint64_t cutLength = s->cutEnd - s->cutStart;
    // Same length: only the cut range changes. Else the range runs to the end of the file.
    uint64_t savedLength = cutLength == s->insertLength ? cutLength : oldSize - s->cutStart;
    std::unique_ptr<uint8_t[]> saved(new uint8_t[savedLength ? savedLength : 1]);
    uint8_t savedPatch[8];
    if (ReadMediaFile(f, s->cutStart, saved.get(), uint32_t(savedLength)) != savedLength ||
        (s->patchLength && ReadMediaFile(f, s->patchAt, savedPatch, s->patchLength) != s->patchLength))
        return Fail(WRITE_FAILED_IO);
    // The new bytes, followed by whatever stood behind the cut.
    uint64_t behind = savedLength - cutLength;
    std::unique_ptr<uint8_t[]> fresh(new uint8_t[s->insertLength + behind + 1]);
    if (s->insertLength) std::memcpy(fresh.get(), s->insert, s->insertLength);
    std::memcpy(fresh.get() + s->insertLength, saved.get() + cutLength, size_t(behind));
    uint64_t freshLength = s->insertLength + behind;
    uint64_t newSize = NewSize(s, oldSize);
    int ok = (freshLength == 0 || WriteMediaFile(f, s->cutStart, fresh.get(), uint32_t(freshLength))) &&
             (newSize >= oldSize || TruncateMediaFile(f, newSize)) &&
             (s->patchLength == 0 || WriteMediaFile(f, s->patchAt, s->patch, s->patchLength));
    if (ok) return 1;
    Undo(f, s, oldSize, saved.get(), uint32_t(savedLength), savedPatch);
    return Fail(WRITE_FAILED_IO);
}

// Copies [from, to) of src to dst at *at.
int CopyRange(const MediaFile* src, uint64_t from, uint64_t to, const MediaFile* dst, uint64_t* at) {
    if (from >= to) return 1;
    if (!CopyMediaFileRange(src, from, dst, *at, to - from)) return 0;
    *at += to - from;
    return 1;
}

int WriteCopy(const MediaFile* src, const Splice* s, uint64_t oldSize, const MediaFile* dst) {
    uint64_t at = 0;
    if (s->patchLength) {
        if (!CopyRange(src, 0, s->patchAt, dst, &at) || !WriteMediaFile(dst, at, s->patch, s->patchLength)) return 0;
        at += s->patchLength;
        if (!CopyRange(src, s->patchAt + s->patchLength, s->cutStart, dst, &at)) return 0;
    } else if (!CopyRange(src, 0, s->cutStart, dst, &at)) {
        return 0;
    }
    if (s->insertLength && !WriteMediaFile(dst, at, s->insert, s->insertLength)) return 0;
    at += s->insertLength;
    return CopyRange(src, s->cutEnd, oldSize, dst, &at) && FlushMediaFile(dst);
}

// Creates "<prefix>NN.tmp" in the folder of path. With removeStale, a name taken by a leftover
// of a dead write is freed and used.
int CreateTempBeside(const char* path, const char* prefix, int removeStale, MediaFile* tempOut, char* tempPathOut) {
    tempOut->handle = -1;
    tempPathOut[0] = 0;
    const char* name = FileNameOf(path);
    std::string folder(path, size_t(name - path));
    for (int i = 0; i < TEMP_NAME_TRIES; i++) {
        char leaf[32];
        std::snprintf(leaf, sizeof leaf, "%s%02d.tmp", prefix, i);
        std::string temp = folder + leaf;
        if (temp.size() >= PATH_LIMIT) return 0;
        int created = CreateMediaFile(temp.c_str(), tempOut);
        if (!created && !PathFound(temp.c_str())) return 0;  // creation fails for another reason
        if (!created && removeStale && DeleteStaleMediaFile(temp.c_str()))
            created = CreateMediaFile(temp.c_str(), tempOut);
        if (created) {
            std::memcpy(tempPathOut, temp.c_str(), temp.size() + 1);
            return 1;
        }
    }
    return 0;
}

// Moves the audio inside the file (see the top of this file); f stays open.
int SpliceMovingInPlace(const char* path, const MediaFile* f, const Splice* s, uint64_t oldSize) {
    uint64_t tail = oldSize - s->cutStart, cutLength = s->cutEnd - s->cutStart, newSize = NewSize(s, oldSize);
    uint8_t savedPatch[8];
    if (s->patchLength && ReadMediaFile(f, s->patchAt, savedPatch, s->patchLength) != s->patchLength)
        return Fail(WRITE_FAILED_IO);
    MediaFileGuard backup;
    char backupPath[PATH_LIMIT];
    if (!CreateTempBeside(path, "~qdundo", 0, &backup.file, backupPath)) return Fail(WRITE_FAILED_IO);
    int saved = CopyMediaFileRange(f, s->cutStart, &backup.file, 0, tail) && FlushMediaFile(&backup.file);
    int ok = saved && (s->insertLength == 0 || WriteMediaFile(f, s->cutStart, s->insert, s->insertLength)) &&
             (tail == cutLength ||
              CopyMediaFileRange(&backup.file, cutLength, f, s->cutStart + s->insertLength, tail - cutLength)) &&
             (newSize >= oldSize || TruncateMediaFile(f, newSize)) &&
             (s->patchLength == 0 || WriteMediaFile(f, s->patchAt, s->patch, s->patchLength)) && FlushMediaFile(f);
    int whole = ok || !saved;  // the file holds all of its bytes, old or new
    if (!whole) {
        whole = CopyMediaFileRange(&backup.file, 0, f, s->cutStart, tail) &&
                (MediaFileSize(f) == oldSize || TruncateMediaFile(f, oldSize)) &&
                (s->patchLength == 0 || WriteMediaFile(f, s->patchAt, savedPatch, s->patchLength)) && FlushMediaFile(f);
    }
    CloseMediaFile(&backup.file);
    // The backup goes once the file is whole again. Failing to delete it leaves a spare file
    // beside, never a damaged one, so it does not fail the write.
    if (whole) DeleteStaleMediaFile(backupPath);
    return ok ? 1 : Fail(WRITE_FAILED_IO);
}

int SpliceBeside(const char* path, MediaFile* file, const Splice* s, uint64_t oldSize) {
    uint64_t newSize = NewSize(s, oldSize), free = 0;
    if (MediaFreeSpace(path, &free) && free < newSize + SPLICE_SPACE_MARGIN_BYTES) return Fail(WRITE_FAILED_NO_ROOM);
    char real[PATH_LIMIT];
    if (!ResolveMediaPath(path, real)) return Fail(WRITE_FAILED_OPEN);
    MediaFileGuard temp;
    char tempPath[PATH_LIMIT];
    if (!CreateFileBeside(real, &temp.file, tempPath)) return Fail(WRITE_FAILED_IO);
    if (!TakeOverIdentity(file, &temp.file)) {
        CloseMediaFile(&temp.file);
        DeleteStaleMediaFile(tempPath);  // empty and ours; never counted as a failure
        return SpliceMovingInPlace(real, file, s, oldSize);
    }
    int ok = WriteCopy(file, s, oldSize, &temp.file);
    CloseMediaFile(&temp.file);
    CloseMediaFile(file);  // a file still open cannot be replaced
    if (ok && ReplaceMediaFile(tempPath, real)) return 1;
    DeleteMediaFile(tempPath);
    return Fail(WRITE_FAILED_IO);
}

}  // namespace

int LastTitleWriteFailure() { return g_lastFailure; }
void SetTitleWriteFailure(int failure) { g_lastFailure = failure; }

int CreateFileBeside(const char* path, MediaFile* tempOut, char* tempPathOut) {
    return CreateTempBeside(path, "~qdtitle", 1, tempOut, tempPathOut);
}

int ApplySplice(const char* path, MediaFile* file, const Splice* s) {
    ClearMediaFileError();
    uint64_t oldSize = MediaFileSize(file);
    int result;
    if (s->cutStart > s->cutEnd || s->cutEnd > oldSize ||
        (s->patchLength && s->patchAt + s->patchLength > s->cutStart)) {
        result = Fail(WRITE_FAILED_CORRUPT);
    } else {
        uint64_t cutLength = s->cutEnd - s->cutStart;
        int inPlace = cutLength == s->insertLength
                          ? cutLength <= SPLICE_IN_PLACE_MAX_BYTES
                          : s->tailIsTitleData && oldSize - s->cutStart <= SPLICE_IN_PLACE_MAX_BYTES;
        result = inPlace ? SpliceInPlace(file, s, oldSize) : SpliceBeside(path, file, s, oldSize);
    }
    CloseMediaFile(file);
    if (result) g_lastFailure = WRITE_OK;
    return result;
}
