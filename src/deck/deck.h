// The deck: one tape-like transport shared by the player (the cued playlist track) and the
// recorder (the record file). This module alone changes DeckState; keys, the tick, the auto
// recorder and the playlist window reach the transport only through these operations.
#pragma once
#include <cstdint>

#include "display/shown_states.h"
#include "settings/settings.h"  // INPUT_IN1, INPUT_IN2

// The transport states (DeckStateValue) are in display/shown_states.h.

enum { DECK_SIDE_RECORDER = 0, DECK_SIDE_PLAYER = 1 };

// The status line's recorder texts, each followed by the record file's name.
const char STATUS_RECORDING[] = "Recording %s";
const char STATUS_REC_PAUSE[] = "Rec Pause %s";
const char STATUS_REC_STANDBY[] = "Rec Standby %s";
enum { SEARCH_NONE = 0, SEARCH_FORWARD = 1, SEARCH_BACKWARD = 2 };
enum { SELECT_SAME = 0, SELECT_PREVIOUS = 1, SELECT_NEXT = 2 };

// Transport ops handed to TransportOp.
enum {
    OP_PLAY = 1,
    OP_PAUSE = 2,
    OP_STOP = 3,
    OP_STANDBY = 4,
    OP_FF_START = 5,
    OP_FF_END = 6,
    OP_REW_START = 7,
    OP_REW_END = 8,
    OP_BEFORE_NEXT = 9,
    OP_BEFORE_PREV = 10,
};

// The deck's process-wide state. Repeat, RecordFormat and InputSel live in the settings, the
// record rates in the device module.
struct DeckVars {
    int32_t deckState;             // DeckState
    int32_t deckSide;              // DeckSide: 1 player, 0 recorder
    int32_t savedState;            // SavedState: state to return to after a search or drag
    int32_t searchDir;             // SearchDir: 0 none, 1 forward, 2 backward
    uint32_t searchStartTick;      // SearchStartTick: tick count at the start of the search leg
    uint32_t searchStartPos;       // SearchStartPos: track position (ms) at that moment
    uint32_t position;             // Position: ms in the cued track, or recorded ms
    uint32_t trackLength;          // TrackLength: ms; on the recorder side the bar's full scale
    int32_t currentTrack;          // CurrentTrack: 1-based playlist index
    int32_t manualSkip;            // ManualSkip: 1 only while Next or Previous runs
    int32_t releaseCaptureOnStop;  // ReleaseCaptureOnStop
    int32_t encoderPresent;        // EncoderPresent: the MPEG encoder library loaded
    int32_t sliderDrag;            // SliderDrag: the position slider is held
    int32_t trackFormat;           // TrackFormat: format code of the cued track
    int32_t trackRate;             // TrackRate: sample rate of the cued track
    uint32_t trackChannels;        // further probe fields of the cued track
    uint32_t trackBits;
    int32_t dinLock;            // DinLock: the recorder's digital input is locked
    int32_t deviceReadRequest;  // 1: the tick is to re-read the device status at once
};

DeckVars& Deck();  // the process-wide deck state

// Engine start-up values: NoTrack, no search, track 1, nothing cued, player side.
void ResetDeckState();

// Keys. All return 1 unless noted.
int StartPlay();
int PauseKey();
int StopKey();
int FastForwardDown();
int FastForwardUp();
int RewindDown();
int RewindUp();
int NextTrack();
int PrevTrack();
int EnterRecStandby();
int PlayTrackNumber(int n);           // 0 while recording
// Replaces the list with the file (or the list file's entries) and cues its first track when
// that plays. 0 when nothing was opened and the list is as it was (the file cannot be opened, or
// the recorder holds the deck); 1 once the list was replaced.
int OpenAsNewList(const char* path);
int EditCurrentFile();
int CycleRepeat();
int SelectInput(int inputSel);  // INPUT_IN1 or INPUT_IN2
int SelectFormat(int format);   // 0 PCM, 1..3 MPEG layer
int ShowPlaylist();
int PositionDragBegin();          // 0 when nothing is cued
int PositionDragMove(int value);  // 0..1000
int PositionDragEnd();

// Internal operations, also driven by the tick and the auto recorder.
int TransportOp(int op);
int CueCurrentTrack();
int ShowTrackInfo(int n);
int SelectTrack(int dir);
int SearchStep();
int SplitRecordFile();
// The tick saw the playing track reach its end: next track, gap, or end of the list.
// Returns 0 when the list has ended (the deck stays Stopped), else 1.
int TrackEnded();
