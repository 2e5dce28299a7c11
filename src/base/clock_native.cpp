// Native clock: a fake tick count and date that tests set, so timing logic runs deterministically.
#include "base/clock.h"

namespace {
struct ClockState {
    uint32_t tick = 0;  // ms
    int year = 2026, month = 1, day = 1;
    int hour = 0, minute = 0;
};
ClockState g_clock;
}  // namespace

uint32_t TickCount() { return g_clock.tick; }
void LocalDate(int* yearOut, int* monthOut, int* dayOut) {
    *yearOut = g_clock.year;
    *monthOut = g_clock.month;
    *dayOut = g_clock.day;
}
void LocalTime(int* hourOut, int* minuteOut) {
    *hourOut = g_clock.hour;
    *minuteOut = g_clock.minute;
}
void SetFakeLocalTime(int hour, int minute) {
    g_clock.hour = hour;
    g_clock.minute = minute;
}
void SetFakeTickCount(uint32_t ms) { g_clock.tick = ms; }
void AdvanceFakeTickCount(uint32_t ms) { g_clock.tick += ms; }
void SetFakeLocalDate(int year, int month, int day) {
    g_clock.year = year;
    g_clock.month = month;
    g_clock.day = day;
}
