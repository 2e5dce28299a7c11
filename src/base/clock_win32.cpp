// Win32 clock: GetTickCount and the local date.
#include "base/clock.h"
#include <windows.h>

uint32_t TickCount() { return GetTickCount(); }
void LocalDate(int* yearOut, int* monthOut, int* dayOut) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    *yearOut = st.wYear;
    *monthOut = st.wMonth;
    *dayOut = st.wDay;
}
void LocalTime(int* hourOut, int* minuteOut) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    *hourOut = st.wHour;
    *minuteOut = st.wMinute;
}
void SetFakeLocalTime(int, int) {}
void SetFakeTickCount(uint32_t) {}
void AdvanceFakeTickCount(uint32_t) {}
void SetFakeLocalDate(int, int, int) {}
