// qdctl.exe: drives the running deck from a command line, a script or a scheduler. Each call
// sends one request to the deck's main window as WM_COPYDATA, waits (bounded) for the deck's
// reply on a message-only window of its own, prints what the command asks for and exits with
// 0 done, 1 refused by the deck, 2 usage, 3 no deck running (or none answering).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/remote_protocol.h"
#include "base/window_messages.h"

namespace {
const char REPLY_CLASS[] = "Qdctl_Reply";
enum {
    EXIT_DONE = 0,
    EXIT_REFUSED = 1,
    EXIT_USAGE = 2,
    EXIT_NO_DECK = 3,
    REQUEST_TIMEOUT_MS = 30000,  // the deck answers at once unless a box of its own holds it
    WAIT_POLL_MS = 200,
    QUIT_TIMEOUT_S = 30,
};

struct ClientState {
    HWND replyWindow;   // receives the deck's reply
    std::string reply;  // the reply's bytes, empty until one came
    int gotReply;
};
ClientState g_client;

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)lp;
        if (cds && cds->dwData == REMOTE_REPLY_TAG && cds->lpData && cds->cbData <= REMOTE_MAX_REPLY_BYTES) {
            g_client.reply.assign((const char*)cds->lpData, cds->cbData);
            g_client.gotReply = 1;
            return 1;
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int MakeReplyWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ReplyProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = REPLY_CLASS;
    RegisterClassA(&wc);
    g_client.replyWindow = CreateWindowExA(0, REPLY_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return g_client.replyWindow != nullptr;
}

// One request and its reply. EXIT_DONE with replyOut filled, or EXIT_NO_DECK.
int Exchange(const RemoteRequest& request, RemoteReply* replyOut) {
    HWND deck = FindWindowA(DECK_WINDOW_CLASS, nullptr);
    if (!deck) return EXIT_NO_DECK;
    std::string text = FormatRemoteRequest(request);
    COPYDATASTRUCT cds;
    cds.dwData = REMOTE_REQUEST_TAG;
    cds.cbData = (DWORD)text.size();
    cds.lpData = &text[0];
    g_client.gotReply = 0;
    g_client.reply.clear();
    DWORD_PTR result = 0;
    // Not SMTO_BLOCK: the reply is sent to us while we wait here. The tests play a caller that
    // never takes its reply with QDCTL_TEST_DEAF set, to see the deck give up on it.
    UINT flags = GetEnvironmentVariableA("QDCTL_TEST_DEAF", nullptr, 0) ? SMTO_BLOCK : SMTO_NORMAL;
    SendMessageTimeoutA(deck, WM_COPYDATA, (WPARAM)g_client.replyWindow, (LPARAM)&cds, flags | SMTO_ABORTIFHUNG,
                        REQUEST_TIMEOUT_MS, &result);
    if (!g_client.gotReply || !ParseRemoteReply(g_client.reply.data(), g_client.reply.size(), replyOut))
        return EXIT_NO_DECK;
    return EXIT_DONE;
}

int ReportNoDeck() {
    if (FindWindowA(DECK_WINDOW_CLASS, nullptr))
        std::fprintf(stderr, "qdctl: the deck did not answer in %d s (is one of its dialogs waiting?)\n",
                     REQUEST_TIMEOUT_MS / 1000);
    else
        std::fprintf(stderr, "qdctl: no deck is running\n");
    return EXIT_NO_DECK;
}

int ReplyExitCode(const RemoteReply& reply) {
    if (reply.result == REPLY_OK) return EXIT_DONE;
    std::fprintf(stderr, "%s\n", reply.message.c_str());
    return reply.result == REPLY_REFUSED ? EXIT_REFUSED : EXIT_USAGE;
}

std::string AnsiToUtf8(const std::string& text) {
    if (text.empty()) return text;
    int wideChars = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring wide(wideChars, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), &wide[0], wideChars);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideChars, nullptr, 0, nullptr, nullptr);
    std::string out(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideChars, &out[0], bytes, nullptr, nullptr);
    return out;
}

void PrintStatus(const RemoteStatus& status, int json) {
    if (json) {
        RemoteStatus utf8 = status;
        utf8.title = AnsiToUtf8(status.title);
        utf8.file = AnsiToUtf8(status.file);
        utf8.recordFile = AnsiToUtf8(status.recordFile);
        std::printf("%s\n", FormatStatusJson(utf8).c_str());
    } else {
        std::printf("%s\n", FormatStatusLine(status).c_str());
    }
    std::fflush(stdout);
}

// A path as the deck must see it: absolute (the deck has its own current folder), and under Wine
// a Unix path becomes its DOS form.
int ToDeckPath(const std::string& path, std::string* out) {
    std::string dos = path;
    typedef WCHAR*(CDECL * DosNameFn)(const char*);
    DosNameFn dosName = (DosNameFn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name");
    if (!path.empty() && path[0] == '/' && dosName) {
        WCHAR* wide = dosName(path.c_str());
        if (wide) {
            char ansi[REMOTE_PATH_BYTES * 2] = "";
            WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
            HeapFree(GetProcessHeap(), 0, wide);
            dos = ansi;
        }
    }
    char full[REMOTE_PATH_BYTES * 2];
    DWORD n = GetFullPathNameA(dos.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= REMOTE_PATH_BYTES) return 0;
    *out = full;
    return 1;
}

int RunStatus(const QdctlInvocation& inv) {
    RemoteReply reply;
    int printed = 0;
    for (;;) {
        if (Exchange(inv.request, &reply) != EXIT_DONE) return printed ? EXIT_DONE : ReportNoDeck();
        PrintStatus(reply.status, inv.json);
        if (!inv.everySeconds) return EXIT_DONE;
        printed = 1;
        Sleep((DWORD)inv.everySeconds * 1000);
    }
}

int RunWait(const QdctlInvocation& inv) {
    ULONGLONG deadline = GetTickCount64() + (ULONGLONG)inv.timeoutSeconds * 1000;
    RemoteReply reply;
    for (;;) {
        if (Exchange(inv.request, &reply) != EXIT_DONE) return ReportNoDeck();
        if (RemoteStateMatches(reply.status.state, inv.waitState)) return EXIT_DONE;
        if (inv.timeoutSeconds >= 0 && GetTickCount64() >= deadline) {
            std::fprintf(stderr, "qdctl: the deck is still %s\n", RemoteStateToken(reply.status.state));
            return EXIT_REFUSED;
        }
        Sleep(WAIT_POLL_MS);
    }
}

// quit is done when the deck's window is gone; the deck may first ask to save its list.
int RunQuit(const QdctlInvocation& inv) {
    RemoteReply reply;
    if (Exchange(inv.request, &reply) != EXIT_DONE) return ReportNoDeck();
    if (reply.result != REPLY_OK) return ReplyExitCode(reply);
    int seconds = inv.timeoutSeconds >= 0 ? inv.timeoutSeconds : QUIT_TIMEOUT_S;
    ULONGLONG deadline = GetTickCount64() + (ULONGLONG)seconds * 1000;
    while (FindWindowA(DECK_WINDOW_CLASS, nullptr)) {
        if (GetTickCount64() >= deadline) {
            std::fprintf(stderr, "qdctl: the deck did not close\n");
            return EXIT_REFUSED;
        }
        Sleep(WAIT_POLL_MS);
    }
    return EXIT_DONE;
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "/?")) {
        std::fputs(QDCTL_USAGE, stdout);
        return EXIT_DONE;
    }
    QdctlInvocation inv;
    if (!ParseQdctlArguments(args, &inv)) {
        std::fprintf(stderr, "qdctl: %s\n%s", inv.error.c_str(), QDCTL_USAGE);
        return EXIT_USAGE;
    }
    for (std::string& p : inv.request.paths) {
        if (!ToDeckPath(p, &p)) {
            std::fprintf(stderr, "qdctl: the path is too long: %s\n", p.c_str());
            return EXIT_USAGE;
        }
    }
    if (!MakeReplyWindow()) return ReportNoDeck();
    if (inv.waitState >= 0) return RunWait(inv);
    if (inv.request.verb == VERB_STATUS) return RunStatus(inv);
    if (inv.request.verb == VERB_QUIT) return RunQuit(inv);
    RemoteReply reply;
    if (Exchange(inv.request, &reply) != EXIT_DONE) return ReportNoDeck();
    return ReplyExitCode(reply);
}
