// Playlist model: the entry table and every operation on it, the naming of the list after the
// playlist file it came from, the history of recently used playlist files, the save prompt and
// the playlist's message boxes. Probing lives in playlist_probe.cpp, the list files in
// playlist_files.cpp.
#include "playlist/playlist_model.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "base/bounded_copy.h"
#include "base/message_box.h"
#include "base/path_names.h"
#include "base/shell_handles.h"
#include "media/media_file.h"
#include "media/titles.h"
#include "playlist/playlist_files.h"
#include "playlist/playlist_internal.h"
#include "playlist/playlist_platform.h"
#include "playlist/playlist_window.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {
// A question or dialog of the list is open. Its box runs a message loop, and the user must not
// change the list underneath it: a second Clear answered No inside a pending "save?" would leave
// the first prompt's Yes writing an empty list over the file. List operations refuse meanwhile.
struct QuestionOpen {
    QuestionOpen() { ++PL().questionDepth; }
    ~QuestionOpen() { --PL().questionDepth; }
};
int QuestionPending() { return PL().questionDepth > 0; }

const char TITLE_UNKNOWN[] = "Unknown";
const char LIST_EXTENSION[] = ".spl";
const char TEMP_LIST_EXTENSION[] = ".$$$";
enum { FULL_PATH_BYTES = 2 * PLAYLIST_PATH_BYTES };  // folder + name before the length check

PlaylistVars g_vars;

int EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower((unsigned char)*a) != std::tolower((unsigned char)*b)) return 0;
    return *a == *b;
}

// ".spl", ".wav", ".mid", ".rmi", and every extension starting ".mp" (.mp1 .. .mp3, .mpa, .mpg).
int IsSupportedExtension(const char* ext) {
    if (EqualNoCase(ext, LIST_EXTENSION) || EqualNoCase(ext, ".wav") || EqualNoCase(ext, ".mid") ||
        EqualNoCase(ext, ".rmi"))
        return 1;
    return std::strlen(ext) >= 3 && ext[0] == '.' && std::tolower((unsigned char)ext[1]) == 'm' &&
           std::tolower((unsigned char)ext[2]) == 'p';
}

int CanOpenForReading(const char* path) {
    MediaFileGuard g;
    return OpenMediaFile(path, MF_READ, &g.file);
}

void ClearSlot(PlaylistSlot& s) { std::memset(&s, 0, sizeof s); }

// The window's title names the playlist file while the list is named.
void ShowNameInTitle() { ShowListName(PL().named && PL().historyCount > 0 ? PL().history[0] : "No Name"); }

void RefreshHistory() { RefreshHistoryBox(PL().named); }

void RestartProbing() { PL().probeRestart = 1; }

// "No Name": the window's title says so and the list is no longer named; both only while the
// window is open, so a list named by its file stays named while the window is closed.
void NameNoName() {
    if (!PlaylistWindowIsOpen()) return;
    PL().named = 0;
    ShowNameInTitle();
    RefreshHistory();
}

void NamingRule(const char* path) {
    PlaylistVars& v = PL();
    if (IsListPath(path)) {
        // A list file merged into a list that already existed leaves the name alone.
        if (v.passBase != 0 && v.dropBase != 0) return;
        char name[PLAYLIST_PATH_BYTES];
        CopyPath(name, path);  // path may be a history string that the push moves
        PushHistory(name);
        ShowNameInTitle();
        RestartProbing();
        v.dirty = 0;
        v.dropBase = v.entryCount;
        return;
    }
    if (v.passBase != 0) return;
    NameNoName();
    RestartProbing();
}

// A dialog result or a single path: one path and two zeros, or a folder, the names and a zero.
int AddFileList(const char* buffer, int owner) {
    PlaylistVars& v = PL();
    const char* first = buffer;
    size_t firstLength = std::strlen(first);
    const char* name = first + firstLength + 1;
    int result = 1;
    if (*name == 0) {
        if (firstLength + 1 >= PLAYLIST_PATH_BYTES) {
            PlaylistMessage(PLMSG_PATH_TOO_LONG, owner);
            v.probeHold = 0;
            return 0;
        }
        v.filesInOperation = 1;
        CopyPath(v.lastAddedPath, first);
        result = AddFile(first, 1, owner);
    } else {
        v.passBase = v.entryCount;
        std::string folder(first);
        if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
        if (!v.named) NameNoName();
        v.filesInOperation = 0;
        for (; *name; name += std::strlen(name) + 1) {
            if (++v.filesInOperation > PLAYLIST_MAX_ENTRIES) {
                result = 0;
                break;
            }
            std::string full = folder + name;
            // The message comes first; the entry's fields cannot hold the path, so AddFile then
            // refuses it.
            if (full.size() + 1 >= PLAYLIST_PATH_BYTES) PlaylistMessage(PLMSG_PATH_TOO_LONG, owner);
            AddFile(full.c_str(), 1, owner);
        }
    }
    v.probeHold = 0;
    return result;
}

// Swaps two entries (whole records: the probe state goes with the entry).
void SwapEntries(int a, int b) {
    PlaylistSlot t;
    std::memcpy(&t, &PL().entries[a - 1], sizeof t);
    std::memcpy(&PL().entries[a - 1], &PL().entries[b - 1], sizeof t);
    std::memcpy(&PL().entries[b - 1], &t, sizeof t);
}

// Two neighbours that swapped are redrawn alone; a rotation (first to last, last to first)
// moved every row. The totals follow, since a probe may have run for the moved entries.
void RedrawMoved(int a, int b) {
    if (a - b == 1 || b - a == 1) {
        RefreshRow(a);
        RefreshRow(b);
    } else {
        RefreshAll();
    }
    ShowTotals(PL().shownTotalMs, PL().entryCount);
}

void ProbeIfNotProbed(int n) {
    if (n >= 1 && n <= PL().entryCount && PL().entries[n - 1].probeState != Probed) ProbeEntry(n);
}

// Notes where the chosen files came from, for the next dialog, and whether any of them is of a
// kind the list takes. A multi-selection keeps its folder itself, so the next dialog opens there.
int NoteDialogResult(const char* buffer) {
    const char* first = buffer;
    const char* name = first + std::strlen(first) + 1;
    EngineSettings& s = Settings();
    if (*name == 0) {
        CopyBounded(s.selectDir, sizeof s.selectDir, first, (size_t)(FileNameOf(first) - first));
        return IsSupportedExtension(ExtensionOf(first));
    }
    CopyBoundedString(s.selectDir, sizeof s.selectDir, first);
    for (; *name; name += std::strlen(name) + 1)
        if (IsSupportedExtension(ExtensionOf(name))) return 1;
    return 0;
}

// After a prompt: stop when the user cancelled, or when the list is still changed and named
// after an answer other than No (the save did not happen).
int PromptStops(int answer) {
    return answer == MSGBOX_ANSWER_CANCEL || (answer != MSGBOX_ANSWER_NO && PL().dirty && PL().named);
}

struct MessageRow {
    int code;
    int stringId;
    MessageJoin join;  // how messagePath goes into the text
    unsigned style;
};
// code, string, join, buttons and icon
const MessageRow MESSAGE_TABLE[] = {
    {PLMSG_NO_MEMORY,           STR_NOT_ENOUGH_MEMORY,     JOIN_NONE,   MSGBOX_ICONWARNING                     },
    {PLMSG_CANNOT_PLAY,         STR_CANNOT_BE_PLAYED,      JOIN_SPACE,  MSGBOX_ICONWARNING                     },
    {PLMSG_READ_ONLY,           STR_READ_ONLY_FILE,        JOIN_SPACE,  MSGBOX_ICONSTOP                        },
    {PLMSG_NO_MORE_FILES,       STR_CANNOT_ADD_NO_MORE,    JOIN_NONE,   MSGBOX_ICONSTOP                        },
    {PLMSG_SAVE_CHANGED,        STR_SAVE_CHANGED_LIST,     JOIN_FORMAT, MSGBOX_YESNOCANCEL | MSGBOX_ICONWARNING},
    {PLMSG_NOT_FOUND,           STR_CANNOT_BE_FOUND,       JOIN_FORMAT, MSGBOX_ICONWARNING                     },
    {PLMSG_PATH_TOO_LONG,       STR_PATH_TOO_LONG,         JOIN_NONE,   MSGBOX_ICONWARNING                     },
    {PLMSG_CANNOT_ADD_MORE,     STR_CANNOT_ADD_MORE,       JOIN_NONE,   MSGBOX_ICONWARNING                     },
    {PLMSG_FORMATS_UNSUPPORTED, STR_FORMATS_NOT_SUPPORTED, JOIN_NONE,   MSGBOX_ICONWARNING                     },
};
}  // namespace

PlaylistVars& PL() { return g_vars; }

int IsListPath(const char* path) { return HasExtension(path, LIST_EXTENSION); }

void CopyPath(char* out, const char* text) { CopyBoundedString(out, PLAYLIST_PATH_BYTES, text); }

void FileTitleOf(const char* path, char* out) {
    const char* name = FileNameOf(path);
    size_t length = (size_t)(ExtensionOf(path) - name);
    if (length >= PLAYLIST_PATH_BYTES) length = PLAYLIST_PATH_BYTES - 1;
    std::memcpy(out, name, length);
    out[length] = 0;
}

// ---- queries ---------------------------------------------------------------------------------

int GetEntryCount() { return PL().entryCount; }

int GetEntryPath(int n, char* pathOut) {
    if (n < 1 || n > PL().entryCount) return 0;
    std::memcpy(pathOut, PL().entries[n - 1].path, PLAYLIST_PATH_BYTES);
    return 1;
}

int GetEntry(int n, PlaylistEntry* entryOut) {
    if (n < 1 || n > PL().entryCount) return 0;
    const PlaylistSlot& s = PL().entries[n - 1];
    *entryOut = PlaylistEntry{s.path, s.fileName, s.title, s.durationMs, s.probeState};
    return 1;
}

int SetCurrentNumber(int n) {
    if (n < 0 || n > PLAYLIST_MAX_ENTRIES) return 0;
    if (n == PL().currentNumber) return 1;
    PL().currentNumber = n;
    MarkCurrent(n);
    return 1;
}

int GetCurrentNumber() { return PL().currentNumber; }
int GetHistoryCount() { return PL().historyCount; }

int GetHistoryPath(int k, char* pathOut) {
    if (k < 1 || k > PL().historyCount) return 0;
    std::memcpy(pathOut, PL().history[k - 1], PLAYLIST_PATH_BYTES);
    return 1;
}

int PlaylistIsNamed() { return PL().named; }
int PlaylistIsDirty() { return PL().dirty; }
int PlaylistProbeHeld() { return PL().probeHold; }

// ---- adding ----------------------------------------------------------------------------------

int AddFile(const char* path, int level, int owner) {
    PlaylistVars& v = PL();
    const char* ext = ExtensionOf(path);
    if (EqualNoCase(ext, LIST_EXTENSION) || (v.acceptTempList && EqualNoCase(ext, TEMP_LIST_EXTENSION)))
        return ReadPlaylistFile(path, level, owner);
    if (EqualNoCase(ext, TEMP_LIST_EXTENSION)) return 0;
    v.addAttempts++;
    if (v.entryCount >= PLAYLIST_MAX_ENTRIES) return 0;
    if (!IsSupportedExtension(ext)) {
        CopyPath(v.messagePath, path);
        v.unsupportedSeen = 1;
        return 0;
    }
    // A path the entry's 256-byte fields cannot hold is refused rather than cut short.
    if (std::strlen(path) >= PLAYLIST_PATH_BYTES) return 0;
    PlaylistSlot& s = v.entries[v.entryCount];
    ClearSlot(s);
    std::strcpy(s.path, path);
    std::strcpy(s.fileName, FileNameOf(path));
    std::strcpy(s.title, TITLE_UNKNOWN);
    s.durationMs = 0;
    s.probeState = Unprobed;
    v.entryCount++;
    v.dirty = 1;
    return 1;
}

int HasSupportedExtension(const char* path) { return IsSupportedExtension(ExtensionOf(path)); }

int AddPath(const char* path) {
    PlaylistVars& v = PL();
    if (!path || !path[0]) return 0;
    if (v.entryCount >= PLAYLIST_MAX_ENTRIES) {
        v.addAttempts++;
        return 0;
    }
    CopyPath(v.lastAddedPath, path);
    std::vector<char> single(std::strlen(path) + 2, 0);
    std::memcpy(single.data(), path, single.size() - 2);
    int owner = PlaylistWindowIsOpen() ? OWNER_PLAYLIST_WINDOW : OWNER_MAIN_WINDOW;
    return AddFileList(single.data(), owner);
}

void MarkBeforeDrop() {
    PL().dropBase = PL().entryCount;
    PL().unsupportedSeen = 0;
}

void FinishAdd(int fileCount, int owner) {
    PlaylistVars& v = PL();
    if (fileCount != 1) {
        if (owner == OWNER_MAIN_WINDOW)
            NameNoName();
        else if (v.named)
            NamingRule(v.lastAddedPath);
    } else {
        NamingRule(v.lastAddedPath);
    }
    if (v.unsupportedSeen) {
        if (fileCount == 1) {
            NamingRule(v.lastAddedPath);
            std::memcpy(v.messagePath, v.lastAddedPath, PLAYLIST_PATH_BYTES);
            PlaylistMessage(PLMSG_CANNOT_PLAY, owner);
        } else {
            if (owner == OWNER_MAIN_WINDOW)
                NameNoName();
            else
                NamingRule(v.lastAddedPath);
            PlaylistMessage(PLMSG_FORMATS_UNSUPPORTED, owner);
        }
        v.unsupportedSeen = 0;
    }
    if (v.addAttempts > PLAYLIST_MAX_ENTRIES) PlaylistMessage(PLMSG_CANNOT_ADD_MORE, owner);
    v.addAttempts = v.entryCount;
}

int SelectFiles(void* owner) {
    PlaylistVars& v = PL();
    if (QuestionPending()) return 0;
    EnableListWindow(0);
    std::vector<char> chosen(SELECT_RESULT_BYTES, 0);
    int ok = 0;
    {
        QuestionOpen question;
        ok = RunSelectFileDialog(Settings().selectDir, chosen.data(), (uint32_t)chosen.size() - 2);
    }
    if (!ok) {
        EnableListWindow(1);
        return 0;
    }
    int anySupported = NoteDialogResult(chosen.data());
    if (PromptStops(PromptSaveChanges(OWNER_MAIN_WINDOW))) {
        RefreshHistory();
        EnableListWindow(1);
        return 0;
    }
    EnableListWindow(1);
    if (anySupported) ClearPlaylistWithoutPrompt();
    AddFileList(chosen.data(), OWNER_MAIN_WINDOW);
    RestartProbing();
    RefreshPlaylistView();
    FinishAdd(v.filesInOperation, OWNER_MAIN_WINDOW);
    return 1;
}

int AddFilesDialog() {
    PlaylistVars& v = PL();
    if (QuestionPending()) return 0;
    v.probeHold = 1;
    std::vector<char> chosen(SELECT_RESULT_BYTES, 0);
    EnableMainWindow(0);
    int ok = 0;
    {
        QuestionOpen question;
        ok = RunSelectFileDialog(Settings().selectDir, chosen.data(), (uint32_t)chosen.size() - 2);
    }
    EnableMainWindow(1);
    if (!ok) {
        v.probeHold = 0;
        return 0;
    }
    NoteDialogResult(chosen.data());
    AddFileList(chosen.data(), OWNER_PLAYLIST_WINDOW);
    RefreshPlaylistView();
    FinishAdd(v.filesInOperation, OWNER_PLAYLIST_WINDOW);
    return 1;
}

// ---- editing ---------------------------------------------------------------------------------

int DeleteEntry(int n) {
    PlaylistVars& v = PL();
    if (QuestionPending()) return 0;
    if (n < 1 || n > v.entryCount) return 0;
    v.probeHold = 1;
    if (v.entries[n - 1].probeState == Probed) RemoveFromTotals(v.entries[n - 1], v.entryCount);
    std::memmove(&v.entries[n - 1], &v.entries[n], sizeof(PlaylistSlot) * (size_t)(v.entryCount - n));
    v.probeHold = 0;
    v.probeSeen = 0;
    v.probePassEnd = 0;
    v.entryCount--;
    ClearSlot(v.entries[v.entryCount]);
    v.addAttempts = v.entryCount;
    v.dirty = 1;
    return 1;
}

int MoveEntry(int n, int step) {
    PlaylistVars& v = PL();
    if (QuestionPending()) return 0;
    if (n < 1 || n > v.entryCount || (step != MOVE_UP && step != MOVE_DOWN)) return 0;
    int other = n + step;
    if (other >= 1 && other <= v.entryCount) {
        SwapEntries(n, other);
    } else {
        // Past an end the entry goes round (the first to the end, the last to the top) and the
        // rest shift one place; the rows changed are then the first and the last.
        int count = v.entryCount;
        int from = step == MOVE_UP ? 0 : count - 1, to = count - 1 - from;
        PlaylistSlot moved;
        std::memcpy(&moved, &v.entries[from], sizeof moved);
        if (step == MOVE_UP)
            std::memmove(&v.entries[0], &v.entries[1], sizeof(PlaylistSlot) * (size_t)(count - 1));
        else
            std::memmove(&v.entries[1], &v.entries[0], sizeof(PlaylistSlot) * (size_t)(count - 1));
        std::memcpy(&v.entries[to], &moved, sizeof moved);
        n = 1;
        other = count;
    }
    v.dirty = 1;
    ProbeIfNotProbed(n);
    ProbeIfNotProbed(other);
    RedrawMoved(n, other);
    return 1;
}

void ClearPlaylistWithoutPrompt() {
    PlaylistVars& v = PL();
    for (int i = 0; i < v.entryCount; ++i) ClearSlot(v.entries[i]);
    v.totalMs = v.totalWithGapsMs = v.shownTotalMs = 0;
    v.entryCount = 0;
    v.passBase = v.addAttempts = v.dirty = v.named = v.probeRestart = v.probeHold = 0;
    RefreshPlaylistView();
    NameNoName();
}

int ClearPlaylist() {
    PlaylistVars& v = PL();
    if (QuestionPending()) return 0;
    if (v.dirty && v.named) {
        int windowOpen = PlaylistWindowIsOpen();
        if (windowOpen) EnableMainWindow(0);
        int answer = PromptSaveChanges(windowOpen ? OWNER_PLAYLIST_WINDOW : OWNER_MAIN_WINDOW);
        if (windowOpen) EnableMainWindow(1);
        if (answer == MSGBOX_ANSWER_CANCEL) return 0;
    }
    ClearPlaylistWithoutPrompt();
    return 1;
}

int PromptSaveChanges(int owner) {
    PlaylistVars& v = PL();
    if (!(v.dirty && v.named)) return 1;
    QuestionOpen question;
    FileTitleOf(v.history[0], v.messagePath);
    int answer = PlaylistMessage(PLMSG_SAVE_CHANGED, owner);
    if (answer != MSGBOX_ANSWER_YES) return answer;
    char path[PLAYLIST_PATH_BYTES];
    CopyPath(path, v.history[0]);
    if (!SaveDialog(owner, path, 0)) return MSGBOX_ANSWER_CANCEL;
    // A list that could not be written must not be given up: the caller stops as on Cancel.
    if (!WritePlaylistFile(path)) {
        CopyPath(v.messagePath, path);
        PlaylistMessage(PLMSG_READ_ONLY, owner);
        return MSGBOX_ANSWER_CANCEL;
    }
    PushHistory(path);
    return MSGBOX_ANSWER_YES;
}

int SavePlaylist() {
    PlaylistVars& v = PL();
    if (QuestionPending()) return 0;
    if (v.entryCount < 1) return 0;
    char path[PLAYLIST_PATH_BYTES] = "";
    if (v.named) CopyPath(path, v.history[0]);
    EnableMainWindow(0);
    int chosen = 0;
    {
        QuestionOpen question;
        chosen = SaveDialog(OWNER_PLAYLIST_WINDOW, path, 1);
    }
    EnableMainWindow(1);
    if (!chosen || !WritePlaylistFile(path)) return 0;
    PushHistory(path);
    ShowNameInTitle();
    v.dirty = 0;
    return 1;
}

int OpenHistoryEntry(int k) {
    PlaylistVars& v = PL();
    if (QuestionPending()) return 0;
    if (k < 1 || k > v.historyCount || (k == 1 && v.named)) return 0;
    if (PromptStops(PromptSaveChanges(OWNER_PLAYLIST_WINDOW))) {
        RefreshHistory();
        return 0;
    }
    char path[PLAYLIST_PATH_BYTES];
    CopyPath(path, v.history[k - 1]);
    if (!CanOpenForReading(path)) {
        FileTitleOf(path, v.messagePath);
        PlaylistMessage(PLMSG_NOT_FOUND, OWNER_PLAYLIST_WINDOW);
        RefreshHistory();
        return 0;
    }
    ClearPlaylistWithoutPrompt();
    AddPath(path);
    RestartProbing();
    RefreshPlaylistView();
    FinishAdd(v.filesInOperation, OWNER_PLAYLIST_WINDOW);
    return 1;
}

void PushHistory(const char* path) {
    PlaylistVars& v = PL();
    int at = -1;
    for (int i = 0; i < v.historyCount && i < PLAYLIST_HISTORY_MAX; ++i)
        if (EqualNoCase(v.history[i], path)) at = i;
    if (at < 0) {
        if (v.historyCount < PLAYLIST_HISTORY_MAX) v.historyCount++;
        at = v.historyCount - 1;
    }
    CopyPath(v.history[at], path);  // a known path takes the new letter case
    for (; at > 0; --at) {
        char t[PLAYLIST_PATH_BYTES];
        std::memcpy(t, v.history[at], sizeof t);
        std::memcpy(v.history[at], v.history[at - 1], sizeof t);
        std::memcpy(v.history[at - 1], t, sizeof t);
    }
    v.named = 1;
    RefreshHistory();
}

void NameListNoName() { NameNoName(); }

int RefreshTitles(const char* path) {
    PlaylistVars& v = PL();
    for (int i = 0; i < v.entryCount; ++i) {
        PlaylistSlot& s = v.entries[i];
        if (!EqualNoCase(s.path, path)) continue;
        ReadEntryTitle(&s);
    }
    RefreshPlaylistView();
    return 1;
}

// ---- messages --------------------------------------------------------------------------------

int PlaylistMessage(int code, int owner) {
    const MessageRow* row = nullptr;
    for (const MessageRow& r : MESSAGE_TABLE)
        if (r.code == code) row = &r;
    if (!row) return 0;
    PlaylistVars& v = PL();
    // The deck tick keeps running inside the box; probing must not start under it.
    v.probeHold = 1;
    EnableMainWindow(0);
    int answer = 0;
    {
        QuestionOpen question;
        // The list's questions belong to its window while it is open: the box keeps it disabled,
        // so no second Clear, Delete or Save can run inside a pending question.
        MessageOwnerScope scope(PlaylistWindowIsOpen() ? ListWindowHandle() : nullptr);
        answer = ShowDeckMessage(row->stringId, row->join == JOIN_NONE ? nullptr : v.messagePath, row->join, row->style);
    }
    EnableMainWindow(1);
    v.probeHold = 0;
    // Without memory the window cannot be trusted to draw the list any longer.
    if (code == PLMSG_NO_MEMORY && owner == OWNER_PLAYLIST_WINDOW) CloseListWindow();
    return answer;
}

void RefreshPlaylistView() { RefreshAll(); }

void ResetPlaylistForTest() { std::memset(&g_vars, 0, sizeof g_vars); }
