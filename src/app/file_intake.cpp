// Opening command-line and handed-over files (see file_intake.h).
#include "app/file_intake.h"
#include "base/bounded_copy.h"
#include "deck/deck.h"
#include "playlist/playlist_model.h"
#include <cctype>

namespace {
// The first file: a new list that starts playing; when it cannot be opened it is appended.
void OpenFirstFile(const char* path) {
    if (OpenAsNewList(path))
        StartPlay();
    else
        AddPath(path);
}
}  // namespace

int OpenStartFiles(const char* const* paths, int count) {
    MarkBeforeDrop();
    int handled = 0;
    for (int i = 0; i < count; ++i) {
        if (i == 0)
            OpenFirstFile(paths[i]);
        else
            AddPath(paths[i]);
        ++handled;
    }
    RefreshPlaylistView();
    FinishAdd(handled, OWNER_MAIN_WINDOW);
    return handled;
}

int OpenDroppedFiles(const char* const* paths, int count) {
    MarkBeforeDrop();
    int opened = 0;
    for (int i = 0; i < count; ++i) {
        if (opened) {
            AddPath(paths[i]);
        } else if (OpenAsNewList(paths[i])) {
            StartPlay();
            opened = 1;
        } else {
            AddPath(paths[i]);
        }
    }
    RefreshPlaylistView();
    FinishAdd(count, OWNER_MAIN_WINDOW);
    return count;
}

void TakeHandedFile(const char* path, unsigned long dwData) {
    MarkBeforeDrop();
    if (dwData != 0)
        OpenFirstFile(path);
    else
        AddPath(path);
    RefreshPlaylistView();
    FinishAdd(1, OWNER_MAIN_WINDOW);
}

int ReceivedPathNeedsLongForm(const char* received, const char* shortForm) {
    for (; *received && *shortForm; ++received, ++shortForm)
        if (std::toupper((unsigned char)*received) != std::toupper((unsigned char)*shortForm)) return 0;
    return *received == 0 && *shortForm == 0;
}

int CopyHandedPath(const void* data, unsigned long bytes, char* out, int outBytes) {
    if (outBytes <= 0) return 0;
    return (int)CopyBounded(out, (size_t)outBytes, static_cast<const char*>(data), bytes);
}
