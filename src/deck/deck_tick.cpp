// The 100 ms deck tick (see deck_tick.h). The order of the steps matters: the position is read
// before the end of a track is looked at, the gap runs after the end-of-track transition that
// starts it, and the device is read last so that a missing device can end the tick early without
// skipping anything the face needs.
#include "deck/deck_tick.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/clock.h"
#include "deck/deck.h"
#include "deck/deck_ui.h"
#include "deck/record_naming.h"
#include "deck/track_gap.h"
#include "display/face_setters.h"
#include "hardware/device.h"
#include "hardware/device_protocol.h"
#include "hardware/mixer.h"
#include "media/media_probe.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"
#include "record/capture.h"
#include "record/timer_slots.h"
#include "settings/settings.h"

namespace {
enum {
    PLAYLIST_FOLLOW_TICKS = 16,  // the cued track is compared with the list every 16th tick
    TIMER_CHECK_TICKS = 10,      // the timer slots are asked when this many ticks have passed
    MIXER_READ_TICKS = 5,        // mute and volume are read every 5th tick
    RATE_READ_TICKS = 5,         // in record standby or pause the input rate is read every 5th tick
    DIN_LOCK_MAX_STEPS = 30,     // capture steps without a measured buffer before the input counts as unlocked
    POSITION_BAR_SCALE = 1000,   // the position bar runs 0..1000
    METER_SILENT_DB = -100,      // what a level of 0 shows
    LEVEL_FULL_SCALE = 32767,    // a level of this is 0 dB
    REC_SCALE_5_MIN = 300000,    // the position bar's full scale while recording, and the limits
    REC_SCALE_20_MIN = 1200000,
    REC_SCALE_74_MIN = 4440000,
};
const uint32_t TIME_LEFT_BIT = 0x80000000u;  // the time value counts down to the end of the track

DeckTickValues g_tick;

int IsRecorderState(int state) { return state == Recording || state == RecPause || state == RecStandby; }

int AutoRecorderListening() {
    return Settings().recAutoRecording && Deck().deckState == RecStandby && GetCaptureMode() != CAPTURE_ARMED;
}

int PowerModeFromNibble(uint32_t nibble) {
    switch (nibble) {
    case POWER_OFF: return POWER_MODE_OFF;
    case POWER_AUTO: return POWER_MODE_AUTO;
    default: return POWER_MODE_ON;
    }
}

// Full volume at start: "Max volume at start." puts the wave output and the master line to full
// volume.
void FirstTick() {
    if (Layout().maxVolume == 1) {
        if (SelectWaveOut(DEVICE_NUMBER)) SetVolume(DEVICE_NUMBER, MIXER_VOLUME_MAX, MIXER_VOLUME_MAX);
        if (SelectMaster(DEVICE_NUMBER)) SetVolume(DEVICE_NUMBER, MIXER_VOLUME_MAX, MIXER_VOLUME_MAX);
        SetVolumeBar(VOLUME_BAR_MAX, VOLUME_BAR_MAX);
    }
    g_tick.firstTickDone = 1;
}

// Following the list: in NoTrack the first entry that can be shown is cued; while stopped, an
// entry that changed under the cued track (deleted, moved, replaced) is cued in its place.
void FollowPlaylist() {
    DeckVars& v = Deck();
    int count = GetEntryCount();
    if (v.deckState == NoTrack && count > 0) {
        for (int n = 1; n <= count; ++n) {
            v.currentTrack = n;
            if (SelectTrack(SELECT_SAME)) {
                CueCurrentTrack();
                return;
            }
        }
        v.currentTrack = 1;
    } else if (v.deckState == Stopped) {
        if (v.currentTrack <= count) {
            char open[PLAYBACK_PATH_BYTES] = "", entry[PLAYLIST_PATH_BYTES] = "";
            GetTrackPath(open);
            GetEntryPath(v.currentTrack, entry);
            if (std::strcmp(open, entry) == 0) return;
        } else {
            v.currentTrack = count;
        }
        if (SelectTrack(SELECT_SAME)) CueCurrentTrack();
    }
}

// Timer slots: about once a second the timer slots are asked whether one is due this minute.
void CheckTimerSlots() {
    if (g_tick.timerCheckCount++ < TIMER_CHECK_TICKS) return;
    g_tick.timerCheckCount = 0;
    int hour = 0, minute = 0;
    LocalTime(&hour, &minute);
    uint32_t action = 0;
    if (!CheckTimers(hour, minute, &action)) return;
    switch (action & 0xFFFF) {
    case TIMER_START_CAPTURE:
        Settings().recNoticePending = 0;  // a timer recording never stops for the notice
        EnterUnattendedStandby();
        PauseKey();  // from standby this starts writing
        break;
    case TIMER_END_CAPTURE:
    case TIMER_END_PLAYBACK: TransportOp(OP_STOP); break;
    case TIMER_START_PLAYBACK: TransportOp(OP_PLAY); break;
    }
}

// Recording time and limit: the recorder's bar grows with the recording, and the recording
// limit stops it.
void FollowRecordedTime() {
    DeckVars& v = Deck();
    if (v.position > v.trackLength) v.trackLength = REC_SCALE_20_MIN;
    if (v.position > REC_SCALE_20_MIN) v.trackLength = REC_SCALE_74_MIN;
    uint32_t limit = Settings().recLimit;
    if ((limit == REC_LIMIT_5_MIN && v.position >= REC_SCALE_5_MIN) ||
        (limit == REC_LIMIT_20_MIN && v.position >= REC_SCALE_20_MIN) ||
        (limit == REC_LIMIT_74_MIN && v.position >= REC_SCALE_74_MIN))
        StopKey();
}

// Meters: raw levels of whatever is heard, 0 for silence.
void RawLevels(int32_t* leftOut, int32_t* rightOut) {
    DeckVars& v = Deck();
    *leftOut = *rightOut = 0;
    if (v.deckSide == DECK_SIDE_RECORDER) {
        if (v.dinLock) {
            int l = 0, r = 0;
            GetPeaks(&l, &r);
            *leftOut = l;
            *rightOut = r;
        }
        return;
    }
    int engine = GetTrackEngine();
    if (engine == ENGINE_PLAYER) {
        GetTrackLevels(leftOut, rightOut);
    } else if (engine == ENGINE_MCI && v.trackFormat == MEDIA_WAVE && MixerAvail().meterAvail) {
        int32_t l = 0, r = 0;
        if (!SelectWaveOut(DEVICE_NUMBER) || !GetPeak(DEVICE_NUMBER, &l, &r)) l = r = 0;
        *leftOut = l < 0 ? ~l : l;  // the meter is signed; a negative swing counts as its complement
        *rightOut = r < 0 ? ~r : r;
    }
}

// Lock on the status line: it follows the digital input's lock while recording.
void FollowDinLock() {
    DeckVars& v = Deck();
    if (v.dinLock == g_tick.dinLockShown) return;
    char text[FACE_TICKER_BYTES];
    if (v.dinLock) {
        const char* format = nullptr;
        if (v.deckState == Recording) format = STATUS_RECORDING;
        if (v.deckState == RecPause) format = STATUS_REC_PAUSE;
        if (v.deckState == RecStandby) {
            // The input now runs at another rate: the prepared file is made again for it.
            if (GetRecordRate() != GetPrevRecordRate()) {
                StopKey();
                EnterRecStandby();
            }
            format = AutoRecorderListening() ? STATUS_REC_STANDBY : STATUS_REC_PAUSE;
        }
        if (format) {
            std::snprintf(text, sizeof text, format, RecordDisplayName());
            ShowTickerText(text);
        }
        SetTickerMode(TICKER_FIXED);
    } else if (IsRecorderState(v.deckState)) {
        SetTickerMode(TICKER_FIXED);
        ShowTickerText("Din Unlocked");
    }
    g_tick.dinLockShown = v.dinLock;
}

// Digital input: the digital input's lock and rate.
void ReadInputRate() {
    DeckVars& v = Deck();
    int recorder = IsRecorderState(v.deckState);
    if (!OpenDevice(DEVICE_NUMBER)) {
        if (recorder) ShowRate(GetRecordRate(), 1);
        v.dinLock = 0;
        return;
    }
    uint32_t code = 0;
    int ok = ReadRegister(REG_INPUT_LOCK, &code);
    CloseDevice();
    if (!ok) {
        v.dinLock = 0;
        return;
    }
    v.dinLock = IsLockCode(code);
    SetRecordRate(RateFromLockCode(code));
    if (recorder) ShowRate(GetRecordRate(), 1);
}

// Device reads: input selection and power mode. 0 when the device is missing.
int ReadDeviceInFull() {
    DeckVars& v = Deck();
    if (!OpenDevice(DEVICE_NUMBER)) {
        ShowInputSelect(Settings().recordInput);
        ShowCloseLit(0);
        SetDeviceAux(0);
        v.dinLock = 0;
        return 0;
    }
    uint32_t input = 0, power = 0;
    int ok = ReadRegister(REG_INPUT_SELECT, &input);
    if (ok) ok = ReadRegister(REG_POWER, &power);
    CloseDevice();
    if (ok) {
        Settings().recordInput = (uint32_t)InputSelFromStatus(input);
        g_tick.powerMode = PowerModeFromNibble(power & POWER_MODE_MASK);
        g_tick.deviceAux = PowerModeFromNibble((power >> 4) & POWER_MODE_MASK);
        ShowInputSelect(Settings().recordInput);
        ShowCloseLit((uint32_t)g_tick.powerMode);
        SetDeviceAux((uint32_t)g_tick.deviceAux);
    }
    return 1;
}
}  // namespace

// Mute lamp and volume slider follow the mixer (mute off and full volume when unreadable).
// They read the wave-out line, the one the volume slider and the mute button set, so a value the
// user just set is not replaced by another line's.
void ShowMixerOnFace() {
    const MixerAvailability& avail = MixerAvail();
    int open = SelectWaveOut(DEVICE_NUMBER);
    if (avail.muteAvail) {
        uint32_t mute = 0;
        if (!open || !GetMute(DEVICE_NUMBER, &mute)) mute = 0;
        ShowMute(mute);
    }
    if (avail.volumeAvail) {
        uint32_t left = MIXER_VOLUME_MAX, right = MIXER_VOLUME_MAX;
        if (!open || !GetVolume(DEVICE_NUMBER, &left, &right)) left = right = MIXER_VOLUME_MAX;
        SetVolumeBar(MixerToBar(left), MixerToBar(right));
    }
}

int32_t LevelToDb(int32_t v) {
    if (v == 0) return METER_SILENT_DB;
    return (int32_t)(20.0 * std::log10((double)v / LEVEL_FULL_SCALE) - 0.5);
}

// One way to ask for the full read: the deck's flag, which the next tick takes.
void RequestDeviceRead() { Deck().deviceReadRequest = 1; }

int DeckAtRest() {
    const DeckVars& v = Deck();
    const int32_t* m = Face().levels;  // dark once the levels and the peaks have fallen to silence
    return (v.deckState == NoTrack || v.deckState == Stopped) && v.searchDir == SEARCH_NONE && !v.sliderDrag &&
           !v.deviceReadRequest && GetCaptureMode() == CAPTURE_OFF && GetGapPhase() == GAP_NONE &&
           m[0] == METER_SILENT_DB && m[1] == METER_SILENT_DB && m[2] == METER_SILENT_DB && m[3] == METER_SILENT_DB;
}

int32_t CurrentShownState() {
    const DeckVars& v = Deck();
    int32_t shown = (v.searchDir != SEARCH_NONE || v.sliderDrag) ? v.savedState : v.deckState;
    if (AutoRecorderListening()) shown = RecAutoActive;
    return shown;
}

int DeckTick(int32_t* shownStateOut) {
    DeckVars& v = Deck();
    if (!g_tick.firstTickDone) FirstTick();
    if (g_tick.tickBusy) {
        *shownStateOut = v.deckState;
        g_tick.skippedTicks++;
        return 1;
    }
    g_tick.tickCount++;
    uint32_t oldPosition = v.position;
    g_tick.tickBusy = 1;
    if (v.deviceReadRequest) {
        v.deviceReadRequest = 0;
        g_tick.deviceReadCount = 0;
    }

    if (v.deckSide == DECK_SIDE_PLAYER) {
        uint32_t pos = 0;
        GetTrackPosition(&pos);
        v.position = pos < v.trackLength ? pos : v.trackLength;
    } else {
        v.position = GetRecordedMs();
    }
    int status = GetTrackStatus();

    int32_t shown = CurrentShownState();

    if (g_tick.tickCount % PLAYLIST_FOLLOW_TICKS == 0) FollowPlaylist();

    int listEnded = 0;
    if (v.deckState == Playing && status == TRACK_STOPPED) listEnded = !TrackEnded();
    if (!listEnded) {
        if (v.deckState == TrackSpace || GetGapPhase() == GAP_NEXT_STARTED) RunGapPhases();
        CheckTimerSlots();
    }
    if (v.searchDir == SEARCH_FORWARD || v.searchDir == SEARCH_BACKWARD) SearchStep();

    if (v.position != oldPosition) {
        if (v.deckSide == DECK_SIDE_RECORDER) FollowRecordedTime();
        uint32_t bar = v.trackLength ? (uint32_t)((double)v.position * POSITION_BAR_SCALE / v.trackLength) : 0;
        SetPositionBar(bar);
    }

    uint32_t time = v.position;
    if (v.deckSide == DECK_SIDE_PLAYER && Settings().timerMode == TIMER_MODE_LEFT)
        time = (v.trackLength - v.position) | TIME_LEFT_BIT;
    ShowTime(time);

    if (g_tick.tickCount % MIXER_READ_TICKS == 0) ShowMixerOnFace();

    int32_t left = 0, right = 0;
    RawLevels(&left, &right);
    ShowLevels(LevelToDb(left), 0, LevelToDb(right), 0);

    if (v.deckSide == DECK_SIDE_RECORDER) v.dinLock = GetStepsSinceLevel() <= DIN_LOCK_MAX_STEPS;
    FollowDinLock();
    ProbeTick(v.deckState);  // one playlist entry probed in the background, paced by the state
    TellPlaylistWindowState(v.deckState);

    if (g_tick.deviceReadCount == 0 ||
        (g_tick.deviceReadCount % RATE_READ_TICKS == 0 && (v.deckState == RecPause || v.deckState == RecStandby)))
        ReadInputRate();
    // Without the device the full read is the tick's last step anyway; it is retried only when
    // a read is requested again.
    if (g_tick.deviceReadCount++ == 0) ReadDeviceInFull();
    *shownStateOut = shown;
    g_tick.tickBusy = 0;
    return 1;
}

const DeckTickValues& DeckTickState() { return g_tick; }
void ResetDeckTickForTest() { g_tick = DeckTickValues{}; }
