// The silence between two tracks for an external MiniDisc or DAT recorder on the digital output:
// the gap's phases and the channel-status marks written at fixed moments.
#pragma once
#include <cstdint>

// GapPhase values.
enum { GAP_NONE = 0, GAP_SILENCE = 1, GAP_FIRST_MARK = 2, GAP_SECOND_MARK = 3, GAP_NEXT_STARTED = 4 };

// "PlaySpace" values.
enum { PLAY_SPACE_NONE = 0, PLAY_SPACE_MD = 1, PLAY_SPACE_DAT = 2 };

int GetGapPhase();
void SetGapPhase(int phase);

// The deck has cued the next track and entered TrackSpace: start the silence at the cued
// track's rate and, for a DAT recorder, write the start mark.
void StartTrackGap(uint32_t trackRate);
// Every tick while the deck is in TrackSpace or the phase is GAP_NEXT_STARTED.
void RunGapPhases();
// The saved output channel status (0, 150, 0, 0), written by the Stop key.
void WriteSavedStatus();
// The list has ended: the MD mark for a MiniDisc recorder, then the saved status.
void WriteEndOfListStatus();

void ResetTrackGapForTest();
