// The tick wrapper's decisions (see tick_wrapper.h).
#include "app/tick_wrapper.h"
#include "app/app_state.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"

namespace {
enum { BLINK_TICKS = 2 };  // the status text is redrawn every second tick (200 ms)
}

TickOutcome RunTickWrapper(int playlistRebuilding) {
    TickOutcome out = {};
    if (playlistRebuilding) return out;
    out.ran = 1;
    int32_t shown = 0;
    DeckTick(&shown);
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
