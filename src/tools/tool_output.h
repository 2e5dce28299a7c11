// What the file tools share: their messages (a box through the deck's message seam, or plain
// text on the command line) and the new file they write. A divided or combined file is built
// under a temporary name beside its final one and renamed into place only when it is complete,
// so a failure never leaves half a file under the user's name and never touches the sources.
#pragma once
#include <cstdint>
#include <cstdio>
#include "base/message_box.h"
#include "media/media_file.h"

enum {
    TOOL_PATH_BYTES = 260,          // ANSI paths of the platform
    TOOL_COPY_BYTES = 16384,        // the tools' own copy buffer (headers, small runs)
    TOOL_MESSAGE_TEXT_BYTES = 640,  // a message with a path joined to it
};

// Shows string stringId joined with name as ShowDeckMessage does and returns the answer. In text
// mode the English text goes to the text stream instead and a question gets the preset answer.
int ToolMessage(int stringId, const char* name, MessageJoin join, unsigned style);

// Text mode (command line): messages are written to out, one per line, and every Yes/No question
// is answered Yes when answerYes is 1, else No. A null out goes back to message boxes.
void SetToolTextMode(FILE* out, int answerYes);

// The English text of a message the tools show, as ShowDeckMessage would join it; textOut holds
// TOOL_MESSAGE_TEXT_BYTES.
void FormatToolMessage(int stringId, const char* name, MessageJoin join, char* textOut);
// The English string of a tools message (ids 75..95), or null for any other id.
const char* ToolMessageEnglish(int stringId);

// Why the last divide or combine failed where the deck says only "Error.": the command line
// adds the reason to that message and exits with a code for it.
enum ToolFailure {
    TOOL_FAILED_NONE = 0,
    TOOL_FAILED_NO_ROOM = 1,    // the disk or the file-size limit is full
    TOOL_FAILED_DENIED = 2,     // not allowed to create or replace the file
    TOOL_FAILED_READ = 3,       // a source could not be read
    TOOL_FAILED_NOT_SOUND = 4,  // a source is not laid out as a sound file of its kind
    TOOL_FAILED_WRITE = 5,      // the new file could not be written otherwise
};
int LastToolFailure();
// Starts a divide or combine: no failure, the media seam's error cleared.
void BeginToolRun();
// Shows "Error." for a failed divide or combine, noting the reason from the media seam's last
// error (none: the source did not make sense, TOOL_FAILED_NOT_SOUND).
void ShowToolError();
// The reason's words as the command line adds them ("no room", ...); "" for none.
const char* ToolFailureText(int failure);

// A file being made: open under a temporary name in the folder of its final name.
struct NewFile {
    MediaFile file;
    char tempPath[TOOL_PATH_BYTES];
    char finalPath[TOOL_PATH_BYTES];
};

// Creates the temporary file beside finalPath; 1 when created.
int BeginNewFile(const char* finalPath, NewFile* out);
// Pushes the file to the disk and closes it (it stays under its temporary name); 1 on success.
int CloseNewFile(NewFile* f);
// Renames the closed file to its final name, replacing a file there; 1 on success.
int PlaceNewFile(NewFile* f);
// Closes and deletes the temporary file; the final name is never touched.
void AbandonNewFile(NewFile* f);

// Case-insensitive equality of two paths (ASCII letters only, as the system compares names).
int SamePathNoCase(const char* a, const char* b);
