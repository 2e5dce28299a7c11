// Playlist files and persistence between runs: ".spl" files read through the bounded reader and
// written in one step, the save dialog's checks, and the start-up and shutdown of the playlist
// with its history and unnamed list in the registry.
#include "playlist/playlist_files.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/message_box.h"
#include "media/media_file.h"
#include "media/media_probe.h"
#include "playlist/playlist_internal.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_platform.h"
#include "playlist/playlist_spl.h"
#include "settings/registry.h"

namespace {
const char HISTORY_VALUE_PREFIX[] = "file";
const char NONAME_VALUE[] = "NoName";
const char NONAME_FILE_NAME[] = "NoName";
const char NONAME_FILE_EXTENSION[] = ".$$$";

struct PlaylistFilesState {
    int started;          // PlaylistInit succeeded; shutdown writes nothing otherwise
    int noNameWasRead;    // "NoName" named a file at start-up
    int failInitForTest;  // tests: the tables cannot be allocated
};
PlaylistFilesState g_files;

// Opens the list's key, creating it (volatile) when it cannot be opened.
int OpenListKey(RegistryKey* keyOut) {
    if (RegistryOpenKey(PLAYLIST_KEY_PATH, REGISTRY_READ_WRITE, keyOut)) return 1;
    return RegistryCreateVolatileKey(PLAYLIST_KEY_PATH, keyOut);
}

// A value that cannot be read is the empty string.
void ReadListValue(RegistryKey key, const char* name, char* out) {
    if (!key || !RegistryReadString(key, name, out, PLAYLIST_PATH_BYTES)) out[0] = 0;
}

void HistoryValueName(int i, char* out, size_t bytes) { std::snprintf(out, bytes, "%s%d", HISTORY_VALUE_PREFIX, i); }

int CanOpenForReading(const char* path) {
    MediaFileGuard g;
    return OpenMediaFile(path, MF_READ, &g.file);
}

const char* EntryPathAt(int n) { return PL().entries[n - 1].path; }

// Turns an entry line's fields into the path to add: the first field when that file opens,
// else the list's folder and the relative form without its ".\" when that file opens.
void ResolveEntry(const char* listFolder, const char* first, const char* second, char* pathOut) {
    CopyPath(pathOut, first);
    if (CanOpenForReading(first) || std::strlen(second) < 2) return;
    std::string moved = std::string(listFolder) + (second + 2);
    if (moved.size() < PLAYLIST_PATH_BYTES && CanOpenForReading(moved.c_str())) CopyPath(pathOut, moved.c_str());
}
}  // namespace

int ReadPlaylistFile(const char* path, int level, int owner) {
    if (level > PLAYLIST_MAX_NESTING) return 0;
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader reader = FileReader(&g.file);
    SplLineReader lines;
    StartSplLines(&lines, &reader);
    char folder[SPL_FIELD_BYTES];
    FolderOfPath(path, folder);

    // Every list entry of this file counts one level deeper than the one before it, so a file
    // that names itself is read again twice and then refused.
    int counter = level;
    char line[SPL_LINE_BUFFER_BYTES], first[SPL_FIELD_BYTES], second[SPL_FIELD_BYTES], entry[PLAYLIST_PATH_BYTES];
    while (NextSplLine(&lines, line) > 0) {
        int kind = ParseSplLine(line, first, second);
        if (kind == SPL_LINE_STOP) break;
        if (kind != SPL_LINE_ENTRY) continue;
        ResolveEntry(folder, first, second, entry);
        if (IsListPath(entry)) ++counter;
        AddFile(entry, counter, owner);
    }
    return 1;
}

int WritePlaylistFile(const char* path) {
    std::string text = BuildSplText(path, PL().entryCount, EntryPathAt);
    if (!ReplaceListFile(path, text.data(), (uint32_t)text.size())) return 0;
    PL().dirty = 0;
    return 1;
}

int SaveDialog(int owner, char* nameInOut, int askOverwrite) {
    if (!RunSavePlaylistDialog(nameInOut, askOverwrite)) return 0;
    int reason = 0;
    if (FileExists(nameInOut) && !CheckWritable(nameInOut, &reason)) {
        CopyPath(PL().messagePath, nameInOut);
        PlaylistMessage(PLMSG_READ_ONLY, owner);
        return 0;
    }
    return 1;
}

int PlaylistInit(void*) {
    PlaylistVars& v = PL();
    g_files.started = 0;
    g_files.noNameWasRead = 0;
    v.entryCount = 0;
    v.historyCount = 0;
    if (g_files.failInitForTest) {
        PlaylistMessage(PLMSG_NO_MEMORY, OWNER_MAIN_WINDOW);
        return 0;
    }
    ClearPlaylistWithoutPrompt();

    RegistryKeyGuard key;
    OpenListKey(&key.key);
    char value[PLAYLIST_PATH_BYTES], name[16];
    for (int i = 1; i <= PLAYLIST_HISTORY_MAX; ++i) {
        HistoryValueName(i, name, sizeof name);
        ReadListValue(key.key, name, value);
        if (!value[0] || !IsListPath(value) || !CanOpenForReading(value)) continue;
        CopyPath(v.history[v.historyCount++], value);
    }

    ReadListValue(key.key, NONAME_VALUE, value);
    if (value[0]) g_files.noNameWasRead = 1;
    if (value[0] && CanOpenForReading(value)) {
        v.acceptTempList = 1;
        ReadPlaylistFile(value, 1, OWNER_MAIN_WINDOW);
        v.acceptTempList = 0;
    } else if (v.historyCount > 0) {
        ReadPlaylistFile(v.history[0], 1, OWNER_MAIN_WINDOW);
        v.named = 1;
        v.dirty = 0;
        v.dropBase = v.entryCount;
    }
    v.probeHold = 0;
    // Refused entries of the restored list are not held against the first add of this run.
    v.addAttempts = v.entryCount;
    g_files.started = 1;
    return 1;
}

int PlaylistShutdown() {
    // Nothing was restored when the start-up did not get this far: keep the registry as it is.
    if (!g_files.started) return 1;
    g_files.started = 0;
    PlaylistVars& v = PL();
    RegistryKeyGuard key;
    int ok = OpenListKey(&key.key);
    char name[16];
    for (int i = 1; ok && i <= PLAYLIST_HISTORY_MAX; ++i) {
        HistoryValueName(i, name, sizeof name);
        RegistryDeleteValue(key.key, name);
    }
    for (int i = 1; ok && i <= v.historyCount; ++i) {
        HistoryValueName(i, name, sizeof name);
        ok = RegistryWriteString(key.key, name, v.history[i - 1]);
    }
    if (ok && v.named) {
        if (g_files.noNameWasRead) RegistryDeleteValue(key.key, NONAME_VALUE);
    } else if (ok) {
        char folder[PLAYLIST_PATH_BYTES], path[PLAYLIST_PATH_BYTES + 16];
        ProgramFolder(folder, sizeof folder);
        std::snprintf(path, sizeof path, "%s%s%s", folder, NONAME_FILE_NAME, NONAME_FILE_EXTENSION);
        if (RegistryWriteString(key.key, NONAME_VALUE, path)) WritePlaylistFile(path);
    }
    ClearPlaylistWithoutPrompt();
    v.historyCount = 0;
    // A failed history write is not a reason to skip the rest of the engine's shutdown (the
    // settings would be lost with it), so the result is always 1.
    return 1;
}

int PlaylistMayClose() { return PromptSaveChanges(OWNER_MAIN_WINDOW) != MSGBOX_ANSWER_CANCEL; }

void SetPlaylistInitFailForTest(int fail) { g_files.failInitForTest = fail; }
