// The "Timer" dialog in the native build: it opens with the real start values, lets the test's
// script change them, and closes with the scripted button.
#include "record/timer_slots.h"

namespace {
struct TimerDialogScript {
    int ok = 0;                                  // OK (1) or Cancel (0)
    void (*edit)(TimerDialogValues*) = nullptr;  // the user's changes before OK
};
TimerDialogScript g_script;
}  // namespace

int RunTimerDialog(void*, uint32_t* recLimitInOut) {
    int hour, minute;
    NowLocal(&hour, &minute);
    TimerDialogValues values;
    TimerDialogStart(*recLimitInOut, hour, minute, &values);
    if (!g_script.ok) return 0;
    if (g_script.edit) g_script.edit(&values);
    TimerDialogOk(values, hour, minute, recLimitInOut);
    return 1;
}

void SetTimerDialogAnswer(int ok, void (*edit)(TimerDialogValues* values)) { g_script = TimerDialogScript{ok, edit}; }
