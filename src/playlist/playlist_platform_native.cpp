// Native stand-ins for the playlist's platform: dialogs answer from a script the tests queue,
// and the program folder is the current folder unless a test sets one.
#include "playlist/playlist_platform.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>

namespace {
struct PlatformScript {
    std::deque<std::string> selectResults;  // queued "Select File" buffers; "" = Cancel
    std::deque<std::string> saveResults;    // queued save dialog paths; "" = Cancel
    int lastAskOverwrite = 0;               // askOverwrite of the last save dialog
    std::string lastProposed;               // proposed name of the last save dialog
    std::string programFolder;              // empty: the temporary folder
};
PlatformScript g_script;
}  // namespace

int RunSelectFileDialog(const char*, char* resultOut, uint32_t resultBytes) {
    if (g_script.selectResults.empty()) return 0;
    std::string r = g_script.selectResults.front();
    g_script.selectResults.pop_front();
    if (r.empty() || r.size() > resultBytes) return 0;
    std::memcpy(resultOut, r.data(), r.size());
    return 1;
}

int RunSavePlaylistDialog(char* pathInOut, int askOverwrite) {
    g_script.lastAskOverwrite = askOverwrite;
    g_script.lastProposed = pathInOut;
    if (g_script.saveResults.empty()) return 0;
    std::string r = g_script.saveResults.front();
    g_script.saveResults.pop_front();
    if (r.empty() || r.size() >= PLAYLIST_DIALOG_PATH_BYTES) return 0;
    std::strcpy(pathInOut, r.c_str());
    return 1;
}

void ProgramFolder(char* folderOut, int bytes) {
    std::string f = g_script.programFolder.empty() ? std::string("./") : g_script.programFolder;
    std::snprintf(folderOut, (size_t)bytes, "%s", f.c_str());
}

void EnableMainWindow(int) {}

void QueueSelectFileResult(const char* result, uint32_t bytes) {
    g_script.selectResults.push_back(result ? std::string(result, bytes) : std::string());
}
void QueueSaveDialogResult(const char* path) { g_script.saveResults.push_back(path ? path : ""); }
int SaveDialogAskedOverwrite() { return g_script.lastAskOverwrite; }
const char* SaveDialogProposedName() { return g_script.lastProposed.c_str(); }
void SetProgramFolderForTest(const char* folder) { g_script.programFolder = folder ? folder : ""; }
void ResetPlaylistPlatformForTest() { g_script = PlatformScript(); }
