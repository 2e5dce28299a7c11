// Time seam: the system tick count and today's local date. The Win32 build asks the system;
// the native build keeps a settable fake clock for tests.
#pragma once
#include <cstdint>

uint32_t TickCount();  // milliseconds, wraps modulo 2^32
void LocalDate(int* yearOut, int* monthOut, int* dayOut);
void LocalTime(int* hourOut, int* minuteOut);  // local time of day

// Native build only: tests drive the clock.
void SetFakeTickCount(uint32_t ms);
void AdvanceFakeTickCount(uint32_t ms);
void SetFakeLocalDate(int year, int month, int day);
void SetFakeLocalTime(int hour, int minute);
