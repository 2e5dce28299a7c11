// Win32 side of the playlist: the common open and save dialogs with their string-table titles
// and filters, the program's folder, and the main window the list disables around its questions.
#include "playlist/playlist_platform.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "base/shell_handles.h"
#include "playlist/playlist_window.h"
#include "resources/resource.h"

namespace {
const char LIST_DEFAULT_EXTENSION[] = "spl";
enum { FILTER_BYTES = 512, DIALOG_TITLE_BYTES = 128 };

// A string-table filter with its "|" separators turned into the zeros the dialog expects.
void LoadFilter(int stringId, char* out, int bytes) {
    std::memset(out, 0, (size_t)bytes);
    LoadStringA(GetModuleHandleA(nullptr), (UINT)stringId, out, bytes - 2);
    for (char* p = out; *p; ++p)
        if (*p == '|') *p = 0;
}

HWND MainWindow() {
    HWND main = (HWND)MainWindowHandle();
    return (main && IsWindow(main)) ? main : nullptr;
}

// The dialogs belong to the playlist window while it is open and usable (its own buttons asked
// for them), else to the main window.
HWND OwnerWindow() {
    HWND list = (HWND)ListWindowHandle();
    if (list && IsWindowEnabled(list)) return list;
    return MainWindow();
}
}  // namespace

int RunSelectFileDialog(const char* initialFolder, char* resultOut, uint32_t resultBytes) {
    char filter[FILTER_BYTES], title[DIALOG_TITLE_BYTES] = "";
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
    char filter[FILTER_BYTES], title[DIALOG_TITLE_BYTES] = "";
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

void EnableMainWindow(int enable) {
    HWND main = MainWindow();
    if (main) EnableWindow(main, enable ? TRUE : FALSE);
}

// The script controls exist only in the native build; these let both builds link the same tests.
void QueueSelectFileResult(const char*, uint32_t) {}
void QueueSaveDialogResult(const char*) {}
int SaveDialogAskedOverwrite() { return 0; }
const char* SaveDialogProposedName() { return ""; }
void SetProgramFolderForTest(const char*) {}
void ResetPlaylistPlatformForTest() {}
