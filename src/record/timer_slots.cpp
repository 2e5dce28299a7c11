// The six timer slots as the deck holds them between the settings load and save.
#include "record/timer_slots.h"

namespace {
struct TimerSlotsState {
    TimerSlot slots[TIMER_SLOT_COUNT] = {};  // in dialog row order
};
TimerSlotsState g_timers;
}  // namespace

void GetTimerSlots(TimerSlot slotsOut[TIMER_SLOT_COUNT]) {
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i) slotsOut[i] = g_timers.slots[i];
}

// Stored as held: every row keeps its clock time.
void SaveRelativeTimers(TimerSlot slotsOut[TIMER_SLOT_COUNT]) { GetTimerSlots(slotsOut); }

void LoadTimers(const TimerSlot slots[TIMER_SLOT_COUNT]) {
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i) g_timers.slots[i] = slots[i];
}

// Until the schedule is built from the dialog, no timer fires.
int CheckTimers(int, int, uint32_t* actionOut) {
    *actionOut = 0;
    return 0;
}

void ResetTimerSlotsForTest() { g_timers = TimerSlotsState(); }
