// The Edit sheet: a modal property sheet with the Tag Editor, Divide and Combine pages for one
// file. This header holds the small portable routines the pages use; edit_sheet_win32.cpp is
// the sheet and the Divide and Combine pages.
#pragma once
#include <cstdint>

enum {
    TIME_TEXT_BYTES = 32,    // FormatTimeMs
    SPIN_STEP_MS = 100,      // one In/Out spin step
    TRACK_BAR_RANGE = 1000,  // the position bar runs 0..1000
    EDIT_TIMER_MS = 100,     // the Divide page's position timer
};

// Runs the sheet for path (may be empty) with folder as the file chooser's first folder;
// returns when the sheet is closed. Windows build only (the native build has no sheet).
void OpenEditSheet(void* owner, void* instance, const char* path, const char* folder);

// While the sheet is open (on 1), a Tag Editor save holds the player's track around its writes:
// a stopped track is closed and reopened, a busy player refuses the save (HoldTrackForWrite).
void HoldTrackAroundTagSaves(int on);

// truncate(scale x (value / whole)), or truncate(scale x value) when whole is 0.
int32_t ScalePosition(double scale, double value, double whole);

// " hhh:mm:ss.t" (hours, minutes, seconds and tenths) into text (TIME_TEXT_BYTES).
void FormatTimeMs(char* text, uint32_t ms);

// Length of the cut shown beside In and Out: Out - In when Out is greater, else 0.
uint32_t CutLength(uint32_t inMs, uint32_t outMs);

// In or Out after `steps` spin steps (up positive): 100 ms each, kept within 0..length.
uint32_t SpinPosition(uint32_t ms, int steps, uint32_t length);

// Where a window goes so that its centre is over the reference's centre, pulled back onto a
// screen of the given size: left and top not below 0, right and bottom not beyond the screen.
struct EditRect {
    int left, top, right, bottom;
};
void CentreRect(const EditRect* reference, const EditRect* window, int screenWidth, int screenHeight, int* leftOut,
                int* topOut);
