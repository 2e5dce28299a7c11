// What the main window's 100 ms timer does besides the platform work: run the deck tick, keep
// ShownState and count the blink ticks, and say what has to be redrawn.
#pragma once

struct TickOutcome {
    int ran;           // 0 when the tick was skipped (the playlist was being rebuilt)
    int stateChanged;  // ShownState changed: update the face, the status text and Play/Pause
    int redrawStatus;  // the 200 ms status-text redraw while playing or recording is due
};

TickOutcome RunTickWrapper(int playlistRebuilding);
