// Default folder of the silence files in the native build: the temporary folder.
#include "deck/silence_files.h"
#include <cstdio>
#include <cstdlib>

void DefaultSilenceFolder(char* folderOut, int bytes) {
    const char* tmp = std::getenv("TMPDIR");
    std::snprintf(folderOut, bytes, "%s", tmp && *tmp ? tmp : "/tmp");
}
