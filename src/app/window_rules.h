// Decisions of the main window that do not need the platform: where the window may sit on the
// screen, the system kind from the version numbers, and whether closing, ending the session or
// suspending is allowed in the state the face shows.
#pragma once
#include <cstdint>

// Pulls a saved position onto the screen: a left or top below 1 becomes 0, and a window that
// would reach past the right or bottom edge is moved back so that it ends at that edge.
void ClampWindowPosition(int screenW, int screenH, int winW, int winH, int* leftInOut, int* topInOut);


// Closing (endingSession 0: WM_CLOSE) or ending the session (1: WM_QUERYENDSESSION): the string
// id of the refusal shown while recording, or 0 when the playlist is to be asked next.
int CloseRefusalString(int32_t shownState, int endingSession);
// The same refusal for the deck as it is at this moment: every way of closing (the window, the end
// of the session, a remote request) asks here, so a close right after Stop is never refused
// because the face has not caught up yet.
int CloseRefusalNow(int endingSession);

// Power events: the answer for WM_POWERBROADCAST and whether the transport is to be stopped first.
enum { POWER_QUERY_SUSPEND = 0, POWER_QUERY_STANDBY = 1 };
const intptr_t POWER_DENY = 0x424D5144;  // BROADCAST_QUERY_DENY, "BMQD"
intptr_t PowerEventAnswer(uint32_t event, int32_t shownState, int* stopKeyOut);
