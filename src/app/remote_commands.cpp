// Remote commands (see remote_commands.h). Each command calls the operation its key calls, after
// the checks the face makes implicitly: while a box is open the face cannot be clicked, and a key
// the deck ignores in a state is reported to the caller as refused instead of silently passing.
// A caller may be a scheduler with nobody at the screen, so no command here opens a box or dialog
// of its own on the deck: what the keys would ask or report in a box comes back in the reply.
#include "app/remote_commands.h"

#include <string>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/window_rules.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "docking/docking.h"
#include "hardware/device.h"
#include "media/titles.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"
#include "record/capture.h"
#include "record/record_writer.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {
struct RemoteModule {
    int busy;  // a request runs; one arriving from a nested message loop is refused
};
RemoteModule g_remote;

const char QUESTION_OPEN[] = "The deck is waiting for an answer in one of its windows.";
const char BUSY[] = "The deck is busy with another request.";
const char EMPTY_LIST[] = "The playlist is empty.";
const char NOTHING_CUED[] = "No track is cued.";
const char NO_SUCH_TRACK[] = "There is no such track in the playlist.";
const char INPUT_FAILED[] = "The device did not take the input.";

void Refuse(RemoteReply* reply, const std::string& text, int messageId = 0) {
    reply->result = REPLY_REFUSED;
    reply->message = text;
    reply->messageId = messageId;
}
// A key the deck ignores in the state it is in, named as the face names the state.
void RefuseInState(RemoteReply* reply) {
    Refuse(reply, std::string("Not while the deck shows ") + ShownStateName(CurrentShownState()) + ".");
}

int StateIn(int32_t state, std::initializer_list<int32_t> states) {
    for (int32_t s : states)
        if (s == state) return 1;
    return 0;
}

int IsRecorderBusy() { return StateIn(Deck().deckState, {Recording, RecPause, RecStandby}); }

void Play(const RemoteRequest& rq, RemoteReply* reply) {
    if (rq.number == 0) {
        // The Play key on an empty list opens "Select File"; nobody may be there to answer it.
        if (Deck().deckState == NoTrack && GetEntryCount() == 0) return Refuse(reply, EMPTY_LIST);
        StartPlay();
        return;
    }
    if (rq.number > GetEntryCount()) return Refuse(reply, NO_SUCH_TRACK);
    if (!PlayTrackNumber(rq.number)) RefuseInState(reply);
}

void Record(const RemoteRequest& rq, RemoteReply* reply) {
    int32_t before = Deck().deckState;
    if (before != NoTrack && before != Stopped && before != RecStandby) return RefuseInState(reply);
    if (before != RecStandby) {
        // The Record key says so in a box; the caller hears it instead.
        int index = WAVE_DEVICE_NONE, count = 0;
        FindWaveDevice(0, &index, &count);
        if (index == WAVE_DEVICE_NONE) return Refuse(reply, "", STR_NEED_DEVICE);
        // As a timer recording: nobody need read the day's processing-power notice first.
        Settings().recNoticePending = 0;
        if (!EnterRecStandby() || Deck().deckState != RecStandby) return Refuse(reply, "The record file could not be prepared.");
    }
    if (rq.number) StartPlay();  // the Play key in record standby starts writing
}

// Seconds forward or back within the cued track, the way the position slider moves it.
void Seek(const RemoteRequest& rq, RemoteReply* reply) {
    const DeckVars& v = Deck();
    if (!StateIn(v.deckState, {Stopped, Playing, Paused})) return RefuseInState(reply);
    if (v.trackLength == 0) return Refuse(reply, NOTHING_CUED);
    long long delta = (long long)rq.number * 1000 * (rq.verb == VERB_FF ? 1 : -1);
    long long target = (long long)v.position + delta;
    if (target < 0) target = 0;
    if (target > v.trackLength) target = v.trackLength;
    int bar = (int)(target * 1000 / v.trackLength);
    if (!PositionDragBegin()) return Refuse(reply, NOTHING_CUED);
    PositionDragMove(bar);
    PositionDragEnd();
}

// What the list would say of these files in a box, said before anything is added.
int RefuseUnplayable(const RemoteRequest& rq, RemoteReply* reply) {
    int unsupported = 0;
    const std::string* first = nullptr;
    for (const std::string& p : rq.paths)
        if (!HasSupportedExtension(p.c_str()) && ++unsupported == 1) first = &p;
    if (unsupported == 1 && rq.paths.size() == 1) {
        Refuse(reply, *first, STR_CANNOT_BE_PLAYED);
        return 1;
    }
    if (unsupported) {
        Refuse(reply, "", STR_FORMATS_NOT_SUPPORTED);
        return 1;
    }
    int room = PLAYLIST_MAX_ENTRIES - (rq.verb == VERB_OPEN ? 0 : GetEntryCount());
    if ((int)rq.paths.size() > room) {
        Refuse(reply, "", STR_CANNOT_ADD_MORE);
        return 1;
    }
    return 0;
}

// open: a new list cued at its first track, like a second start's first file but without
// starting to play; a script says play when it wants it.
void Open(const RemoteRequest& rq, RemoteReply* reply) {
    if (IsRecorderBusy()) return RefuseInState(reply);
    if (RefuseUnplayable(rq, reply)) return;
    MarkBeforeDrop();
    if (!OpenAsNewList(rq.paths[0].c_str())) return Refuse(reply, rq.paths[0], STR_CANNOT_BE_PLAYED);
    for (size_t i = 1; i < rq.paths.size(); ++i) AddPath(rq.paths[i].c_str());
    RefreshPlaylistView();
    FinishAdd((int)rq.paths.size(), OWNER_MAIN_WINDOW);
}

void Add(const RemoteRequest& rq, RemoteReply* reply) {
    if (RefuseUnplayable(rq, reply)) return;
    MarkBeforeDrop();
    for (const std::string& p : rq.paths) AddPath(p.c_str());
    RefreshPlaylistView();
    FinishAdd((int)rq.paths.size(), OWNER_MAIN_WINDOW);
}

void Input(const RemoteRequest& rq, RemoteReply* reply) {
    if (Deck().deckState == RecPause) return RefuseInState(reply);
    int ok = SelectInput(rq.number ? INPUT_IN1 : INPUT_IN2);
    NotifySelectorInputChanged();
    if (!ok) Refuse(reply, INPUT_FAILED);
}

// The Repeat key cycles off, one, all; it is pressed until the wanted mode shows.
void Repeat(const RemoteRequest& rq, RemoteReply*) {
    for (int i = 0; i < 3 && (int)Settings().repeat != rq.number; ++i) CycleRepeat();
}

// quit: the deck's own close, posted as the Close key posts it; the refusal while recording is
// checked first so that it comes back to the caller instead of waiting in a box on the deck.
void Quit(const RemoteRequest&, RemoteReply* reply) {
    int refusal = CloseRefusalNow(0);
    if (refusal) return Refuse(reply, "", refusal);
    PostCloseRequest();
}

void RunVerb(const RemoteRequest& rq, RemoteReply* reply) {
    switch (rq.verb) {
    case VERB_STATUS: return;
    case VERB_PLAY: return Play(rq, reply);
    case VERB_STOP: StopKey(); return;
    case VERB_PAUSE: PauseKey(); return;
    case VERB_RECORD: return Record(rq, reply);
    case VERB_NEXT: NextTrack(); return;
    case VERB_PREV: PrevTrack(); return;
    case VERB_FF:
    case VERB_REW: return Seek(rq, reply);
    case VERB_OPEN: return Open(rq, reply);
    case VERB_ADD: return Add(rq, reply);
    case VERB_INPUT: return Input(rq, reply);
    case VERB_REPEAT: return Repeat(rq, reply);
    case VERB_QUIT: return Quit(rq, reply);
    }
}
}  // namespace

RemoteStatus CurrentRemoteStatus() {
    const DeckVars& v = Deck();
    const EngineSettings& s = Settings();
    RemoteStatus st;
    st.state = CurrentShownState();
    st.track = v.currentTrack;
    st.count = GetEntryCount();
    st.positionMs = v.position;
    char path[PLAYBACK_PATH_BYTES] = "";
    char record[RECORD_PATH_BYTES] = "";
    GetRecordTarget(record);
    st.recordFile = record;
    st.recordedMs = GetRecordedMs();
    if (v.deckSide == DECK_SIDE_RECORDER) {
        st.format = (int32_t)s.recordFormat;
        st.rate = GetRecordRate();
    } else if (v.deckState != NoTrack && GetTrackPath(path) && path[0]) {
        char title[TITLE_FIELD_MAX_BYTES] = "";
        GetTitleField(path, FIELD_TITLE, title, SOURCE_ID3_FIRST);
        st.file = path;
        st.title = title;
        st.format = v.trackFormat;
        st.rate = (uint32_t)v.trackRate;
    }
    st.input = s.recordInput ? 1 : 0;
    st.repeat = (int32_t)s.repeat;
    st.lock = v.dinLock ? 1 : 0;
    return st;
}

RemoteReply RunRemoteRequest(const char* data, size_t bytes, int deckAnswering) {
    RemoteReply reply;
    RemoteRequest rq;
    int parsed = ParseRemoteRequest(data, bytes, &rq);
    if (parsed != PARSE_OK) {
        reply.result = REPLY_BAD;
        reply.message = RemoteParseErrorText(parsed);
        return reply;  // answered in our own version, which an older caller may not read
    }
    reply.version = rq.version;
    if (rq.verb != VERB_STATUS) {
        if (g_remote.busy)
            Refuse(&reply, BUSY);
        else if (!deckAnswering)
            Refuse(&reply, QUESTION_OPEN);
        else {
            g_remote.busy = 1;
            RunVerb(rq, &reply);
            g_remote.busy = 0;
        }
    }
    reply.hasStatus = 1;
    reply.status = CurrentRemoteStatus();
    return reply;
}

void ResetRemoteCommandsForTest() { g_remote = RemoteModule(); }
