// Process-wide values of the application shell (see app_state.h).
#include "app/app_state.h"
#include "deck/deck.h"

namespace {
AppValues g_app;
}  // namespace

AppValues& App() { return g_app; }

void ResetAppValues() {
    g_app = AppValues();
    g_app.deviceIndex = 1;
    ResetShellHandles();
}

uint32_t GetInitErrorNo() { return g_app.initErrorNo; }

int IsRecordingShownState(int32_t shown) {
    return shown == Recording || shown == RecPause || shown == RecStandby || shown == RecAutoActive;
}
