// Background probing of the playlist: titles and lengths are filled in lazily, at most one entry
// per deck tick, because probing opens files (and for MIDI a media device) and is slow. A pass
// over the list probes newly added entries first and then wraps to the older ones; a finished
// pass puts probing on hold until the next list operation. Also the running totals.
#include <cstring>

#include "base/clock.h"
#include "base/path_names.h"
#include "media/media_file.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "playlist/playlist_files.h"
#include "playlist/playlist_internal.h"
#include "playlist/playlist_model.h"
#include "playlist/playlist_window.h"
#include "settings/settings.h"

namespace {
const char TITLE_NONE[] = "No Title";
const char TITLE_ILLEGAL[] = "Illegal File";
const char TITLE_NOT_FOUND[] = "File Not Found";
enum {
    PROBE_HOLD_WHILE_BUSY_MS = 5000,  // probing while playing or recording: once per 5 s
    MIDI_PROBE_SPACING_MS = 1000,     // a MIDI probe opens a media device: at most one per second
};

// Row n (0: none) and the total, on the playlist window when it is open.
void RedrawRowAndTotal(int n) {
    if (n > 0) RefreshRow(n);
    ShowTotals(PL().shownTotalMs, PL().entryCount);
}

// Subtraction that stops at 0: a total must not wrap around when entries moved between being
// probed and being deleted.
uint32_t LessBy(uint32_t total, uint32_t amount) { return total > amount ? total - amount : 0; }

// The pacing check of background probing: an unprobed MIDI file that exists waits until a
// second has passed since the last check that passed.
int PacingAllows(int n, uint32_t now) {
    PlaylistVars& v = PL();
    const PlaylistSlot& s = v.entries[n - 1];
    if ((HasExtension(s.path, ".mid") || HasExtension(s.path, ".rmi")) && s.probeState != Probed &&
        FileExists(s.path) && now - v.lastMidiProbe < MIDI_PROBE_SPACING_MS)
        return 0;
    v.lastMidiProbe = now;
    return 1;
}

void ProbeAndRedraw(int n) {
    ProbeEntry(n);
    RedrawRowAndTotal(n);
}

// Planning at the start of a tick: a new pass when entries came or a restart was asked for,
// or the pass is trimmed when entries went. 0 when the tick ends here.
int PlanPass(int s) {
    PlaylistVars& v = PL();
    if (v.probeSeen < v.entryCount) {
        if (s == 0) {
            v.probePassEnd = v.entryCount;
            v.probeNewBatch = 0;
        } else {
            v.probePassEnd = v.probeSeen;  // entries after probeSeen are new and come first
            v.probeNewBatch = 1;
        }
        v.probeNext = v.probeSeen + 1;
        v.probeWrapped = 0;
        v.probeSeen = v.entryCount;
        v.passBase = v.entryCount;
    } else if (v.probeSeen > v.entryCount) {
        v.probeSeen = v.entryCount;
        if (v.probePassEnd > v.entryCount) v.probePassEnd = v.entryCount;
        if (v.probeNext >= v.probePassEnd) {
            v.probeNext = v.probePassEnd;
            if (s == 0) v.probeNext = 1;
        }
        if (v.probeNext < v.probePassEnd) v.probeNext = 1;
        return 0;
    }
    return 1;
}
}  // namespace

void UpdateShownTotal() { PL().shownTotalMs = PL().gapSettingSeen ? PL().totalWithGapsMs : PL().totalMs; }

void RemoveFromTotals(const PlaylistSlot& slot, int count) {
    PlaylistVars& v = PL();
    v.totalMs = LessBy(v.totalMs, slot.durationMs);
    v.totalWithGapsMs = LessBy(v.totalWithGapsMs, count < 2 ? slot.durationMs : slot.durationMs + PLAYLIST_GAP_MS);
    UpdateShownTotal();
}

uint32_t GetTotalMs() { return PL().totalMs; }
uint32_t GetTotalWithGapsMs() { return PL().totalWithGapsMs; }
uint32_t GetShownTotalMs() { return PL().shownTotalMs; }
int PlaylistRebuilding() { return PL().probeBusy; }

void ReadEntryTitle(PlaylistSlot* s) {
    char title[TITLE_FIELD_MAX_BYTES] = "";
    if (!GetTitleField(s->path, FIELD_TITLE, title, SOURCE_ID3_FIRST) || !title[0]) CopyPath(title, TITLE_NONE);
    CopyPath(s->title, title);
}

int ProbeEntry(int n) {
    PlaylistVars& v = PL();
    if (n < 1 || n > v.entryCount) return 0;
    PlaylistSlot& s = v.entries[n - 1];
    if (s.probeState == Probed) return 1;
    v.probeBusy = 1;
    MediaFileGuard g;
    if (!OpenMediaFile(s.path, MF_READ, &g.file)) {
        CopyPath(s.title, TITLE_NOT_FOUND);
        s.durationMs = 0;
        s.probeState = Failed;
    } else {
        CloseMediaFile(&g.file);
        uint32_t length = 0;
        GetMediaLength(s.path, &length);
        if (length == 0) {
            CopyPath(s.title, TITLE_ILLEGAL);
            s.durationMs = 0;
            s.probeState = Failed;
        } else {
            ReadEntryTitle(&s);
            s.durationMs = length;
            s.probeState = Probed;
            v.totalMs += length;
            v.totalWithGapsMs += n < 2 ? length : length + PLAYLIST_GAP_MS;
            UpdateShownTotal();
        }
    }
    v.probeBusy = 0;
    return 1;
}

void ProbeTick(int32_t deckState) {
    PlaylistVars& v = PL();
    int gap = Settings().playSpace != 0;
    if (gap != v.gapSettingSeen) {
        v.gapSettingSeen = gap;
        UpdateShownTotal();
        RedrawRowAndTotal(0);
    }
    uint32_t now = TickCount();
    if ((deckState == PROBE_DECK_PLAYING || deckState == PROBE_DECK_RECORDING) &&
        now - v.probeLastRun < PROBE_HOLD_WHILE_BUSY_MS)
        return;
    v.probeLastRun = now;
    if (v.entryCount == 0) {
        v.probeSeen = 0;
        return;
    }
    if (v.probeBusy || v.probeHold) return;

    int s = v.passBase;
    if (s == 0) v.probeSeen = 0;
    if (v.probeRestart) {
        v.probeRestart = 0;
        v.probeSeen = 0;
    }
    if (!PlanPass(s)) return;
    v.probeLimit = v.probeWrapped ? v.probePassEnd : v.entryCount;

    // Walk past probed entries up to the limit; m is the first entry that still needs a probe.
    int m;
    for (;;) {
        m = v.probeNext;
        if (m > v.entryCount || !PacingAllows(m, now)) return;
        v.probeNext++;
        if (v.entries[m - 1].probeState == Probed && v.probeNext <= v.probeLimit) continue;
        break;
    }

    if (v.probeNewBatch) {
        if (m == v.probeLimit) {
            if (v.entries[m - 1].probeState == Unprobed) ProbeAndRedraw(m);
            v.probeNext = 1;
            v.probeNewBatch = 0;
            v.probeWrapped = 1;  // the older entries come next
        } else {
            ProbeAndRedraw(m);
            v.probeNext = m + 1;
        }
    } else if (m == v.probeLimit) {
        // The pass is finished: probing sleeps until the next list operation clears the hold.
        v.probeNewBatch = 0;
        v.probeWrapped = 0;
        v.probeHold = 1;
        if (v.entries[m - 1].probeState != Probed) ProbeAndRedraw(m);
    } else {
        ProbeAndRedraw(m);
        v.probeNext = m + 1;
    }
}
