// The states the face shows: the deck's transport states (DeckState) and the one state only the
// face knows, auto recording armed. Kept here, below the deck, because the face draws them.
#pragma once
#include <cstdint>

// Transport states. SHOWN_REC_AUTO_ACTIVE is a shown state only and never the deck's own.
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
enum { SHOWN_REC_AUTO_ACTIVE = 10 };

// The text the plain face shows for a state; "" for a number that is no state.
const char* ShownStateName(int32_t state);
