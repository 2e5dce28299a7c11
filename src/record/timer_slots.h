// Timer recording's six slots, one per row of the "Timer" dialog: each starts or ends capture or
// playback at a time of day (rows 1 to 4), some minutes from now or at program start (rows 5, 6).
#pragma once
#include <cstdint>

enum {
    TIMER_SLOT_COUNT = 6,
    TIMER_FLAG_END = 1,       // action: 0 start, 1 end
    TIMER_FLAG_PLAYBACK = 2,  // target: 0 capture, 1 playback
    TIMER_FLAG_ENABLED = 8,
    TIMER_MINUTE_AT_START = 60,  // rows 5 and 6: "when opening program."
};

struct TimerSlot {
    uint16_t hour;    // 0 to 23
    uint16_t minute;  // 0 to 59, or TIMER_MINUTE_AT_START
    uint16_t flags;   // TIMER_FLAG_*
};

void GetTimerSlots(TimerSlot slotsOut[TIMER_SLOT_COUNT]);

// The slots in the form the settings store keeps (SaveRelativeTimers) and back (LoadTimers).
// Rows 5 and 6 are the ones whose stored form may differ from the clock time held here.
void SaveRelativeTimers(TimerSlot slotsOut[TIMER_SLOT_COUNT]);
void LoadTimers(const TimerSlot slots[TIMER_SLOT_COUNT]);

// Asked by the deck tick about once a second with the local time: 1 and the slot's action
// (flags without the enabled bit) when a timer fires now, else 0.
int CheckTimers(int hour, int minute, uint32_t* actionOut);

void ResetTimerSlotsForTest();  // every slot 00:00, start capture, disabled
