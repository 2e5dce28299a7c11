// Windows build: folders, drive types and numbered files through the system, and the save
// dialog that names the record file.
#include "deck/record_folder.h"
#include "base/shell_handles.h"
#include "resources/resource.h"

#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>

namespace {
enum { DIALOG_NAME_BYTES = 256 };
}

int FolderExists(const char* path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int DriveKindOf(const char* root) { return (int)GetDriveTypeA(root); }

int NumberedFileExists(const char* base, unsigned number) {
    char pattern[MAX_PATH + 8];
    std::snprintf(pattern, sizeof pattern, "%s%03u.*", base, number);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);
    return 1;
}

int DeleteRecording(const char* path) { return DeleteFileA(path) ? 1 : 0; }

int ProgramCommandLine(char* textOut, int bytes) {
    std::snprintf(textOut, (size_t)bytes, "%s", GetCommandLineA());
    return 1;
}

int RunRecordNameDialog(char* nameInOut) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    char title[128] = "", filter[512] = "";
    LoadStringA(instance, STR_RECORD_FILE_TITLE, title, sizeof title);
    LoadStringA(instance, STR_RECORD_FILE_FILTER, filter, sizeof filter - 2);
    for (char* p = filter; *p; ++p)
        if (*p == '|') *p = 0;
    char name[DIALOG_NAME_BYTES];
    std::snprintf(name, sizeof name, "%s", nameInOut);
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    // The deck asks, whatever window is in front (a timer may start a recording while another
    // program is active): the dialog belongs to the main window.
    HWND main = (HWND)MainWindowHandle();
    ofn.hwndOwner = (main && IsWindow(main)) ? main : nullptr;
    ofn.lpstrFilter = filter[0] ? filter : nullptr;
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof name;
    ofn.lpstrTitle = title[0] ? title : nullptr;
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (!GetSaveFileNameA(&ofn)) return 0;
    std::snprintf(nameInOut, DIALOG_NAME_BYTES, "%s", name);
    return 1;
}
