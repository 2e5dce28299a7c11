// Timer recording's six slots, one per row of the "Timer" dialog: each starts or ends capture or
// playback at a time of day (rows 1 to 4), some minutes from now or at program start (rows 5, 6).
// The enabled slots with a clock time form the day's schedule, which the deck tick asks about
// once a second.
#pragma once
#include <cstdint>

enum {
    TIMER_SLOT_COUNT = 6,
    TIMER_FIRST_RELATIVE_ROW = 4,  // rows 5 and 6 (0-based 4 and 5): minutes from now
    TIMER_FLAG_END = 1,            // action: 0 start, 1 end
    TIMER_FLAG_PLAYBACK = 2,       // target: 0 capture, 1 playback
    TIMER_FLAG_ENABLED = 8,
    TIMER_MINUTE_AT_START = 60,  // rows 5 and 6: "when opening program."
    TIMER_NO_MINUTES = 0xFFFF,   // MinutesUntil: the time is not within the coming hour
};

// Timer actions: a slot's flags without the enabled bit.
enum { TIMER_START_CAPTURE = 0, TIMER_END_CAPTURE = 1, TIMER_START_PLAYBACK = 2, TIMER_END_PLAYBACK = 3 };

struct TimerSlot {
    uint16_t hour;    // 0 to 23
    uint16_t minute;  // 0 to 59, or TIMER_MINUTE_AT_START
    uint16_t flags;   // TIMER_FLAG_*
};

void GetTimerSlots(TimerSlot slotsOut[TIMER_SLOT_COUNT]);

// The slots in the form the settings store keeps (SaveRelativeTimers) and back (LoadTimers):
// rows 5 and 6 are stored as minutes remaining (hour 0), so a relative timer means the same span
// after a restart; one already due or past is stored disabled. Both read the local time.
void SaveRelativeTimers(TimerSlot slotsOut[TIMER_SLOT_COUNT]);
void LoadTimers(const TimerSlot slots[TIMER_SLOT_COUNT]);

// Asked by the deck tick about once a second with the local time: 1 and the action
// (TIMER_START_CAPTURE ...) when a timer fires now, else 0. The first call of a run fires a
// "when opening program." start in row 5 or 6; after that a timer fires only during its minute,
// at most once, and only the first slot of the schedule at that time.
int CheckTimers(int hour, int minute, uint32_t* actionOut);

// Minutes from now (hour, minute) to the event when it lies within the coming hour: 0 when
// equal, else TIMER_NO_MINUTES.
uint16_t MinutesUntil(int eventHour, int eventMinute, int nowHour, int nowMinute);

// ---- The "Timer" dialog ---------------------------------------------------------------------
// One row as its controls show it.
struct TimerRowChoice {
    int enabled;      // check box ticked
    int actionIndex;  // 0 "Start", 1 "End"
    int targetIndex;  // 0 "capture in", 1 "playback in"
    int hourIndex;    // 0..23 (rows 5 and 6 have no hour)
    int minuteIndex;  // 0..59; rows 5 and 6: minutes from now, or 60 "when opening program."
};
struct TimerDialogValues {
    TimerRowChoice rows[TIMER_SLOT_COUNT];
    uint32_t recLimit;  // the "Recording Limit" radio button, 0..3
};
// What the dialog shows when it opens at the local time now.
void TimerDialogStart(uint32_t recLimit, int nowHour, int nowMinute, TimerDialogValues* valuesOut);
// OK: the rows become the slots (rows 5 and 6 turned into clock times from now) and the schedule
// is rebuilt; the limit is handed back.
void TimerDialogOk(const TimerDialogValues& values, int nowHour, int nowMinute, uint32_t* recLimitOut);

enum { TIMER_DIALOG_OK = 1, TIMER_DIALOG_CANCEL = 2 };
// Shows dialog 200 modally (Win32) or answers from the test script (native). On OK the slots are
// updated, the limit handed back and 1 returned; Cancel changes nothing and returns 0.
int RunTimerDialog(void* owner, uint32_t* recLimitInOut);
// The "Timer setting" menu item: the dialog over the setting "RecLimit".
void TimerSettingCommand(void* owner);

void NowLocal(int* hourOut, int* minuteOut);  // the local time the dialog works from

// Native build only: how the next dialogs are answered. ok = 0: Cancel. edit, when given, changes
// the values the dialog opened with before OK.
void SetTimerDialogAnswer(int ok, void (*edit)(TimerDialogValues* values));

void ResetTimerSlotsForTest();  // every slot 00:00, start capture, disabled; no schedule
