// Process-wide values of the application shell: the start-up
// outcome, the state last shown on the face and the system facts read at start-up. Other modules
// read them through the accessors below; only the shell writes them.
#pragma once
#include <cstdint>

#include "base/shell_handles.h"
#include "display/shown_states.h"

struct AppValues {
    int initOK;            // InitOK: 1 when the engine start-up succeeded
    uint32_t initErrorNo;  // InitErrorNo: number of the failed start-up step, 0 when none failed
    int32_t shownState;    // ShownState: DeckState values plus 10 RecAutoActive
    int blinkCount;        // BlinkCount: ticks counted while playing or recording
    int restoredFlag;      // RestoredFlag: SC_RESTORE seen, cleared by the next WM_SIZE
    int osKind;            // OsKind: 0 other, 1/2 Windows 9x 4.10+ (build <2222 / >=2222), 3 NT 5
    uint16_t langId;       // LangId: the system default language
    int screenDepth;       // bits per pixel of the screen, read at creation
    int dockingAtStart;    // DockingAtStart: "/DOCKING" was on the command line
    int deviceIndex;       // device number kept for the engine (always 1)
    int mixerReady;        // the mixer layer came up at start-up
};

AppValues& App();
void ResetAppValues();

// Accessors for the rest of the program (the window and instance handles are in
// base/shell_handles.h).
uint32_t GetInitErrorNo();

// A recording state of ShownState (Recording, RecPause, RecStandby, RecAutoActive): the deck
// refuses to close, end the session or suspend in these.
int IsRecordingShownState(int32_t shown);
