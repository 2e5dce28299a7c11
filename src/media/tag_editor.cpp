// The Tag Editor page's state and decisions (see tag_editor.h).
#include "media/tag_editor.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "base/bounded_copy.h"
#include "base/message_box.h"
#include "media/media_probe.h"
#include "media/titles.h"
#include "resources/resource.h"

namespace {

struct TagEditorModule {
    TagPage page;
    TagSavedHook savedHook;        // the playlist's RefreshTitles, once registered
    TagWriteHoldHook writeHold;    // the Edit sheet's hold on the player's track, once registered
    TagWriteReleaseHook writeRelease;  // and its release
};
TagEditorModule g_tag;

void ClearRecord(TagRecord* r) {
    std::memset(r, 0, sizeof *r);
    r->genre = -1;
}

// The record's text field behind each box, and its capacity.
char* BoxField(TagRecord* r, int box, size_t* capOut) {
    switch (box) {
    case TAG_BOX_TITLE: *capOut = sizeof r->title; return r->title;
    case TAG_BOX_ARTIST: *capOut = sizeof r->artist; return r->artist;
    case TAG_BOX_ALBUM: *capOut = sizeof r->album; return r->album;
    case TAG_BOX_YEAR: *capOut = sizeof r->year; return r->year;
    case TAG_BOX_COMMENT: *capOut = sizeof r->comment; return r->comment;
    default: return nullptr;
    }
}

// Copies one title field (FIELD_TITLE .. FIELD_COMMENT) of a record.
void CopyTagField(TagRecord* to, const TagRecord* from, int field) {
    switch (field) {
    case FIELD_TITLE: std::memcpy(to->title, from->title, sizeof to->title); break;
    case FIELD_ARTIST: std::memcpy(to->artist, from->artist, sizeof to->artist); break;
    case FIELD_GENRE: to->genre = from->genre; break;
    case FIELD_YEAR: std::memcpy(to->year, from->year, sizeof to->year); break;
    case FIELD_ALBUM: std::memcpy(to->album, from->album, sizeof to->album); break;
    case FIELD_COMMENT: std::memcpy(to->comment, from->comment, sizeof to->comment); break;
    default: break;
    }
}

int Compare() {
    TagPage& p = g_tag.page;
    p.changed = TagRecordsDiffer(&p.record, &p.saved);
    return TAG_EDIT_COMPARED;
}

}  // namespace

TagPage* TagEditorPage() { return &g_tag.page; }

void ResetTagEditorPage() {
    g_tag.page = TagPage{};
    g_tag.page.kind = TAG_KIND_NONE;
    ClearRecord(&g_tag.page.record);
    ClearRecord(&g_tag.page.saved);
}

void SetTagSavedHook(TagSavedHook hook) { g_tag.savedHook = hook; }

void SetTagWriteHooks(TagWriteHoldHook hold, TagWriteReleaseHook release) {
    g_tag.writeHold = hold;
    g_tag.writeRelease = release;
}

int LoadTagRecordAsking(const char* path, TagRecord* recordOut, int* tookTrailerOut) {
    TagLoad load;
    int ok = LoadTagRecord(path, &load);
    if (tookTrailerOut) *tookTrailerOut = 0;
    if (load.titleWasCut) ShowDeckMessage(STR_TITLE_TOO_LONG, nullptr, JOIN_NONE, MSGBOX_OK);
    if (load.hasTrailerTitle) {
        char choice[TITLE_CHOICE_BYTES];
        FormatTitleChoice(&load, choice);
        if (ShowDeckMessage(STR_KELVARA_TITLE_FOUND, choice, JOIN_APPEND, MSGBOX_YESNO) != MSGBOX_ANSWER_YES) {
            UseTrailerTitle(&load);
            if (tookTrailerOut) *tookTrailerOut = 1;
        }
    }
    *recordOut = load.record;
    return ok;
}

void TagPageLoad(const char* path) {
    TagPage& p = g_tag.page;
    char keep[TAG_PATH_BYTES];
    CopyBoundedString(keep, sizeof keep, path ? path : "");
    MediaInfo info{};
    int tookTrailer = 0;
    if (keep[0] && GetMediaInfo(keep, &info)) {
        CopyBoundedString(p.path, sizeof p.path, keep);
        p.kind = info.kind;
        LoadTagRecordAsking(p.path, &p.record, &tookTrailer);
    } else {
        p.path[0] = 0;
        p.kind = TAG_KIND_NONE;
        ClearRecord(&p.record);
    }
    p.saved = p.record;
    p.changed = 0;
    if (tookTrailer) {
        // The user took the trailer's title: the file's tag still holds the other one, so the
        // page is changed until it is saved (what the file holds is the saved copy).
        TagLoad onFile;
        if (LoadTagRecord(p.path, &onFile)) p.saved = onFile.record;
        p.changed = 1;
    }
}

int TagPageEditBox(int box, const char* text) {
    TagPage& p = g_tag.page;
    if (!p.path[0]) return TAG_EDIT_EMPTY_BOX;
    if (p.kind == MEDIA_MIDI) return TAG_EDIT_MIDI;
    if (p.kind == TAG_KIND_NONE) return TAG_EDIT_EMPTY_TITLE;
    size_t cap = 0;
    char* field = BoxField(&p.record, box, &cap);
    if (field) CopyBoundedString(field, cap, text);
    return Compare();
}

int TagPageChooseGenre(int position) {
    TagPage& p = g_tag.page;
    if (p.kind == MEDIA_MIDI) return TAG_EDIT_MIDI;
    if (p.kind == TAG_KIND_NONE) return TAG_EDIT_NO_GENRE;
    p.record.genre = position < 0 ? -1 : GenreNumberAt(position);
    return Compare();
}

int TagRecordsDiffer(const TagRecord* a, const TagRecord* b) {
    return std::strcmp(a->title, b->title) != 0 || std::strcmp(a->artist, b->artist) != 0 ||
           std::strcmp(a->album, b->album) != 0 || std::strcmp(a->year, b->year) != 0 ||
           std::strcmp(a->comment, b->comment) != 0 || a->genre != b->genre;
}

int TagPageSave() {
    TagPage& p = g_tag.page;
    int reason = 0;
    if (!CheckWritable(p.path, &reason)) {
        if (reason == WRITABLE_MISSING)
            ShowDeckMessage(STR_NOT_FOUND, p.path, JOIN_SPACE, MSGBOX_OK);
        else
            ShowDeckMessage(STR_COULD_NOT_WRITE, p.path, JOIN_SPACE_DOT, MSGBOX_OK);
        return 0;
    }
    // The player busy with a file: nothing is written and nothing said; the page stays changed.
    if (g_tag.writeHold && !g_tag.writeHold()) {
        p.changed = TagRecordsDiffer(&p.record, &p.saved);
        return 0;
    }
    char genre[12];
    std::snprintf(genre, sizeof genre, "%d", int(p.record.genre));
    const char* values[6] = {p.record.title, p.record.artist, genre, p.record.year, p.record.album, p.record.comment};
    // A write can still be refused after the check (no room for the copy, damaged sizes, an I/O
    // error; the file is then as it was). The save says so and stops; the fields written so far
    // count as saved, and Apply stays enabled for the rest.
    int failedField = -1;
    for (int field = FIELD_TITLE; field <= FIELD_COMMENT && failedField < 0; field++) {
        if (SetTitleField(p.path, field, values[field], 0))
            CopyTagField(&p.saved, &p.record, field);
        else
            failedField = field;
    }
    if (failedField < 0) ReduceTitleTrailer(p.path);
    if (g_tag.writeRelease) g_tag.writeRelease();
    if (failedField >= 0) {
        ShowDeckMessage(STR_COULD_NOT_WRITE, p.path, JOIN_SPACE_DOT, MSGBOX_OK);
        p.changed = TagRecordsDiffer(&p.record, &p.saved);
        if (failedField > FIELD_TITLE && g_tag.savedHook) g_tag.savedHook(p.path);
        return 0;
    }
    p.changed = 0;
    if (g_tag.savedHook) g_tag.savedHook(p.path);
    return 1;
}

int TagPageLeave() {
    TagPage& p = g_tag.page;
    if (!p.changed) return 1;
    int answer = ShowDeckMessage(STR_UPDATE_SETTINGS, nullptr, JOIN_NONE, MSGBOX_YESNOCANCEL);
    if (answer == MSGBOX_ANSWER_CANCEL) {
        p.lastAnswer = 3;
        return 0;
    }
    if (answer == MSGBOX_ANSWER_YES) {
        p.lastAnswer = 1;
        return TagPageSave();  // a refused save keeps the page, with its message shown
    } else {
        p.lastAnswer = 2;
    }
    return 1;
}
