// The deck tick: run once per 100 ms timer message of the main window. It is the deck's only
// clock: it reads the play or record position, notices the end of a track, runs searches and
// track gaps, fires the timer slots, enforces the recording limit, keeps the cued track in step
// with the playlist, works out the level meters, follows the device's digital-input lock and rate,
// and yields the state the face is to show.
#pragma once
#include <cstdint>
#include "display/shown_states.h"  // RecAutoActive, the shown state the tick adds to DeckState

// "RecLimit" values and the recorded time at which each stops a recording (ms).
enum { REC_LIMIT_NONE = 0, REC_LIMIT_5_MIN = 1, REC_LIMIT_20_MIN = 2, REC_LIMIT_74_MIN = 3 };

// PowerMode values (device register 8, low nibble 1, 2, 3).
enum { POWER_MODE_OFF = 0, POWER_MODE_ON = 1, POWER_MODE_AUTO = 2 };

// One tick. Always 1; shownStateOut receives the state the face is to show.
int DeckTick(int32_t* shownStateOut);
// The state the face is to show as of now: the saved state during a search or slider drag, auto
// recording armed while the auto recorder listens in record standby, else DeckState. The tick
// shows it; the close rules and a remote caller read it without waiting for the next tick (a
// Stop between two ticks has already ended the recording).
int32_t CurrentShownState();

// Makes the next tick read the device's status in full (user message 1029, input selection,
// power mode).
void RequestDeviceRead();
// The deck at rest: no track plays or is searched, nothing records or waits to, no gap, slider
// drag or device read is under way, and the meters (peaks too) are dark. Then nothing on the face moves
// by itself, and the main window's timer may wake less often (app/tick_wrapper.h).
int DeckAtRest();
// The mute lamp and volume slider from the wave-out line (mute off, full volume when unreadable);
// the tick does it every few ticks, the shell once when the face is made.
void ShowMixerOnFace();

// A level from the player or the recorder (0..32767, 0 = silence) as the meters show it:
// 20 log10(v / 32767) - 0.5 dB, truncated toward zero; -100 for silence.
int32_t LevelToDb(int32_t v);

// What the tick keeps between runs, for the face and for tests.
struct DeckTickValues {
    uint16_t tickCount;        // TickCount: ticks run, wrapping
    int16_t tickBusy;          // TickBusy: a tick runs further up the stack
    uint16_t skippedTicks;     // SkippedTicks: ticks that found it busy
    int32_t firstTickDone;     // FirstTickDone
    int32_t timerCheckCount;   // TimerCheckCount: ticks since the timer slots were asked
    uint32_t deviceReadCount;  // DeviceReadCount: ticks since the last full device read
    int32_t dinLockShown;      // DinLockShown: the lock value the status text was last set for
    int32_t powerMode;         // PowerMode
    int32_t deviceAux;         // DeviceAux: high nibble of the power byte, mapped like PowerMode
};
const DeckTickValues& DeckTickState();
void ResetDeckTickForTest();
