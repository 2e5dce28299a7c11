// The six timer slots, the day's schedule built from them, and the once-a-minute check the deck
// tick runs. Rows 5 and 6 hold a clock time while the deck runs; the dialog shows them, and the
// settings store keeps them, as minutes from now.
#include "record/timer_slots.h"

#include "base/clock.h"
#include "settings/settings.h"

namespace {
enum {
    HOURS_PER_DAY = 24,
    MINUTES_PER_HOUR = 60,
    NO_TIME = 0xFFFF,  // last-tested time before the first check
};

struct ScheduleEntry {
    uint16_t hour, minute;
    uint16_t action;  // TIMER_START_CAPTURE ...
};

struct TimerSlotsState {
    TimerSlot slots[TIMER_SLOT_COUNT] = {};             // in dialog row order
    ScheduleEntry schedule[TIMER_SLOT_COUNT] = {};      // TimerSchedule: by time of day, then row
    int scheduleCount = 0;                              // entries in use
    uint16_t lastHour = NO_TIME, lastMinute = NO_TIME;  // last-tested time
    int startupChecked = 0;                             // the "when opening program." check ran
};
TimerSlotsState g_timers;

int IsRelativeRow(int row) { return row >= TIMER_FIRST_RELATIVE_ROW; }
int IsEnabled(const TimerSlot& s) { return (s.flags & TIMER_FLAG_ENABLED) != 0; }
uint16_t ActionOf(uint16_t flags) { return (uint16_t)(flags & ~TIMER_FLAG_ENABLED); }

// A relative row's "N minutes from now" as a clock time.
void MinutesFromNow(int minutes, int nowHour, int nowMinute, uint16_t* hourOut, uint16_t* minuteOut) {
    int minute = minutes + nowMinute, carry = 0;
    if (minute >= MINUTES_PER_HOUR) {
        minute -= MINUTES_PER_HOUR;
        carry = 1;
    }
    int hour = nowHour + carry;
    if (hour >= HOURS_PER_DAY) hour -= HOURS_PER_DAY;
    *hourOut = (uint16_t)hour;
    *minuteOut = (uint16_t)minute;
}

// Minutes left for a relative row, or 0 when it is due now, past, or further off than the minute
// combo reaches. MinutesUntil can answer 60 or more for a time in the next hour that lies past
// the current minute; such a span cannot be chosen in the dialog, and stored as a minute of 60
// it would read back as "when opening program.", so it counts as gone.
int MinutesLeft(const TimerSlot& s, int nowHour, int nowMinute) {
    uint16_t m = MinutesUntil(s.hour, s.minute, nowHour, nowMinute);
    return m < MINUTES_PER_HOUR ? m : 0;
}

// Every enabled slot with a clock time, in time-of-day order and row order within one time.
void RebuildSchedule() {
    g_timers.scheduleCount = 0;
    for (int hour = 0; hour < HOURS_PER_DAY; ++hour)
        for (int minute = 0; minute < MINUTES_PER_HOUR; ++minute)
            for (const TimerSlot& s : g_timers.slots)
                if (IsEnabled(s) && s.hour == hour && s.minute == minute)
                    g_timers.schedule[g_timers.scheduleCount++] = ScheduleEntry{s.hour, s.minute, ActionOf(s.flags)};
}

}  // namespace

void NowLocal(int* hourOut, int* minuteOut) {
    *hourOut = *minuteOut = 0;
    LocalTime(hourOut, minuteOut);
}

void GetTimerSlots(TimerSlot slotsOut[TIMER_SLOT_COUNT]) {
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i) slotsOut[i] = g_timers.slots[i];
}

uint16_t MinutesUntil(int eventHour, int eventMinute, int nowHour, int nowMinute) {
    if (eventHour == nowHour && eventMinute == nowMinute) return 0;
    if (eventHour == nowHour && eventMinute > nowMinute) return (uint16_t)(eventMinute - nowMinute);
    if (eventHour == (nowHour + 1) % HOURS_PER_DAY) return (uint16_t)(eventMinute - nowMinute + MINUTES_PER_HOUR);
    return TIMER_NO_MINUTES;
}

void SaveRelativeTimers(TimerSlot slotsOut[TIMER_SLOT_COUNT]) {
    int nowHour, nowMinute;
    NowLocal(&nowHour, &nowMinute);
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i) {
        TimerSlot s = g_timers.slots[i];
        if (IsRelativeRow(i) && IsEnabled(s) && s.minute != TIMER_MINUTE_AT_START) {
            int left = MinutesLeft(s, nowHour, nowMinute);
            s = left ? TimerSlot{0, (uint16_t)left, s.flags}
                     : TimerSlot{0, 0, (uint16_t)(s.flags & ~TIMER_FLAG_ENABLED)};
        }
        slotsOut[i] = s;
    }
}

// The schedule is rebuilt here as well as on the dialog's OK, so timers set on an earlier day
// fire after a restart without the dialog being opened first.
// Slots stored by an earlier run are armed as they load, without the Timer dialog being confirmed
// again: a user who set a recording for tonight and restarted the program meanwhile expects it to
// happen, and the dialog's OK only ever stored what is loaded here.
void LoadTimers(const TimerSlot slots[TIMER_SLOT_COUNT]) {
    int nowHour, nowMinute;
    NowLocal(&nowHour, &nowMinute);
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i) {
        TimerSlot s = slots[i];
        if (IsRelativeRow(i) && IsEnabled(s) && s.minute < TIMER_MINUTE_AT_START)
            MinutesFromNow(s.minute, nowHour, nowMinute, &s.hour, &s.minute);
        g_timers.slots[i] = s;
    }
    RebuildSchedule();
}

int CheckTimers(int hour, int minute, uint32_t* actionOut) {
    *actionOut = 0;
    if (!g_timers.startupChecked) {
        g_timers.startupChecked = 1;
        for (int i = TIMER_FIRST_RELATIVE_ROW; i < TIMER_SLOT_COUNT; ++i) {
            const TimerSlot& s = g_timers.slots[i];
            if (IsEnabled(s) && !(s.flags & TIMER_FLAG_END) && s.minute == TIMER_MINUTE_AT_START) {
                *actionOut = ActionOf(s.flags);
                return 1;
            }
        }
    }
    if (hour == g_timers.lastHour && minute == g_timers.lastMinute) return 0;
    g_timers.lastHour = (uint16_t)hour;
    g_timers.lastMinute = (uint16_t)minute;
    for (int i = 0; i < g_timers.scheduleCount; ++i) {
        const ScheduleEntry& e = g_timers.schedule[i];
        if (e.hour == hour && e.minute == minute) {
            *actionOut = e.action;
            return 1;
        }
    }
    return 0;
}

void TimerDialogStart(uint32_t recLimit, int nowHour, int nowMinute, TimerDialogValues* valuesOut) {
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i) {
        const TimerSlot& s = g_timers.slots[i];
        TimerRowChoice& row = valuesOut->rows[i];
        row.enabled = IsEnabled(s);
        row.actionIndex = (s.flags & TIMER_FLAG_END) ? 1 : 0;
        row.targetIndex = (s.flags & TIMER_FLAG_PLAYBACK) ? 1 : 0;
        row.hourIndex = s.hour < HOURS_PER_DAY ? s.hour : 0;
        row.minuteIndex = s.minute <= TIMER_MINUTE_AT_START ? s.minute : 0;
        if (!IsRelativeRow(i)) {
            if (row.minuteIndex == TIMER_MINUTE_AT_START) row.minuteIndex = 0;
            continue;
        }
        row.hourIndex = 0;
        if (row.enabled && s.minute != TIMER_MINUTE_AT_START) {
            // A relative timer shows the minutes still to go; one that has fired or passed is
            // shown switched off.
            row.minuteIndex = MinutesLeft(s, nowHour, nowMinute);
            if (row.minuteIndex == 0) row.enabled = 0;
        }
    }
    valuesOut->recLimit = recLimit;
}

void TimerDialogOk(const TimerDialogValues& values, int nowHour, int nowMinute, uint32_t* recLimitOut) {
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i) {
        const TimerRowChoice& row = values.rows[i];
        TimerSlot s;
        s.flags = (uint16_t)(row.targetIndex * TIMER_FLAG_PLAYBACK + row.actionIndex +
                             (row.enabled ? TIMER_FLAG_ENABLED : 0));
        s.hour = (uint16_t)(IsRelativeRow(i) ? 0 : row.hourIndex);
        s.minute = (uint16_t)row.minuteIndex;
        if (IsRelativeRow(i) && row.enabled && row.minuteIndex != TIMER_MINUTE_AT_START)
            MinutesFromNow(row.minuteIndex, nowHour, nowMinute, &s.hour, &s.minute);
        g_timers.slots[i] = s;
    }
    RebuildSchedule();
    *recLimitOut = values.recLimit;
}

void TimerSettingCommand(void* owner) {
    uint32_t limit = Settings().recLimit;
    if (RunTimerDialog(owner, &limit)) Settings().recLimit = limit;
}

void ResetTimerSlotsForTest() { g_timers = TimerSlotsState(); }
