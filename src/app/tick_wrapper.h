// What the main window's 100 ms timer does besides the platform work: run the deck tick, keep
// ShownState and count the blink ticks, and say what has to be redrawn.
#pragma once
#include <cstdint>

struct TickOutcome {
    int ran;           // 0 when the tick was skipped (the playlist was being rebuilt)
    int stateChanged;  // ShownState changed: update the face, the status text and Play/Pause
    int redrawStatus;  // the 200 ms status-text redraw while playing or recording is due
};

TickOutcome RunTickWrapper(int playlistRebuilding);

// The main window's timer runs every 100 ms while anything moves. At rest (DeckAtRest) it wakes
// every 500 ms and each wake runs the ticks due since the last one, so every count of ticks (the
// mixer read, the timer slots, the list follow-up) keeps its time; under Wine each wake costs
// Wine server round trips, and an idle deck woke ten times a second for a face that did not change.
enum { DECK_TICK_MS = 100, DECK_REST_TICK_MS = 500, DECK_MAX_TICKS_PER_WAKE = 10 };
int DeckTimerPeriodMs();
// The ticks one timer message runs at `now` (ms) with the timer at `periodMs`: one at the
// 100 ms period, as many 100 ms ticks as have passed at the rest period (at least one, at most
// DECK_MAX_TICKS_PER_WAKE; a longer stall is not made up).
int DeckTicksDue(uint32_t now, int periodMs);
void ResetTickWrapperForTest();
