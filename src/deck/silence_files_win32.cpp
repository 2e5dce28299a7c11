// Default folder of the silence files on Windows: My Documents, else the program's folder.
#include "deck/silence_files.h"
#include <windows.h>
#include <shlobj.h>
#include <cstring>

void DefaultSilenceFolder(char* folderOut, int bytes) {
    char path[MAX_PATH] = "";
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, path)) && path[0] &&
        (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        lstrcpynA(folderOut, path, bytes);
        return;
    }
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (slash) *slash = 0;
    lstrcpynA(folderOut, path, bytes);
}
