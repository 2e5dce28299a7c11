// The states the face shows: the deck's transport states (DeckState) and the one state only the
// face knows, auto recording armed. Kept here, below the deck, because the face draws them.
#pragma once
#include <cstdint>

// Transport states. RecAutoActive is a shown state only and never the deck's own.
enum DeckStateValue {
    NoTrack = 0,
    Stopped = 1,
    Playing = 2,
    Paused = 3,
    Recording = 4,
    RecPause = 5,
    RecStandby = 6,
    Searching = 8,
    TrackSpace = 9,
    Editing = 11,
};
// ShownState value that DeckState never holds: record standby with the auto recorder listening.
enum { RecAutoActive = 10 };

// The text the plain face shows for a state; "" for a number that is no state.
const char* ShownStateName(int32_t state);
