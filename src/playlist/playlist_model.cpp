// Playlist model: the entry table and the queries and edits the deck needs. Entries are fixed
// slots of 256-byte strings; a path that does not fit is refused.
#include "playlist/playlist_model.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "media/media_probe.h"
#include "media/titles.h"

namespace {
struct Slot {
    char path[PLAYLIST_PATH_BYTES];
    char fileName[PLAYLIST_PATH_BYTES];
    char title[PLAYLIST_PATH_BYTES];
    uint32_t durationMs;
    uint32_t probeState;
};

struct PlaylistModule {
    Slot entries[PLAYLIST_MAX_ENTRIES];  // entries 1..entryCount live in [0..entryCount-1]
    int entryCount;
    int currentNumber;  // entry the window marks, 0 = none
    int dirty;          // changed since loaded or saved
    uint32_t totalMs;   // sum of durationMs over the probed entries
    int probeBusy;      // an entry is being probed
};
PlaylistModule g_list;

const char* FileNamePart(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

const char* ExtensionPart(const char* name) {
    const char* dot = std::strrchr(name, '.');
    return dot ? dot : name + std::strlen(name);
}

int EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b)) return 0;
    return *a == *b;
}

// ".wav", ".mid", ".rmi" and every ".mp?" extension.
int IsSupportedSoundExtension(const char* ext) {
    if (EqualNoCase(ext, ".wav") || EqualNoCase(ext, ".mid") || EqualNoCase(ext, ".rmi")) return 1;
    return std::strlen(ext) >= 3 && ext[0] == '.' && std::tolower((unsigned char)ext[1]) == 'm' &&
           std::tolower((unsigned char)ext[2]) == 'p';
}
}  // namespace

int GetEntryCount() { return g_list.entryCount; }

int GetEntryPath(int n, char* pathOut) {
    if (n < 1 || n > g_list.entryCount) return 0;
    std::strcpy(pathOut, g_list.entries[n - 1].path);
    return 1;
}

int GetEntry(int n, PlaylistEntry* entryOut) {
    if (n < 1 || n > g_list.entryCount) return 0;
    const Slot& s = g_list.entries[n - 1];
    *entryOut = PlaylistEntry{s.path, s.fileName, s.title, s.durationMs, s.probeState};
    return 1;
}

int SetCurrentNumber(int n) {
    if (n < 0 || n > PLAYLIST_MAX_ENTRIES) return 0;
    g_list.currentNumber = n;
    return 1;
}

int GetCurrentNumber() { return g_list.currentNumber; }

int AddPath(const char* path) {
    if (!path || !path[0] || g_list.entryCount >= PLAYLIST_MAX_ENTRIES) return 0;
    if (std::strlen(path) >= PLAYLIST_PATH_BYTES) return 0;
    const char* name = FileNamePart(path);
    // List files are read by the list-file module; this model only holds sound files.
    if (!IsSupportedSoundExtension(ExtensionPart(name))) return 0;
    Slot& s = g_list.entries[g_list.entryCount];
    s = Slot{};
    std::strcpy(s.path, path);
    std::strcpy(s.fileName, name);
    std::strcpy(s.title, "Unknown");
    g_list.entryCount++;
    g_list.dirty = 1;
    return 1;
}

// No file dialog in this build: nothing is chosen.
int SelectFiles(void* owner) { return 0; }

int DeleteEntry(int n) {
    if (n < 1 || n > g_list.entryCount) return 0;
    if (g_list.entries[n - 1].probeState == Probed) g_list.totalMs -= g_list.entries[n - 1].durationMs;
    std::memmove(&g_list.entries[n - 1], &g_list.entries[n], sizeof(Slot) * (size_t)(g_list.entryCount - n));
    g_list.entryCount--;
    g_list.dirty = 1;
    return 1;
}

int ClearPlaylist() {
    g_list.entryCount = 0;
    g_list.totalMs = 0;
    g_list.dirty = 0;
    return 1;
}

static void ReadEntryTitle(Slot& s) {
    char title[TITLE_FIELD_MAX_BYTES] = "";
    if (!GetTitleField(s.path, FIELD_TITLE, title, SOURCE_ID3_FIRST) || !title[0]) std::strcpy(title, "No Title");
    std::snprintf(s.title, sizeof s.title, "%s", title);
}

int RefreshTitles(const char* path) {
    for (int i = 0; i < g_list.entryCount; ++i)
        if (EqualNoCase(g_list.entries[i].path, path)) ReadEntryTitle(g_list.entries[i]);
    return 1;
}

int ProbeEntry(int n) {
    if (n < 1 || n > g_list.entryCount) return 0;
    Slot& s = g_list.entries[n - 1];
    if (s.probeState == Probed) return 1;
    g_list.probeBusy = 1;
    FILE* f = std::fopen(s.path, "rb");
    if (!f) {
        std::strcpy(s.title, "File Not Found");
        s.durationMs = 0;
        s.probeState = Failed;
    } else {
        std::fclose(f);
        uint32_t length = 0;
        GetMediaLength(s.path, &length);
        if (length == 0) {
            std::strcpy(s.title, "Illegal File");
            s.durationMs = 0;
            s.probeState = Failed;
        } else {
            s.durationMs = length;
            ReadEntryTitle(s);
            g_list.totalMs += length;
            s.probeState = Probed;
        }
    }
    g_list.probeBusy = 0;
    return 1;
}

uint32_t GetTotalMs() { return g_list.totalMs; }

void RefreshPlaylistView() {}

void ResetPlaylistForTest() {
    g_list.entryCount = 0;
    g_list.totalMs = 0;
    g_list.currentNumber = 0;
    g_list.dirty = 0;
}
