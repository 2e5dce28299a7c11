// The native MCI windows' script: what each window was sent, and the answers it gives.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct MciWindowScript {
    std::string openPath;  // file open in the window, "" when none
    int mode;              // MCI_MODE_VALUE_* reported while a file is open
    uint32_t position;     // ms reported while a file is open
    long openResult;       // what the next opens answer (0 = opened)
    long playResult;       // what MCI_PLAY answers
};

MciWindowScript& MciScript(int window);
// Every call in order, e.g. "0 open C:\a.wav", "1 play", "0 seek -2".
const std::vector<std::string>& MciCalls();
void ResetMciWindowsForTest();
