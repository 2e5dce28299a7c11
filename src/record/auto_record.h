// Auto recording: starts writing when sound reaches the input and, in one mode, ends the file when
// it stops. The mode itself is the engine setting "RecAutoRecording"; this module keeps the
// recorder's silence threshold, the start and end counts and the run of sound or silence, and
// decides on every capture step's peaks; the capture step (capture.cpp) carries the decision out,
// since the ring it rewinds and the deck it calls are its own.
#pragma once
#include <cstdint>

// "RecAutoRecording" values.
enum { AUTO_RECORD_OFF = 0, AUTO_RECORD_START_AND_END = 1, AUTO_RECORD_START_ONLY = 2 };
enum { AUTO_LEVEL_CHOICES = 5, AUTO_COUNT_CHOICES = 4 };

// threshold: peak value (unsigned 16-bit) below which a channel counts as silent.
// startCount, endCount: 0 to 3, capture steps of sound (silence) needed beyond the first.
void GetAutoLevels(uint16_t* thresholdOut, uint16_t* startCountOut, uint16_t* endCountOut);
void SetAutoLevels(uint16_t threshold, uint16_t startCount, uint16_t endCount);

// What the capture step does after a step's peaks were seen.
enum AutoRecordAction { AUTO_ACTION_NONE = 0, AUTO_ACTION_START = 1, AUTO_ACTION_SPLIT = 2 };
// One capture step's decision. mode: "RecAutoRecording"; captureMode: the CaptureMode now;
// namedDevice: 1 when the input is the named interface (its threshold counts; else a fixed one);
// peaks 0..32767. Sound on both channels for more than the start count of steps while waiting
// starts the file; silence on both for more than the end count while writing (mode
// AUTO_RECORD_START_AND_END) splits it. The run counter starts again after either.
int AutoRecordStep(uint32_t mode, int captureMode, int namedDevice, int peakLeft, int peakRight);
// Buffers a start takes along from before the step that decided it: the start count's and three.
int AutoRecordPreRollBuffers();
// A new capture or a new file: the run of sound or silence starts from nothing.
void ResetAutoRecordCounter();

// ---- The "Auto recording" dialog --------------------------------------------------------------
// The level combo's rows: its label (English, and Japanese for a system language of 1041) and
// the threshold stored when it is chosen. The start and end combos store their index itself.
struct AutoLevelRow {
    const char* label;
    const char* labelJa;
    uint16_t threshold;
};
const AutoLevelRow* AutoLevelTable();                 // AUTO_LEVEL_CHOICES rows
const char* AutoStartLabel(int index, int japanese);  // index 0..3
const char* AutoEndLabel(int index, int japanese);

struct AutoRecordChoice {
    uint32_t mode;   // radio buttons 1101..1103: AUTO_RECORD_*
    int levelIndex;  // level combo
    int startIndex;  // start combo: the start count
    int endIndex;    // end combo: the end count
};
// What the dialog shows for a mode and the stored levels: a threshold outside the table shows
// its first row.
AutoRecordChoice AutoRecordDialogStart(uint32_t mode);
// OK: the levels are stored and the new mode handed back.
void AutoRecordDialogOk(const AutoRecordChoice& choice, uint32_t* modeOut);

enum { AUTO_DIALOG_OK = 1, AUTO_DIALOG_CANCEL = 2 };
// Shows dialog 201 modally (Win32) or answers from the test script (native). Returns the dialog
// result; on OK the levels are stored and the new mode is in modeInOut.
int RunAutoRecordingDialog(void* owner, uint32_t* modeInOut);
// The "Auto recording" menu item: the dialog over "RecAutoRecording"; after OK a running capture
// follows the new mode (waiting for the Play key with auto recording on, for sound without).
void AutoRecordingCommand(void* owner);

// Native build only: how the next dialogs are answered. ok = 0: Cancel; with OK, choice is what
// the user left selected.
void SetAutoRecordingDialogAnswer(int ok, const AutoRecordChoice& choice);
int AutoRecordingDialogRuns();  // dialogs shown since the last SetAutoRecordingDialogAnswer

void ResetAutoRecordForTest();  // back to the start values
