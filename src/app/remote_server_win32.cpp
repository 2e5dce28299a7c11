// The remote-control channel's Win32 end in the deck. A request arrives as WM_COPYDATA on the main
// window, the same road as a second start's files but with its own dwData, and the reply goes back
// as WM_COPYDATA to the caller's window, whose handle comes in wParam. Window messages were chosen
// over a named pipe because they are handled on the GUI thread in the order the deck handles keys,
// with no thread, no polling and no lock; a pipe would need a listening thread handing requests
// over to the GUI thread, or a poll in the tick. Messages reach only the caller's own desktop,
// which keeps other sessions out; within it, the caller's window must belong to a process of the
// deck's own user. The reply is sent with a short timeout, so a hung caller holds the deck for at
// most that long, and a killed one not at all (its window is gone and the send fails at once).
#include "app/remote_commands.h"
#include "base/message_box.h"
#include "base/shell_handles.h"

#include <windows.h>

#include <memory>
#include <string>

namespace {
enum { REPLY_TIMEOUT_MS = 1500, MESSAGE_CHARS = 1024 };

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h) CloseHandle(h);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The user SID of a process's token, copied into out; 0 when it cannot be read.
int ProcessUser(HANDLE process, std::string* out) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return 0;
    Handle tokenGuard(token);
    DWORD bytes = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &bytes);
    if (bytes == 0) return 0;
    std::string buffer(bytes, '\0');
    if (!GetTokenInformation(token, TokenUser, &buffer[0], bytes, &bytes)) return 0;
    PSID sid = reinterpret_cast<TOKEN_USER*>(&buffer[0])->User.Sid;
    if (!IsValidSid(sid)) return 0;
    out->assign(static_cast<const char*>(sid), GetLengthSid(sid));
    return 1;
}

// Whether the window belongs to another process of the user the deck runs as. A window of the
// deck's own would have the reply come back to the deck as if it were a file handed over.
int CallerIsDeckUser(HWND caller) {
    DWORD pid = 0;
    if (!IsWindow(caller) || !GetWindowThreadProcessId(caller, &pid) || pid == 0) return 0;
    if (pid == GetCurrentProcessId()) return 0;
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return 0;
    std::string callerUser, deckUser;
    if (!ProcessUser(process.get(), &callerUser) || !ProcessUser(GetCurrentProcess(), &deckUser)) return 0;
    return callerUser == deckUser;
}

// The refusal's string-table text, in the ANSI code page like the deck's paths and titles, after
// the detail (a file name) when there is one, as the deck's boxes put them.
void FillMessageText(RemoteReply* reply) {
    if (!reply->messageId) return;
    wchar_t wide[MESSAGE_CHARS];
    char text[MESSAGE_CHARS * 2] = "";
    if (LoadDeckString(reply->messageId, wide, MESSAGE_CHARS) > 0)
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    reply->message = reply->message.empty() ? std::string(text) : reply->message + " " + text;
}
}  // namespace

long OnRemoteRequest(void* replyWindow, const void* data, unsigned long bytes) {
    HWND caller = (HWND)replyWindow;
    if (!CallerIsDeckUser(caller)) return 0;  // nothing runs, and nothing is told
    HWND main = (HWND)MainWindowHandle();
    RemoteReply reply = RunRemoteRequest(static_cast<const char*>(data), bytes, main && IsWindowEnabled(main));
    FillMessageText(&reply);
    std::string text = FormatRemoteReply(reply);
    COPYDATASTRUCT cds;
    cds.dwData = REMOTE_REPLY_TAG;
    cds.cbData = (DWORD)text.size();
    cds.lpData = &text[0];
    DWORD_PTR result = 0;
    if (!IsWindow(caller)) return 0;
    return SendMessageTimeoutA(caller, WM_COPYDATA, (WPARAM)main, (LPARAM)&cds, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                               REPLY_TIMEOUT_MS, &result) != 0;
}
