// Main-window decisions kept apart from the window procedure so they are tested natively.
#include "app/window_rules.h"
#include "app/app_state.h"
#include "deck/deck_tick.h"
#include "resources/resource.h"

void ClampWindowPosition(int screenW, int screenH, int winW, int winH, int* leftInOut, int* topInOut) {
    int left = *leftInOut, top = *topInOut;
    if (left < 1) left = 0;
    if (top < 1) top = 0;
    if (left >= screenW - winW) left = screenW - winW;
    if (top >= screenH - winH) top = screenH - winH;
    *leftInOut = left;
    *topInOut = top;
}

int CloseRefusalString(int32_t shownState, int endingSession) {
    if (!IsRecordingShownState(shownState)) return 0;
    return endingSession ? STR_NO_SHUTDOWN_WHILE_RECORDING : STR_CLOSE_AFTER_RECORDING;
}

int CloseRefusalNow(int endingSession) { return CloseRefusalString(CurrentShownState(), endingSession); }

intptr_t PowerEventAnswer(uint32_t event, int32_t shownState, int* stopKeyOut) {
    *stopKeyOut = 0;
    if (event != POWER_QUERY_SUSPEND && event != POWER_QUERY_STANDBY) return 0;
    if (IsRecordingShownState(shownState)) return POWER_DENY;
    *stopKeyOut = 1;
    return 0;
}
