// The "Auto recording" dialog in the native build: it opens with the real start values and
// closes with the test's scripted button and selections.
#include "record/auto_record.h"

namespace {
struct AutoDialogScript {
    int ok = 0;               // OK (1) or Cancel (0)
    AutoRecordChoice choice;  // what the user left selected
    int runs = 0;             // dialogs shown
};
AutoDialogScript g_script;
}  // namespace

int RunAutoRecordingDialog(void*, uint32_t* modeInOut) {
    ++g_script.runs;
    AutoRecordDialogStart(*modeInOut);
    if (!g_script.ok) return AUTO_DIALOG_CANCEL;
    AutoRecordDialogOk(g_script.choice, modeInOut);
    return AUTO_DIALOG_OK;
}

void SetAutoRecordingDialogAnswer(int ok, const AutoRecordChoice& choice) {
    g_script = AutoDialogScript{ok, choice, 0};
}
int AutoRecordingDialogRuns() { return g_script.runs; }
