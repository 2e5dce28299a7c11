// The Tag Editor page's state and decisions: one file's tag record and its saved copy, which
// edits enable Apply, and saving. Portable; tag_editor_win32.cpp is the page's dialog
// procedure over it. The page is the first of the Edit sheet, which is modal, so one instance.
#pragma once
#include <cstdint>
#include "media/id3v1.h"

enum {
    TAG_KIND_NONE = 6,     // the page's kind when the file is no sound file (or there is none)
    TAG_PATH_BYTES = 257,  // the page's path: up to 256 characters
};

// Which box an edit came from (the record's text fields).
enum TagBox { TAG_BOX_TITLE, TAG_BOX_ARTIST, TAG_BOX_ALBUM, TAG_BOX_YEAR, TAG_BOX_COMMENT, TAG_BOX_COUNT };

// What the page does after an edit of a box or the genre list.
enum TagEditResult {
    TAG_EDIT_COMPARED = 0,     // taken into the record; Apply follows TagPage::changed
    TAG_EDIT_EMPTY_BOX = 1,    // no file: the box that changed is emptied
    TAG_EDIT_MIDI = 2,         // MIDI: the notice in the format line, the record's title put back
    TAG_EDIT_EMPTY_TITLE = 3,  // not a sound file: the Title box is emptied
    TAG_EDIT_NO_GENRE = 4,     // the genre list is put back to no selection
};

struct TagPage {
    char path[TAG_PATH_BYTES];
    int kind;          // MediaKind of the file, or TAG_KIND_NONE
    TagRecord record;  // as edited
    TagRecord saved;   // as in the file
    int changed;       // record and saved differ: Apply enabled
    int lastAnswer;    // answer to the last save question: 1 Yes, 2 No, 3 Cancel (0 none asked)
};

TagPage* TagEditorPage();
void ResetTagEditorPage();

// Called after each save with the path written, so the playlist can show the new titles (the
// playlist sits above the media modules and registers itself here).
typedef int (*TagSavedHook)(const char* path);
void SetTagSavedHook(TagSavedHook hook);

// A save writes the file only while the player leaves it alone, and the player sits above the
// media modules: the Edit sheet, which asks for the save, registers how its track is held around
// the writes. hold answers 0 when the player is busy with a file (the save then stops without a
// message); release follows every hold that answered 1. Unregistered, the save just writes.
typedef int (*TagWriteHoldHook)();
typedef void (*TagWriteReleaseHook)();
void SetTagWriteHooks(TagWriteHoldHook hold, TagWriteReleaseHook release);

// LoadTagRecord with the user's part done: message 80 when the title was cut to 30 letters, and
// when an ID3v1 title and a trailer title both exist, the question which to use (any answer but
// Yes takes the trailer's). *recordOut gets the record (genre -1 when none). Returns
// LoadTagRecord's result; *tookTrailerOut (optional) is 1 when the trailer's title was taken.
int LoadTagRecordAsking(const char* path, TagRecord* recordOut, int* tookTrailerOut = nullptr);

// Loads path into the page: probe, record, and the record as its saved copy; changed cleared. A
// file that is no sound file clears the path and the record and sets TAG_KIND_NONE.
void TagPageLoad(const char* path);

// The user changed a box (TagBox) to text, or chose genre list position (-1 none).
int TagPageEditBox(int box, const char* text);
int TagPageChooseGenre(int position);

// 1 when the record and its saved copy differ (texts exactly, then the genre number).
int TagRecordsDiffer(const TagRecord* a, const TagRecord* b);

// Saves the record: the writability check with its messages (the save stops there, the page
// stays changed), the six fields, the saved copy, the trailer trim and the playlist's refresh.
// 1 when saved.
int TagPageSave();

// Leaving the page with unsaved edits: asks message 74 (Yes/No/Cancel), saves on Yes. 1 when the
// page may be left (Yes or No), 0 when it must stay (Cancel). 1 at once when nothing changed.
int TagPageLeave();
