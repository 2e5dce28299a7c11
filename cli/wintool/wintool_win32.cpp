// wintool: looks at and pokes top-level windows for the end-to-end tests.
//   wintool find CLASS TITLE            prints the window's handle (hex); exit 1 when none
//   wintool wait CLASS TITLE MS [visible]  waits up to MS for the window (shown, with
//                                       "visible"); exit 1 on timeout
//   wintool count CLASS TITLE           prints how many such windows exist
//   wintool close CLASS                 posts WM_CLOSE to the window
//   wintool iconic CLASS                prints 1 when the window is minimized, else 0
//   wintool boxes                       lists message boxes: handle, caption, text (tab-separated)
//   wintool press HWND OK|Cancel|Yes|No presses a button of a message box
//   wintool send CLASS MSG WPARAM LPARAM sends a message (numbers, 0x... allowed); prints the result
//   wintool post CLASS MSG WPARAM LPARAM posts a message (for messages that open a modal box)
//   wintool rect CLASS                  prints the window's screen rectangle: left top right bottom
//   wintool move CLASS X Y              moves the window (position only)
//   wintool copydata CLASS DWDATA TEXT  sends WM_COPYDATA with TEXT and its terminating zero
//   wintool fakedeck LOGFILE MS         stands in for a running deck for MS: holds the deck's
//                                       mutex and window class, logs each hand-off as
//                                       "dwData<TAB>cbData<TAB>text" and exits on WM_CLOSE
// "-" as CLASS or TITLE means any.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
const char DECK_CLASS[] = "Vornex_Deck_Controller";
const char DECK_MUTEX[] = "Vornex_Deck_Controller_Mutex";
const char DECK_TITLE[] = "Quaverly Deck";

struct Query {
    const char* cls;    // null: any
    const char* title;  // null: any
    std::vector<HWND> found;
};

const char* AnyOr(const char* arg) { return std::strcmp(arg, "-") == 0 ? nullptr : arg; }

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
    Query* q = (Query*)lp;
    char cls[256] = "", title[512] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, title, sizeof title);
    if (q->cls && std::strcmp(cls, q->cls) != 0) return TRUE;
    if (q->title && std::strcmp(title, q->title) != 0) return TRUE;
    q->found.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> FindAll(const char* cls, const char* title) {
    Query q{cls, title, {}};
    EnumWindows(CollectWindow, (LPARAM)&q);
    return q.found;
}

// The text of a message box: its static controls that are not icons, joined by newlines.
BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM lp) {
    std::string* text = (std::string*)lp;
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) return TRUE;
    if ((GetWindowLongA(hwnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return TRUE;
    wchar_t wide[2048] = L"";
    GetWindowTextW(hwnd, wide, 2048);
    char utf8[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    if (!utf8[0]) return TRUE;
    if (!text->empty()) *text += "\n";
    *text += utf8;
    return TRUE;
}

std::string Escape(const std::string& s) {  // one line per box
    std::string out;
    for (char c : s) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            continue;
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

int CmdFind(const char* cls, const char* title) {
    std::vector<HWND> w = FindAll(AnyOr(cls), AnyOr(title));
    if (w.empty()) return 1;
    std::printf("%llx\n", (unsigned long long)(uintptr_t)w[0]);
    return 0;
}

int CmdWait(const char* cls, const char* title, int ms, int visible) {
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND w : FindAll(AnyOr(cls), AnyOr(title))) {
            if (visible && !IsWindowVisible(w)) continue;
            std::printf("%llx\n", (unsigned long long)(uintptr_t)w);
            return 0;
        }
        if ((int)(GetTickCount() - start) > ms) return 1;
        Sleep(50);
    }
}

int CmdBoxes() {
    for (HWND box : FindAll("#32770", nullptr)) {
        if (!IsWindowVisible(box)) continue;
        wchar_t wide[512] = L"";
        GetWindowTextW(box, wide, 512);
        char caption[1024] = "";
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, caption, sizeof caption, nullptr, nullptr);
        std::string text;
        EnumChildWindows(box, CollectStatic, (LPARAM)&text);
        std::printf("%llx\t%s\t%s\n", (unsigned long long)(uintptr_t)box, Escape(caption).c_str(),
                    Escape(text).c_str());
    }
    return 0;
}

int CmdPress(const char* handle, const char* button) {
    HWND box = (HWND)(uintptr_t)std::strtoull(handle, nullptr, 16);
    int id = 0;
    if (!lstrcmpiA(button, "OK"))
        id = IDOK;
    else if (!lstrcmpiA(button, "Cancel"))
        id = IDCANCEL;
    else if (!lstrcmpiA(button, "Yes"))
        id = IDYES;
    else if (!lstrcmpiA(button, "No"))
        id = IDNO;
    if (!id || !IsWindow(box)) return 1;
    HWND control = GetDlgItem(box, id);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)control);
    return 0;
}

int CmdCopyData(const char* cls, const char* tag, const char* text) {
    HWND deck = FindWindowA(cls, nullptr);
    if (!deck) return 1;
    COPYDATASTRUCT cds;
    cds.dwData = std::strtoul(tag, nullptr, 0);
    cds.cbData = (DWORD)std::strlen(text) + 1;
    cds.lpData = (void*)text;
    SendMessageA(deck, WM_COPYDATA, (WPARAM)deck, (LPARAM)&cds);
    return 0;
}

struct FakeDeck {
    FILE* log;
};
FakeDeck g_fake;

LRESULT CALLBACK FakeDeckProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
        const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)lp;
        std::string text;
        if (cds->lpData && cds->cbData) text.assign((const char*)cds->lpData, cds->cbData);
        int terminated = !text.empty() && text.back() == 0;
        if (terminated) text.pop_back();
        std::fprintf(g_fake.log, "%lu\t%lu\t%s\t%s\n", (unsigned long)cds->dwData, (unsigned long)cds->cbData,
                     text.c_str(), terminated ? "zero" : "nozero");
        std::fflush(g_fake.log);
        return 0;
    }
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int CmdFakeDeck(const char* logPath, int ms) {
    g_fake.log = std::fopen(logPath, "w");
    if (!g_fake.log) return 1;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, DECK_MUTEX);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = FakeDeckProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = DECK_CLASS;
    if (!RegisterClassA(&wc)) return 1;
    HWND w =
        CreateWindowExA(0, DECK_CLASS, DECK_TITLE, WS_POPUP, 0, 0, 100, 40, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 1;
    std::fprintf(g_fake.log, "ready\n");
    std::fflush(g_fake.log);
    SetTimer(w, 1, (UINT)ms, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == w) break;
        DispatchMessageA(&msg);
    }
    std::fclose(g_fake.log);
    CloseHandle(mutex);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && !std::strcmp(argv[1], "find")) return CmdFind(argv[2], argv[3]);
    if (argc >= 5 && !std::strcmp(argv[1], "wait"))
        return CmdWait(argv[2], argv[3], std::atoi(argv[4]), argc >= 6 && !std::strcmp(argv[5], "visible"));
    if (argc >= 4 && !std::strcmp(argv[1], "count")) {
        std::printf("%d\n", (int)FindAll(AnyOr(argv[2]), AnyOr(argv[3])).size());
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "close")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        return w && PostMessageA(w, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "iconic")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        if (!w) return 1;
        std::printf("%d\n", IsIconic(w) ? 1 : 0);
        return 0;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "boxes")) return CmdBoxes();
    if (argc >= 4 && !std::strcmp(argv[1], "press")) return CmdPress(argv[2], argv[3]);
    if (argc >= 6 && !std::strcmp(argv[1], "send")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        if (!w) return 1;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(w, (UINT)std::strtoul(argv[3], nullptr, 0), (WPARAM)std::strtoull(argv[4], nullptr, 0),
                                 (LPARAM)std::strtoll(argv[5], nullptr, 0), SMTO_NORMAL, 20000, &result))
            return 1;
        std::printf("%lld\n", (long long)(LONG_PTR)result);
        return 0;
    }
    if (argc >= 6 && !std::strcmp(argv[1], "post")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        return w && PostMessageA(w, (UINT)std::strtoul(argv[3], nullptr, 0), (WPARAM)std::strtoull(argv[4], nullptr, 0),
                                 (LPARAM)std::strtoll(argv[5], nullptr, 0))
                   ? 0
                   : 1;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "rect")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        RECT r;
        if (!w || !GetWindowRect(w, &r)) return 1;
        std::printf("%ld %ld %ld %ld\n", (long)r.left, (long)r.top, (long)r.right, (long)r.bottom);
        return 0;
    }
    if (argc >= 5 && !std::strcmp(argv[1], "move")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        return w && SetWindowPos(w, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (argc >= 5 && !std::strcmp(argv[1], "copydata")) return CmdCopyData(argv[2], argv[3], argv[4]);
    if (argc >= 4 && !std::strcmp(argv[1], "fakedeck")) return CmdFakeDeck(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr,
                 "usage: wintool find|wait|count|close|boxes|press|send|post|rect|move|copydata|fakedeck ...\n");
    return 2;
}
