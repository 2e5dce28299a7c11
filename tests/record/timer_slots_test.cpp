// Timer recording: which slot fires when the deck tick asks, the relative rows 5 and 6 through the
// dialog and through a settings save and load.
#include <gtest/gtest.h>

#include "base/clock.h"
#include "record/record_settings.h"
#include "record/timer_slots.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace {
enum { START = 0, END = 1 };
enum { CAPTURE = 0, PLAYBACK = 1 };

class TimerSlotsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTimerSlotsForTest();
        ResetSettingsForTest();
        SetTimerDialogAnswer(0, nullptr);
        SetFakeLocalTime(9, 0);
    }
    // The dialog, confirmed at the local time, with rows set by the script.
    static TimerRowChoice g_rows[TIMER_SLOT_COUNT];
    static uint32_t g_limit;
    static void EditRows(TimerDialogValues* v) {
        for (int i = 0; i < TIMER_SLOT_COUNT; ++i) v->rows[i] = g_rows[i];
        v->recLimit = g_limit;
    }
    void SetRows(int hour, int minute, std::initializer_list<std::pair<int, TimerRowChoice>> rows, uint32_t limit = 0) {
        for (TimerRowChoice& r : g_rows) r = TimerRowChoice{};
        for (const auto& row : rows) g_rows[row.first] = row.second;
        g_limit = limit;
        SetFakeLocalTime(hour, minute);
        SetTimerDialogAnswer(1, EditRows);
        TimerSettingCommand(nullptr);
    }
    // The tick's question at a time; -1 when nothing fires.
    static int Fires(int hour, int minute) {
        uint32_t action = 0;
        return CheckTimers(hour, minute, &action) ? (int)action : -1;
    }
};
TimerRowChoice TimerSlotsTest::g_rows[TIMER_SLOT_COUNT];
uint32_t TimerSlotsTest::g_limit;

TimerRowChoice Row(int action, int target, int hour, int minute) {
    return TimerRowChoice{1, action, target, hour, minute};
}

TEST(MinutesUntil, OnlyTheComingHourCounts) {
    struct Case {
        int eh, em, nh, nm;
        uint16_t minutes;
    } cases[] = {
        {10, 30, 10, 30, 0               },
        {10, 45, 10, 30, 15              },
        {11, 5,  10, 50, 15              },
        {0,  5,  23, 55, 10              },
        {10, 29, 10, 30, TIMER_NO_MINUTES},
        {12, 0,  10, 0,  TIMER_NO_MINUTES},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MinutesUntil(c.eh, c.em, c.nh, c.nm), c.minutes)
            << c.eh << ":" << c.em << " at " << c.nh << ":" << c.nm;
}

TEST_F(TimerSlotsTest, ASlotFiresOnceInItsMinuteAndTheFirstOfTwoAtOneTimeWins) {
    SetRows(9, 0,
            {
                {0,   Row(END, PLAYBACK, 10, 0)},
                {2, Row(START,      CAPTURE, 7, 15)},
                {3,   Row(START, PLAYBACK, 10, 0)},
                {1,  TimerRowChoice{0, START, CAPTURE, 8, 0}     }, // not ticked
    });
    EXPECT_EQ(Fires(8, 0), -1);
    EXPECT_EQ(Fires(7, 15), TIMER_START_CAPTURE);
    EXPECT_EQ(Fires(7, 15), -1) << "never twice in one minute";
    EXPECT_EQ(Fires(10, 0), TIMER_END_PLAYBACK);
    EXPECT_EQ(Fires(10, 0), -1) << "row 4 at the same time never fires";
    EXPECT_EQ(Fires(10, 1), -1);
}

TEST_F(TimerSlotsTest, AMinuteTheTickMissedIsNotCaughtUp) {
    SetRows(9, 0,
            {
                {0, Row(START, PLAYBACK, 10, 0)}
    });
    EXPECT_EQ(Fires(9, 59), -1);
    EXPECT_EQ(Fires(10, 1), -1);  // the deck was busy through 10:00
    EXPECT_EQ(Fires(10, 2), -1);
    // A slot set for a minute the tick has already asked about waits for the next day.
    EXPECT_EQ(Fires(11, 0), -1);
    SetRows(11, 0,
            {
                {0, Row(START, PLAYBACK, 11, 0)}
    });
    EXPECT_EQ(Fires(11, 0), -1);
}

TEST_F(TimerSlotsTest, WhenOpeningProgramStartsOnlyAtTheFirstCheck) {
    struct Case {
        int row5Action, row6Action;
        int fires;
    } cases[] = {
        {START, START, TIMER_START_PLAYBACK}, // row 5 first
        {END,   START, TIMER_START_CAPTURE },
        {END,   END,   -1                  },
    };
    for (const Case& c : cases) {
        ResetTimerSlotsForTest();
        SetRows(9, 0,
                {
                    {4, Row(c.row5Action, PLAYBACK, 0, TIMER_MINUTE_AT_START)},
                    {5, Row(c.row6Action, CAPTURE,  0, TIMER_MINUTE_AT_START)},
        });
        EXPECT_EQ(Fires(9, 0), c.fires) << c.row5Action << c.row6Action;
        EXPECT_EQ(Fires(9, 1), -1);
    }
}

TEST_F(TimerSlotsTest, MinutesFromNowBecomeAClockTimeThatSurvivesTheDialogAndASaveAndLoad) {
    RegistryResetForTest();
    RegisterRecordSettings();
    LoadLayout();
    LoadSettings();
    SetRows(23, 50,
            {
                {4, Row(START, CAPTURE, 0, 15)}
    });
    TimerSlot slots[TIMER_SLOT_COUNT];
    GetTimerSlots(slots);
    EXPECT_EQ(slots[4].hour, 0);
    EXPECT_EQ(slots[4].minute, 5);

    // Reopened at 23:55 the row shows ten minutes to go; the settings store keeps the same span.
    SetFakeLocalTime(23, 55);
    TimerDialogValues shown;
    TimerDialogStart(0, 23, 55, &shown);
    EXPECT_EQ(shown.rows[4].enabled, 1);
    EXPECT_EQ(shown.rows[4].minuteIndex, 10);
    SaveSettings();
    ResetTimerSlotsForTest();
    LoadSettings();
    GetTimerSlots(slots);
    EXPECT_EQ(slots[4].hour, 0);
    EXPECT_EQ(slots[4].minute, 5);
    EXPECT_EQ(Fires(0, 5), TIMER_START_CAPTURE);

    // Once its time has passed the row is shown and stored switched off.
    TimerDialogStart(0, 0, 6, &shown);
    EXPECT_EQ(shown.rows[4].enabled, 0);
    EXPECT_EQ(shown.rows[4].minuteIndex, 0);
    SetFakeLocalTime(0, 6);
    SaveRelativeTimers(slots);
    EXPECT_EQ(slots[4].flags & TIMER_FLAG_ENABLED, 0);
    EXPECT_EQ(slots[4].minute, 0);
}

// A daily row set in one run fires in the next run of the program without the dialog again.
TEST_F(TimerSlotsTest, StoredRowsFireAfterARestartWithoutTheDialog) {
    RegistryResetForTest();
    RegisterRecordSettings();
    LoadLayout();
    LoadSettings();
    SetRows(9, 0,
            {
                {0, Row(START, CAPTURE, 21, 30)},
                {1, Row(END, CAPTURE, 22, 0)},
    });
    SaveSettings();
    ResetTimerSlotsForTest();
    LoadSettings();
    EXPECT_EQ(Fires(21, 29), -1);
    EXPECT_EQ(Fires(21, 30), TIMER_START_CAPTURE);
    EXPECT_EQ(Fires(22, 0), TIMER_END_CAPTURE);
}

// A relative row whose minutes end exactly on the hour, and on midnight, carries into the hour.
TEST_F(TimerSlotsTest, MinutesFromNowEndingOnTheHourCarry) {
    const struct {
        int nowHour, nowMinute, minutes, hour, minute;
    } cases[] = {
        {9,  45, 15, 10, 0},
        {23, 45, 15, 0,  0},
        {9,  44, 15, 9,  59},
    };
    for (const auto& c : cases) {
        SetRows(c.nowHour, c.nowMinute, {{4, Row(START, CAPTURE, 0, c.minutes)}});
        TimerSlot slots[TIMER_SLOT_COUNT];
        GetTimerSlots(slots);
        EXPECT_EQ(c.hour, slots[4].hour) << c.nowHour << ":" << c.nowMinute;
        EXPECT_EQ(c.minute, slots[4].minute) << c.nowHour << ":" << c.nowMinute;
    }
}
}  // namespace
