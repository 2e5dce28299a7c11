// The deck's transport: the keys, the choice and cueing of tracks, searches, the end of a track
// and the player and recorder operations behind them. Only this module changes DeckState; the
// player and the recorder do the actual playing and writing.
#include "deck/deck.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "base/clock.h"
#include "base/path_names.h"
#include "deck/deck_ui.h"
#include "deck/record_folder.h"
#include "deck/record_naming.h"
#include "deck/track_gap.h"
#include "display/face_setters.h"
#include "docking/selector_link.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"
#include "record/capture.h"
#include "record/record_writer.h"
#include "settings/settings.h"

namespace {
enum {
    PLAY_NEAR_END_MS = 300,      // Play this close to the end jumps to the end
    PREV_RESTART_MS = 3001,      // from here on Previous returns to the start of the track
    SEARCH_SPEED = 10,           // searches run at ten times real time
    SEARCH_FIRST_STEP_MS = 100,  // a search starts one tick's worth ahead
    DECK_PATH_BYTES = 260,
    STATUS_BYTES = 256,
    METER_SILENT_DB = -100,
};

const char* const IDLE_STATUS = "Quaverly Deck";

struct DeckModule {
    DeckVars vars;
    int inShowTrackInfo;  // ShowTrackInfo runs (it is not re-entered)
    int inSearchStep;     // SearchStep runs; a search restarted inside it takes its next step on the next tick
    int inRecordingStop;  // StopRecording runs; it may show a box whose message loop runs ticks and keys
};
DeckModule g_deck;

int StateIn(int state, std::initializer_list<int> states) {
    for (int s : states)
        if (s == state) return 1;
    return 0;
}

int IsRecorderState(int state) { return StateIn(state, {Recording, RecPause, RecStandby}); }

void ShowStatus(const char* format, ...) {
    char text[STATUS_BYTES];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ShowTickerText(text);
}

void ShowIdle() {
    SetTickerMode(TICKER_CENTRED);
    ShowTickerText(IDLE_STATUS);
}

// Recorder status lines name the record file ("Recording S-001.WAV").
void ShowRecorderStatus(const char* format) {
    ShowStatus(format, RecordDisplayName());
    SetTickerMode(TICKER_FIXED);
}

int PlaylistIsEmpty() { return GetEntryCount() == 0; }

// The probe accepts a file as playable when it recognises how to play it.
int IsPlayableFile(const char* path) {
    int kind = PLAY_NONE;
    return GetPlayKind(path, &kind) && kind != PLAY_NONE;
}


// --- Recorder side --------------------------------------------------------------------------

void ResumeRecording() {
    ResumeWriting();
    Deck().deckState = Recording;
    ShowRecorderStatus(STATUS_RECORDING);
}

void StartRecordingFromStandby() {
    if (StartWriting()) {
        Deck().deckState = Recording;
        ShowRecorderStatus(STATUS_RECORDING);
    } else {
        // With auto recording on the recorder now waits for sound and starts itself.
        ShowRecorderStatus(STATUS_REC_STANDBY);
    }
}

// Stop: the file is kept, added to the list and cued when something was recorded and the probe
// takes it; otherwise it is deleted and nothing is cued.
// Closing the capture device can tell the user that audio was lost. That box runs a message loop
// while the deck is still in its recording state, so a tick (the recording limit, a timer slot)
// or a Stop click could stop again and close, list or delete the same file twice: while a stop
// runs, every further stop is ignored.
void StopRecording() {
    DeckVars& v = Deck();
    if (g_deck.inRecordingStop) return;
    struct StopGuard {
        StopGuard() { g_deck.inRecordingStop = 1; }
        ~StopGuard() { g_deck.inRecordingStop = 0; }
    } guard;
    int release = v.releaseCaptureOnStop;
    char path[RECORD_PATH_BYTES] = "";
    StopCapture(release);
    GetRecordTarget(path);
    CloseRecordFile(release);
    uint32_t recordedMs = GetRecordedMs();
    SetPositionBar(0);
    MediaInfo info{};
    if (recordedMs != 0 && path[0] && GetMediaInfo(path, &info)) {
        AddPath(path);
        RefreshPlaylistView();
        // The status goes into the file while the player lets go of its track; a busy player
        // leaves the recording without it, as a refused write would.
        HeldTrack held;
        if (HoldTrackForWrite(&held)) {
            StoreInputStatus(path);
            ResumeHeldTrack(&held);
        }
        RefreshTitles(path);
        v.currentTrack = GetEntryCount();
        if (CueCurrentTrack()) return;
        // Kept and listed, but the player would not take it: the recorder side still ends here.
        path[0] = 0;
    }
    if (path[0]) DeleteRecording(path);
    // Nothing is cued: the deck is an idle player again, as at start. Left on the recorder side,
    // its keys, lamps and clock would go on acting for a recording that no longer exists.
    v.deckState = NoTrack;
    v.deckSide = DECK_SIDE_PLAYER;
    v.trackLength = 0;
    v.position = 0;
    ShowIdle();
    ShowRecordFormat((uint32_t)v.trackFormat, 0);
    ShowRate((uint32_t)v.trackRate, 0);
}

int RecorderOp(int op) {
    DeckVars& v = Deck();
    switch (op) {
    case OP_PLAY:
        if (v.deckState == RecPause)
            ResumeRecording();
        else if (v.deckState == RecStandby)
            StartRecordingFromStandby();
        break;
    case OP_PAUSE:
        if (v.deckState == Recording) {
            PauseWriting();
            v.deckState = RecPause;
            ShowRecorderStatus(STATUS_REC_PAUSE);
        } else if (v.deckState == RecPause) {
            ResumeRecording();
        } else if (v.deckState == RecStandby) {
            // Play was pressed and the auto recorder waits for sound: Pause holds it.
            if (Settings().recAutoRecording && GetCaptureMode() == CAPTURE_WAITING) {
                PauseWriting();
                v.deckState = RecPause;
                ShowRecorderStatus(STATUS_REC_PAUSE);
            } else {
                StartRecordingFromStandby();
            }
        }
        break;
    case OP_STOP: StopRecording(); break;
    case OP_STANDBY:
        if (PrepareCapture(v.releaseCaptureOnStop)) v.deckState = RecStandby;
        break;
    default: break;
    }
    return 1;
}

// --- Player side ----------------------------------------------------------------------------

void StartSearchLeg(int dir) {
    DeckVars& v = Deck();
    StopTrack();
    v.searchStartTick = TickCount() - SEARCH_FIRST_STEP_MS;
    v.searchDir = dir;
    v.searchStartPos = v.position;
    if (!g_deck.inSearchStep) SearchStep();
}

int PlayerOp(int op) {
    DeckVars& v = Deck();
    if (GetTrackStatus() == TRACK_NOT_READY) return 1;
    uint32_t pos = 0;
    GetTrackPosition(&pos);
    v.position = pos;
    switch (op) {
    case OP_PLAY:
        if (v.position != 0 && (int64_t)v.trackLength - (int64_t)v.position < PLAY_NEAR_END_MS) {
            // So close to the end that the next track may as well follow at once.
            SeekTrack((int32_t)v.trackLength);
            v.deckState = Playing;
        } else if (PlayTrack()) {
            SetGapPhase(GAP_NONE);
            v.deckState = Playing;
            SetTickerMode(TICKER_SCROLL);
        }
        break;
    case OP_PAUSE:
        if (v.deckState == Playing || v.deckState == TrackSpace) {
            StopTrack();
            v.deckState = Paused;
            SetTickerMode(TICKER_PAUSE);
        } else if (v.deckState == Paused) {
            if (PlayTrack()) {
                v.deckState = Playing;
                SetTickerMode(TICKER_SCROLL);
            }
        }
        break;
    case OP_STOP:
        StopTrack();
        SeekTrack(0);
        SetTickerMode(TICKER_FIXED);
        // Nothing cued stays nothing cued: a stop (from a timer, say) does not invent a track.
        if (v.deckState != NoTrack) v.deckState = Stopped;
        break;
    case OP_FF_START: StartSearchLeg(SEARCH_FORWARD); break;
    case OP_REW_START: StartSearchLeg(SEARCH_BACKWARD); break;
    case OP_FF_END:
    case OP_REW_END: v.searchDir = SEARCH_NONE; break;
    case OP_BEFORE_NEXT:
    case OP_BEFORE_PREV: StopTrack(); break;
    default: break;
    }
    return 1;
}

// SelectTrack's giving up: nothing can be cued, so the deck goes back to its idle face.
int GiveUpSelection() {
    DeckVars& v = Deck();
    CloseTrack();
    v.deckState = NoTrack;
    v.currentTrack = 1;
    v.trackLength = 0;
    v.position = 0;
    v.deckSide = DECK_SIDE_PLAYER;
    SetPositionBar(0);
    ShowRepeatMode(Settings().repeat);
    ShowRecordFormat((uint32_t)v.trackFormat, 0);
    ShowInputSelect(Settings().recordInput);
    ShowRate((uint32_t)v.trackRate, 0);
    ShowTrackInfo(1);
    ShowIdle();
    return 0;
}

// FF/REW pressed: from TrackSpace the next track first starts, then the search begins.
int SearchDown(int startOp) {
    DeckVars& v = Deck();
    if (v.deckState == TrackSpace) TransportOp(OP_PLAY);
    if (!StateIn(v.deckState, {Stopped, Playing, Paused})) return 1;
    v.savedState = v.deckState;
    if (v.deckState != Stopped) v.deckState = Searching;
    TransportOp(startOp);
    return 1;
}

int SearchUp(int endOp) {
    DeckVars& v = Deck();
    if (IsRecorderState(v.deckState)) return 1;
    // A release without a search (the press was refused) has no state to go back to.
    if (v.searchDir == SEARCH_NONE && v.deckState != Searching) return 1;
    TransportOp(endOp);
    if (v.savedState == Playing)
        TransportOp(OP_PLAY);
    else if (v.deckState != NoTrack)
        v.deckState = v.savedState;  // NoTrack: the search lost its track
    v.savedState = Stopped;
    return 1;
}

void SearchForward(uint32_t now, uint64_t elapsed) {
    DeckVars& v = Deck();
    uint64_t target = (uint64_t)v.searchStartPos + elapsed;
    if (target < v.trackLength) {
        SeekTrack((int32_t)target);
        return;
    }
    TransportOp(OP_STOP);
    int repeat = (int)Settings().repeat;
    if (repeat == REPEAT_TRACK || (repeat == REPEAT_OFF && v.currentTrack == GetEntryCount())) {
        SeekTrack(TRACK_END);
        return;
    }
    if (!SelectTrack(SELECT_NEXT)) return;
    CueCurrentTrack();
    TransportOp(OP_FF_START);
    v.searchStartTick = now;
    v.position = v.searchStartPos = 0;
}

void SearchBackward(uint32_t now, uint64_t elapsed) {
    DeckVars& v = Deck();
    int64_t target = (int64_t)v.searchStartPos - (int64_t)elapsed;
    if (target >= 1) {
        SeekTrack((int32_t)target);
        return;
    }
    TransportOp(OP_STOP);
    int repeat = (int)Settings().repeat;
    if (repeat == REPEAT_TRACK || (repeat == REPEAT_OFF && v.currentTrack == 1)) {
        SeekTrack(TRACK_START);
        return;
    }
    if (!SelectTrack(SELECT_PREVIOUS)) return;
    CueCurrentTrack();
    SeekTrack(TRACK_END);
    TransportOp(OP_REW_START);
    v.searchStartTick = now;
    v.position = v.searchStartPos = v.trackLength;
}

void RePrepareRecordFile() {
    StopKey();
    EnterRecStandby();
}
}  // namespace

DeckVars& Deck() { return g_deck.vars; }

void ResetDeckState() {
    g_deck = DeckModule{};
    // The recorder stops, starts and splits recordings through the deck's own keys.
    RecorderDeckHooks hooks{};
    hooks.stopRecording = StopKey;
    hooks.autoStart = StartPlay;
    hooks.autoSplit = SplitRecordFile;
    SetRecorderDeckHooks(hooks);
    DeckVars& v = Deck();
    v.deckState = NoTrack;
    v.searchDir = SEARCH_NONE;
    v.savedState = 0;
    v.currentTrack = 1;
    v.trackLength = 0;
    v.position = 0;
    v.deckSide = DECK_SIDE_PLAYER;
    v.releaseCaptureOnStop = 1;
}

int TransportOp(int op) {
    if (Deck().deckSide == DECK_SIDE_RECORDER) return op <= OP_STANDBY ? RecorderOp(op) : 1;
    return PlayerOp(op);
}

int StartPlay() {
    DeckVars& v = Deck();
    if (v.deckState == NoTrack && PlaylistIsEmpty()) {
        v.currentTrack = 1;
        if (!SelectFiles(nullptr) || PlaylistIsEmpty()) return 1;
        SelectTrack(SELECT_SAME);
        CueCurrentTrack();
    }
    if (StateIn(v.deckState, {Stopped, Paused, RecPause, RecStandby})) {
        TransportOp(OP_PLAY);
        SetSelectorTransportMode(v.deckState == Playing ? SELECTOR_MODE_PLAYING : SELECTOR_MODE_OTHER);
    }
    // Peaks fall back while playing and hold otherwise.
    SetPeakMode(v.deckState == Playing ? PEAKS_FALL : PEAKS_HOLD);
    return 1;
}

int PauseKey() {
    if (StateIn(Deck().deckState, {Playing, Paused, TrackSpace, Recording, RecPause, RecStandby})) TransportOp(OP_PAUSE);
    return 1;
}

int StopKey() {
    DeckVars& v = Deck();
    if (g_deck.inRecordingStop) return 1;  // a stop is already under way
    v.releaseCaptureOnStop = 1;
    if (!StateIn(v.deckState, {Playing, Paused, TrackSpace, Recording, RecPause, RecStandby})) return 1;
    TransportOp(OP_STOP);
    WriteSavedStatus();
    SetPeakMode(PEAKS_HOLD);
    ShowLevels(METER_SILENT_DB, 0, METER_SILENT_DB, 0);
    return 1;
}

int FastForwardDown() { return SearchDown(OP_FF_START); }
int RewindDown() { return SearchDown(OP_REW_START); }
int FastForwardUp() { return SearchUp(OP_FF_END); }
int RewindUp() { return SearchUp(OP_REW_END); }

int SearchStep() {
    DeckVars& v = Deck();
    if (g_deck.inSearchStep) return 1;
    g_deck.inSearchStep = 1;
    uint32_t now = TickCount();
    uint64_t elapsed = (uint64_t)(uint32_t)(now - v.searchStartTick) * SEARCH_SPEED;
    if (v.searchDir == SEARCH_FORWARD)
        SearchForward(now, elapsed);
    else if (v.searchDir == SEARCH_BACKWARD)
        SearchBackward(now, elapsed);
    g_deck.inSearchStep = 0;
    return 1;
}

int NextTrack() {
    DeckVars& v = Deck();
    int before = v.deckState;
    // The player stops first whatever the state; only a cued track then moves.
    TransportOp(OP_BEFORE_NEXT);
    if (!StateIn(before, {Playing, Paused, TrackSpace, Stopped})) return 1;
    if (Settings().repeat == REPEAT_OFF && v.currentTrack == GetEntryCount()) {
        // Repeat off: Next on the last entry stops at the top of the list.
        v.currentTrack = 1;
        CueCurrentTrack();
        return 1;
    }
    v.manualSkip = 1;
    if (SelectTrack(SELECT_NEXT)) {
        CueCurrentTrack();
        if (before == Playing || before == TrackSpace) TransportOp(OP_PLAY);
    }
    v.manualSkip = 0;
    return 1;
}

int PrevTrack() {
    DeckVars& v = Deck();
    int before = v.deckState;
    TransportOp(OP_BEFORE_PREV);
    if (v.position < PREV_RESTART_MS) {
        if (!StateIn(before, {Playing, Paused, TrackSpace, Stopped})) return 1;
        v.manualSkip = 1;
        if (!SelectTrack(SELECT_PREVIOUS)) {
            v.manualSkip = 0;
            return 1;
        }
        CueCurrentTrack();
    } else {
        SeekTrack(TRACK_START);
    }
    if (before == Playing || before == TrackSpace) TransportOp(OP_PLAY);
    v.manualSkip = 0;
    return 1;
}

int SelectTrack(int dir) {
    DeckVars& v = Deck();
    int count = GetEntryCount();
    int repeat = (int)Settings().repeat;
    if (!v.manualSkip && (dir == SELECT_PREVIOUS || dir == SELECT_NEXT) && repeat == REPEAT_TRACK) dir = SELECT_SAME;
    int i = v.currentTrack;
    // Each entry is tried at most once. This also ends the search for a one-entry list under
    // repeat-all whose only entry fails, and for a current track beyond the end of the list.
    for (int tries = 1;; ++tries) {
        if (dir == SELECT_NEXT && ++i > count) i = 1;
        if (dir == SELECT_PREVIOUS && --i < 1) i = count;
        if (ShowTrackInfo(i)) {
            v.currentTrack = i;
            return 1;
        }
        if (count == 0 || dir == SELECT_SAME) break;
        if (count != 1 && i == v.currentTrack) break;
        if (dir == SELECT_PREVIOUS && repeat == REPEAT_OFF && i == 1) break;
        if (dir == SELECT_NEXT && repeat == REPEAT_OFF && i == count) break;
        if (tries >= count) break;
    }
    return GiveUpSelection();
}

int ShowTrackInfo(int n) {
    DeckVars& v = Deck();
    if (g_deck.inShowTrackInfo) return 0;
    if (n < 1 || n > GetEntryCount()) return 0;
    g_deck.inShowTrackInfo = 1;
    char path[PLAYLIST_PATH_BYTES] = "";
    MediaInfo info{};
    if (!GetEntryPath(n, path) || !GetMediaInfo(path, &info)) {
        g_deck.inShowTrackInfo = 0;
        return 0;
    }
    v.trackFormat = info.kind;
    v.trackRate = (int32_t)info.sampleRate;
    v.trackChannels = info.channels;
    v.trackBits = info.bitsPerSample;
    v.trackLength = info.lengthMs;
    char title[TITLE_FIELD_MAX_BYTES] = "";
    GetTitleField(path, FIELD_TITLE, title, SOURCE_ID3_FIRST);
    char status[TITLE_FIELD_MAX_BYTES] = "";
    GetTitleField(path, FIELD_CHANNEL_STATUS, status, SOURCE_TRAILER);
    SetTrackChannelStatus((const uint8_t*)status);
    uint32_t seconds = v.trackLength / 1000;
    ShowStatus("#%d  %s  %03u:%02u", n, title, seconds / 60, seconds % 60);
    SetTickerMode(TICKER_FIXED);
    ShowRate((uint32_t)v.trackRate, 0);
    ShowRecordFormat((uint32_t)v.trackFormat, 0);
    g_deck.inShowTrackInfo = 0;
    return 1;
}

int CueCurrentTrack() {
    DeckVars& v = Deck();
    CloseTrack();
    char path[PLAYLIST_PATH_BYTES] = "";
    if (v.currentTrack > GetEntryCount() || !ShowTrackInfo(v.currentTrack) || !GetEntryPath(v.currentTrack, path) ||
        !OpenTrack(path)) {
        v.deckSide = DECK_SIDE_PLAYER;
        return 0;
    }
    SetCurrentNumber(v.currentTrack);
    v.deckSide = DECK_SIDE_PLAYER;
    v.deckState = Stopped;
    v.position = 0;
    return 1;
}

int TrackEnded() {
    DeckVars& v = Deck();
    TransportOp(OP_STOP);
    if (!SelectTrack(SELECT_NEXT)) {
        WriteEndOfListStatus();
        return 0;
    }
    CueCurrentTrack();
    if (v.currentTrack == 1 && Settings().repeat == REPEAT_OFF) {
        WriteEndOfListStatus();
        return 0;
    }
    if (Settings().playSpace != PLAY_SPACE_NONE) {
        v.deckState = TrackSpace;
        StartTrackGap((uint32_t)v.trackRate);
    } else {
        TransportOp(OP_PLAY);
    }
    return 1;
}

int PlayTrackNumber(int n) {
    DeckVars& v = Deck();
    if (v.deckState == Recording || v.deckState == RecPause) return 0;
    if (v.deckState == Playing || v.deckState == Paused) TransportOp(OP_STOP);
    // A prepared record file is dropped first, so the capture device is not left armed.
    if (v.deckState == RecStandby) StopKey();
    v.currentTrack = n;
    CueCurrentTrack();
    TransportOp(OP_PLAY);
    return 1;
}

int OpenAsNewList(const char* path) {
    DeckVars& v = Deck();
    const int noPath = !path || !path[0];
    // A file handed to a recording deck must not replace the list under the recorder, and the
    // play that follows a successful open would start or resume the recording. Failing here makes
    // every caller append the file instead: it waits in the list for after the recording, which
    // is what a user dropping a file onto a busy recorder expects (nothing they gave is lost).
    if (IsRecorderState(v.deckState)) return noPath ? 1 : 0;
    if (noPath) {
        v.currentTrack = 1;
        if (SelectFiles(nullptr) && !PlaylistIsEmpty()) {
            SelectTrack(SELECT_SAME);
            CueCurrentTrack();
        }
        return 1;
    }
    if (!HasExtension(path, ".spl") && !IsPlayableFile(path)) return 0;
    // A path the list cannot hold must not cost the user the list they have.
    if (std::strlen(path) >= PLAYLIST_PATH_BYTES) return 0;
    // Cancel on the question about saving the changed list keeps that list and opens nothing.
    if (!ClearPlaylist()) return 0;
    v.currentTrack = 1;
    if (!AddPath(path)) return 0;
    RefreshPlaylistView();
    // From here the list is the file's, even when its first track does not play: a failure
    // would have the caller append the same file (a whole list) a second time.
    if (SelectTrack(SELECT_SAME)) CueCurrentTrack();
    return 1;
}

int EditCurrentFile() {
    DeckVars& v = Deck();
    if (IsRecorderState(v.deckState)) return 1;
    char path[PLAYBACK_PATH_BYTES] = "";
    GetTrackPath(path);
    if (path[0]) CloseTrack();
    v.deckState = Editing;
    EnablePlaylistWindow(0);
    RunFilePropertySheet(path, Settings().selectDir);
    EnablePlaylistWindow(1);
    // The sheet may have removed or broken the file: without a track the deck is idle.
    if (!path[0] || !CueCurrentTrack()) v.deckState = NoTrack;
    return 1;
}

int CycleRepeat() {
    uint32_t& repeat = Settings().repeat;
    repeat = (repeat + 1) % REPEAT_MODES;
    ShowRepeatMode(repeat);
    return 1;
}

int SelectFormat(int format) {
    DeckVars& v = Deck();
    if (v.deckState == Recording || v.deckState == RecPause) return 0;
    if (format < RECORD_FORMAT_PCM || format > RECORD_FORMAT_MP3) return 0;
    if (format != RECORD_FORMAT_PCM && !v.encoderPresent) return 0;
    uint32_t& recordFormat = Settings().recordFormat;
    if (recordFormat != (uint32_t)format) {
        recordFormat = (uint32_t)format;
        if (RecordFileIsPrepared()) RePrepareRecordFile();
    }
    if (v.deckSide == DECK_SIDE_RECORDER) ShowRecordFormat(recordFormat, 1);
    return 1;
}

int ShowPlaylist() {
    if (Deck().deckState == RecPause) return 1;
    OpenPlaylistWindow();
    return 1;
}

int PositionDragBegin() {
    DeckVars& v = Deck();
    if (v.trackLength == 0) return 0;
    if (!StateIn(v.deckState, {Stopped, Playing, Paused})) return 1;
    v.savedState = v.deckState;
    if (v.deckState == Playing) TransportOp(OP_PAUSE);
    v.sliderDrag = 1;
    return 1;
}

int PositionDragMove(int value) {
    DeckVars& v = Deck();
    SetPositionBar((uint32_t)value);
    v.position = (uint32_t)((double)v.trackLength * 0.001 * value);
    SeekTrack((int32_t)v.position);
    uint32_t shown = v.position;
    if (v.deckSide == DECK_SIDE_PLAYER && Settings().timerMode == TIMER_MODE_LEFT)
        shown = (v.trackLength - v.position) | FACE_TIME_LEFT_BIT;
    ShowTime(shown);
    return 1;
}

int PositionDragEnd() {
    DeckVars& v = Deck();
    if (v.savedState == Playing) TransportOp(OP_PAUSE);
    v.sliderDrag = 0;
    v.savedState = Stopped;
    return 1;
}

int SplitRecordFile() {
    Deck().releaseCaptureOnStop = 0;
    TransportOp(OP_STOP);
    EnterRecStandby();
    // The new standby is armed, so this only sets the recorder waiting for sound again.
    TransportOp(OP_PAUSE);
    return 1;
}
