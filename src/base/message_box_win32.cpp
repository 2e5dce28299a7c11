// Win32 message boxes: the text is loaded with the wide string APIs, so the Japanese table shows
// correctly whatever the ANSI code page, and the box is owned by the main window when it exists.
#include "base/message_box.h"
#include "base/shell_handles.h"
#include "base/system_info.h"
#include "resources/resource.h"
#include <windows.h>
#include <cwchar>

namespace {
const wchar_t DECK_CAPTION[] = L"Quaverly Deck";
enum { TEXT_CHARS = 1024, NAME_CHARS = 600 };  // a name, or a question's two titles
// The window the box speaks for, in front: the box disables it while it is up. A page of a
// property sheet stands for its sheet.
HWND BoxOwner() {
    HWND owner = (HWND)MessageOwner();
    if (owner && IsWindow(owner)) {
        owner = GetAncestor(owner, GA_ROOT);
        SetForegroundWindow(owner);
        return owner;
    }
    owner = (HWND)MainWindowHandle();
    return (owner && IsWindow(owner)) ? owner : nullptr;
}
}  // namespace

int LoadDeckString(int stringId, wchar_t* out, int outChars) {
    out[0] = 0;
    return LoadStringW(GetModuleHandleW(nullptr), (UINT)stringId, out, outChars);
}

int ShowDeckMessage(int stringId, const char* fileName, MessageJoin join, unsigned style) {
    wchar_t message[TEXT_CHARS];
    wchar_t name[NAME_CHARS] = L"";
    wchar_t text[TEXT_CHARS + NAME_CHARS + 4];
    LoadDeckString(stringId, message, TEXT_CHARS);
    if (fileName) MultiByteToWideChar(CP_ACP, 0, fileName, -1, name, NAME_CHARS);
    name[NAME_CHARS - 1] = 0;
    // "%s %s" reads "name message" ("x.wav not found.") except for the one message that is
    // followed by the name ("Could not get information from x.wav"); "%s %s." is always
    // "message name." ("Could not write to x.wav.").
    switch (join) {
    case JOIN_SPACE:
        if (stringId == STR_NO_INFORMATION)
            swprintf(text, sizeof text / sizeof text[0], L"%ls %ls", message, name);
        else
            swprintf(text, sizeof text / sizeof text[0], L"%ls %ls", name, message);
        break;
    case JOIN_SPACE_DOT: swprintf(text, sizeof text / sizeof text[0], L"%ls %ls.", message, name); break;
    case JOIN_APPEND: swprintf(text, sizeof text / sizeof text[0], L"%ls%ls", message, name); break;
    case JOIN_FORMAT: {
        // Spliced by hand: the string table's text must not be used as a format itself.
        const wchar_t* at = wcsstr(message, L"%s");
        if (at)
            swprintf(text, sizeof text / sizeof text[0], L"%.*ls%ls%ls", (int)(at - message), message, name, at + 2);
        else
            swprintf(text, sizeof text / sizeof text[0], L"%ls", message);
        break;
    }
    default: swprintf(text, sizeof text / sizeof text[0], L"%ls", message); break;
    }
    return MessageBoxW(BoxOwner(), text, DECK_CAPTION, style);
}

int ShowDeckText(const char* english, const char* japanese, int owned) {
    const char* text = GetSystemDefaultLangID() == LANGUAGE_JAPANESE ? japanese : english;
    wchar_t wide[TEXT_CHARS];
    if (!MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, TEXT_CHARS)) wide[0] = 0;
    wide[TEXT_CHARS - 1] = 0;
    HWND owner = owned ? (HWND)MainWindowHandle() : nullptr;
    if (owner && !IsWindow(owner)) owner = nullptr;
    return MessageBoxW(owner, wide, DECK_CAPTION, MB_OK | (owned ? MB_SETFOREGROUND : 0));
}

// The native build records messages instead; these exist so both builds link the same tests.
int RecordedMessageCount() { return 0; }
const RecordedMessage* RecordedMessageAt(int) { return nullptr; }
void QueueMessageAnswer(int) {}
void ResetMessages() {}
void SetMessageLoopHook(void (*)()) {}
