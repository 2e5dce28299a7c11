// Registers the recorder's stored values with the settings store (see record_settings.h).
#include "record/record_settings.h"

#include "record/auto_record.h"
#include "record/timer_slots.h"
#include "settings/settings.h"

namespace {

static_assert(OWNED_TIMER_VALUES == 3 * TIMER_SLOT_COUNT, "hours, minutes and flags of every slot");

void GatherRecordValues(OwnedSettingValues* out) {
    uint16_t level, start, stop;
    GetAutoLevels(&level, &start, &stop);
    out->autoLevels[0] = level;
    out->autoLevels[1] = start;
    out->autoLevels[2] = stop;
    // The stored form, so that a missing value gives the slot back unchanged through LoadTimers.
    TimerSlot slots[TIMER_SLOT_COUNT];
    SaveRelativeTimers(slots);
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i) {
        out->timers[i] = slots[i].hour;
        out->timers[TIMER_SLOT_COUNT + i] = slots[i].minute;
        out->timers[2 * TIMER_SLOT_COUNT + i] = slots[i].flags;
    }
}

void HandBackRecordValues(const OwnedSettingValues& values) {
    SetAutoLevels((uint16_t)values.autoLevels[0], (uint16_t)values.autoLevels[1], (uint16_t)values.autoLevels[2]);
    TimerSlot slots[TIMER_SLOT_COUNT];
    for (int i = 0; i < TIMER_SLOT_COUNT; ++i)
        slots[i] = TimerSlot{(uint16_t)values.timers[i], (uint16_t)values.timers[TIMER_SLOT_COUNT + i],
                             (uint16_t)values.timers[2 * TIMER_SLOT_COUNT + i]};
    LoadTimers(slots);
}

}  // namespace

void RegisterRecordSettings() { SetOwnedValuesHooks(GatherRecordValues, HandBackRecordValues); }
