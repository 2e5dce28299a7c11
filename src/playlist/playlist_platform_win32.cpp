// Win32 side of the playlist: the common open and save dialogs with their string-table titles
// and filters, the program's folder, list files replaced through a scratch file, and the windows
// the list disables around its questions.
#include "playlist/playlist_platform.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "base/shell_handles.h"
#include "resources/resource.h"

namespace {
const char PLAYLIST_WINDOW_CLASS[] = "VORNEX_USB_PLAY_LIST";
const char LIST_DEFAULT_EXTENSION[] = "spl";
enum { FILTER_BYTES = 512, TITLE_BYTES = 128 };

// A string-table filter with its "|" separators turned into the zeros the dialog expects.
void LoadFilter(int stringId, char* out, int bytes) {
    std::memset(out, 0, (size_t)bytes);
    LoadStringA(GetModuleHandleA(nullptr), (UINT)stringId, out, bytes - 2);
    for (char* p = out; *p; ++p)
        if (*p == '|') *p = 0;
}

// This process's playlist window, or null.
HWND ListWindow() {
    for (HWND w = FindWindowExA(nullptr, nullptr, PLAYLIST_WINDOW_CLASS, nullptr); w;
         w = FindWindowExA(nullptr, w, PLAYLIST_WINDOW_CLASS, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

HWND OwnerWindow() {
    HWND main = (HWND)MainWindowHandle();
    return (main && IsWindow(main)) ? main : nullptr;
}
}  // namespace

int RunSelectFileDialog(const char* initialFolder, char* resultOut, uint32_t resultBytes) {
    char filter[FILTER_BYTES], title[TITLE_BYTES] = "";
    LoadFilter(STR_SELECT_FILE_FILTER, filter, sizeof filter);
    LoadStringA(GetModuleHandleA(nullptr), STR_SELECT_FILE_TITLE, title, sizeof title);
    std::memset(resultOut, 0, resultBytes);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OwnerWindow();
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = resultOut;
    ofn.nMaxFile = resultBytes;
    ofn.lpstrTitle = title;
    ofn.lpstrInitialDir = (initialFolder && initialFolder[0]) ? initialFolder : nullptr;
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameA(&ofn) ? 1 : 0;
}

int RunSavePlaylistDialog(char* pathInOut, int askOverwrite) {
    char filter[FILTER_BYTES], title[TITLE_BYTES] = "";
    LoadFilter(STR_PLAYLIST_FILTER, filter, sizeof filter);
    LoadStringA(GetModuleHandleA(nullptr), STR_SAVE_PLAYLIST_TITLE, title, sizeof title);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = OwnerWindow();
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = pathInOut;
    ofn.nMaxFile = PLAYLIST_DIALOG_PATH_BYTES;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = LIST_DEFAULT_EXTENSION;
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (askOverwrite ? OFN_OVERWRITEPROMPT : 0);
    return GetSaveFileNameA(&ofn) ? 1 : 0;
}

void ProgramFolder(char* folderOut, int bytes) {
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) path[0] = 0;
    char* cut = std::strrchr(path, '\\');
    if (cut) cut[1] = 0;
    std::snprintf(folderOut, (size_t)bytes, "%s", path);
}

int ReplaceListFile(const char* path, const void* data, uint32_t bytes) {
    char scratch[MAX_PATH + 8];
    if (std::snprintf(scratch, sizeof scratch, "%s.new", path) >= (int)sizeof scratch) return 0;
    HANDLE h = CreateFileA(scratch, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    DWORD written = 0;
    BOOL ok = WriteFile(h, data, bytes, &written, nullptr) && written == bytes;
    ok = CloseHandle(h) && ok;
    if (ok && MoveFileExA(scratch, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 1;
    DeleteFileA(scratch);
    return 0;
}

int PlaylistWindowIsOpen() { return ListWindow() != nullptr; }

void EnableListWindow(int enable) {
    HWND w = ListWindow();
    if (w) EnableWindow(w, enable ? TRUE : FALSE);
}

void EnableMainWindow(int enable) {
    HWND main = OwnerWindow();
    if (main) EnableWindow(main, enable ? TRUE : FALSE);
}

// The script controls exist only in the native build; these let both builds link the same tests.
void QueueSelectFileResult(const char*, uint32_t) {}
void QueueSaveDialogResult(const char*) {}
int SaveDialogAskedOverwrite() { return 0; }
const char* SaveDialogProposedName() { return ""; }
void SetProgramFolderForTest(const char*) {}
void SetPlaylistWindowOpenForTest(int) {}
void FailListWritesForTest(int) {}
void ResetPlaylistPlatformForTest() {}
