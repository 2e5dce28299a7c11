// Native build: folders and numbered files on the host file system; no drives, no dialog.
#include "deck/record_folder.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

int FolderExists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

int DriveKindOf(const char* root) { return 3; }  // a fixed disk

int NumberedFileExists(const char* base, unsigned number) {
    std::string dir = ".", prefix = base;
    size_t sep = prefix.find_last_of("/\\");
    if (sep != std::string::npos) {
        dir = prefix.substr(0, sep);
        prefix = prefix.substr(sep + 1);
    }
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03u.", number);
    prefix += digits;
    DIR* d = opendir(dir.c_str());
    if (!d) return 0;
    int found = 0;
    while (dirent* e = readdir(d)) {
        if (strncasecmp(e->d_name, prefix.c_str(), prefix.size()) == 0) {
            found = 1;
            break;
        }
    }
    closedir(d);
    return found;
}

int DeleteRecording(const char* path) { return std::remove(path) == 0; }

int ProgramCommandLine(char* textOut, int bytes) {
    if (bytes > 0) textOut[0] = 0;
    return 1;
}

int RunRecordNameDialog(char* nameInOut) { return 0; }
