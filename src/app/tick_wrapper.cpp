// The tick wrapper's decisions (see tick_wrapper.h).
#include "app/tick_wrapper.h"
#include "app/app_state.h"

#include <cstring>

#include "base/bounded_copy.h"
#include "base/debug_trace.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "display/face_setters.h"

namespace {
enum { BLINK_TICKS = 2 };  // the status text is redrawn every second tick (200 ms)

struct TickWrapperModule {
    char tracedStatus[FACE_TICKER_BYTES];  // the status line last written to the debug trace
};
TickWrapperModule g_wrap;

// The status line goes to the debug trace when it changes ("Din Unlocked", "Recording S-001.WAV").
void TraceStatusLine() {
    const char* now = Face().tickerText;
    if (std::strcmp(now, g_wrap.tracedStatus) == 0) return;
    CopyBoundedString(g_wrap.tracedStatus, sizeof g_wrap.tracedStatus, now);
    TraceLine(now);
}
}  // namespace

TickOutcome RunTickWrapper(int playlistRebuilding) {
    TickOutcome out = {};
    if (playlistRebuilding) return out;
    out.ran = 1;
    int32_t shown = 0;
    DeckTick(&shown);
    TraceStatusLine();
    AppValues& app = App();
    if (shown != app.shownState) {
        app.shownState = shown;
        out.stateChanged = 1;
    }
    if (app.shownState == Playing || app.shownState == Recording) {
        if (++app.blinkCount >= BLINK_TICKS) {
            app.blinkCount = 0;
            out.redrawStatus = 1;
        }
    }
    return out;
}
