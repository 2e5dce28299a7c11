// Message-box seam. Every box the deck shows goes through here: caption "Quaverly Deck", text
// from the string table (ids 1..95), optionally joined with a file name as "%s %s" or "%s %s.".
// The Win32 build shows a real box; the native build records the call and answers from a script,
// so tests see which message a user would have got.
#pragma once

// Button sets and answers, numerically the same as the platform's MB_* and ID* values.
enum {
    MSGBOX_OK = 0x0,
    MSGBOX_OKCANCEL = 0x1,
    MSGBOX_YESNOCANCEL = 0x3,
    MSGBOX_YESNO = 0x4,
    MSGBOX_ICONSTOP = 0x10,
    MSGBOX_ICONQUESTION = 0x20,
    MSGBOX_ICONWARNING = 0x30,
    MSGBOX_ICONINFORMATION = 0x40,
    MSGBOX_FOREGROUND = 0x10000,  // the box comes to the front with its owner
    MSGBOX_ANSWER_OK = 1,
    MSGBOX_ANSWER_CANCEL = 2,
    MSGBOX_ANSWER_YES = 6,
    MSGBOX_ANSWER_NO = 7,
};

enum MessageJoin {
    JOIN_NONE = 0,
    JOIN_SPACE = 1,
    JOIN_SPACE_DOT = 2,
    JOIN_APPEND = 3,
    JOIN_FORMAT = 4
};  // "%s", "%s %s", "%s %s.", "%s%s", the name in place of the message's own "%s"

// Shows string stringId (joined with fileName as `join` says; fileName may be null) with the
// given button set and icon bits; returns the answer (MSGBOX_ANSWER_*). JOIN_SPACE reads
// "name message" ("a.wav not found."), except for string 89 which reads "message name";
// JOIN_SPACE_DOT reads "message name." ("Could not write to a.wav."); JOIN_APPEND puts the text
// straight after the message (a question followed by its choices); JOIN_FORMAT puts it where the
// message has its "%s" ("\"Party\" was changed.").
int ShowDeckMessage(int stringId, const char* fileName, MessageJoin join, unsigned style);

// A text the program holds itself (UTF-8), in English or, when the system's default language is
// Japanese, in Japanese; caption "Quaverly Deck", OK button; owned by the main window (and brought
// to the front) when owned is 1, else without owner. The native build records the English text
// with string id 0, in fileName.
int ShowDeckText(const char* english, const char* japanese, int owned);

// Native build only: what was shown, and the answers to give.
struct RecordedMessage {
    int stringId;
    char fileName[260];
    MessageJoin join;
    unsigned style;
    void* owner;  // MessageOwner() when the box was shown (null: the main window)
};
int RecordedMessageCount();
const RecordedMessage* RecordedMessageAt(int index);
void QueueMessageAnswer(int answer);  // answers in order; an empty queue answers OK/YES
void ResetMessages();
// Runs once inside every box that follows, as the box's own message loop would run the timers
// and clicks that arrive while it is open (null: nothing runs). ResetMessages clears it.
void SetMessageLoopHook(void (*hook)());

// Loads string stringId of the program's string table in the user interface language (empty in
// the native build); returns the length.
int LoadDeckString(int stringId, wchar_t* out, int outChars);
