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
    uint32_t tickClock;                    // the time the ticks have been run up to
    int tickClockSet;
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

int DeckTimerPeriodMs() { return DeckAtRest() ? DECK_REST_TICK_MS : DECK_TICK_MS; }

int DeckTicksDue(uint32_t now, int periodMs) {
    if (periodMs <= DECK_TICK_MS || !g_wrap.tickClockSet) {
        g_wrap.tickClock = now;
        g_wrap.tickClockSet = 1;
        return 1;
    }
    uint32_t due = (now - g_wrap.tickClock) / DECK_TICK_MS;
    if (due < 1 || due > DECK_MAX_TICKS_PER_WAKE) {
        // A wake come early still ticks once; after a stall (a modal loop, a suspended machine)
        // the missed ticks fold into the few run now, as a timer's missed messages do.
        g_wrap.tickClock = now;
        return due < 1 ? 1 : DECK_MAX_TICKS_PER_WAKE;
    }
    g_wrap.tickClock += due * DECK_TICK_MS;
    return (int)due;
}

void ResetTickWrapperForTest() { g_wrap = TickWrapperModule{}; }
