// Default folder of the silence files on Windows: the record files' default folder (the user's
// documents folder, else the program's folder), so both follow the same rule.
#include "deck/silence_files.h"
#include "deck/record_naming.h"
#include <windows.h>

void DefaultSilenceFolder(char* folderOut, int bytes) {
    char base[RECORD_NAME_BYTES] = "";
    MakeDefaultBase(base, "");  // "<folder>\" with an empty name prefix
    lstrcpynA(folderOut, base, bytes);
}
