// Pindaro: a small selector for testing the deck's docking. Its window has the selector's class
// "Vornex_Selector"; it answers the deck's question for the size factor and follows the docking
// protocol as far as the tests need, and logs every docking message it receives, one line each:
//   <message> <lParam> <deck|other>      (deck: wParam is the deck's main window)
// Arguments: /LOG=path (else the PINDARO_LOG variable; no log without either), /AT=x,y (its
// place, default 400,400), /SIZE=w,h (default 400,105), /SCALE=n (its size factor, default 1);
// other arguments (the deck passes /DOCKING) are only logged.
// The tests steer it with messages of their own:
//   WM_APP+1 (wParam s): tells the deck it docked on side s of the deck (0 undocks)
//   WM_APP+2 (wParam x, lParam y): moves itself; when docked it asks the deck to follow
//   WM_APP+3 (wParam n): reports size factor n to the deck
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const char SELECTOR_CLASS[] = "Vornex_Selector";
const char SELECTOR_TITLE[] = "Quaverly Selector";
const char DECK_CLASS[] = "Vornex_Deck_Controller";
enum { MSG_DOCK_SIDE = WM_USER, MSG_SCALE = WM_USER + 1, MSG_ASK_SCALE = WM_USER + 2, MSG_LAST = WM_USER + 5 };
enum { CTL_DOCK = WM_APP + 1, CTL_MOVE = WM_APP + 2, CTL_SCALE = WM_APP + 3 };

struct Selector {
    FILE* log;
    int scale;     // this selector's size factor
    int deckSide;  // the deck's side as it last reported it (0 undocked)
};
Selector g_sel = {nullptr, 1, 0};

void Log(const char* line) {
    if (!g_sel.log) return;
    std::fprintf(g_sel.log, "%s\n", line);
    std::fflush(g_sel.log);
}

HWND Deck() { return FindWindowA(DECK_CLASS, nullptr); }

// The deck's side of the selector seen from the selector: the opposite side.
int SelectorSideFor(int deckSide) {
    static const int OPPOSITE[] = {0, 3, 4, 1, 2};
    return deckSide >= 0 && deckSide <= 4 ? OPPOSITE[deckSide] : 0;
}

void SendToDeck(HWND self, UINT msg, LPARAM lp) {
    HWND deck = Deck();
    DWORD_PTR ignored = 0;
    if (deck) SendMessageTimeoutA(deck, msg, (WPARAM)self, lp, SMTO_NORMAL, 5000, &ignored);
}

LRESULT OnDeckMessage(HWND self, UINT msg, WPARAM wp, LPARAM lp) {
    char line[96];
    HWND from = (HWND)wp;
    std::snprintf(line, sizeof line, "%u %ld %s", msg, (long)lp, from && from == Deck() ? "deck" : "other");
    Log(line);
    if (msg == MSG_DOCK_SIDE) g_sel.deckSide = (int)lp;
    if (msg == MSG_ASK_SCALE && from) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(from, MSG_SCALE, (WPARAM)self, g_sel.scale, SMTO_NORMAL, 5000, &ignored);
    }
    return 0;
}

LRESULT CALLBACK SelectorProc(HWND self, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= MSG_DOCK_SIDE && msg <= MSG_LAST) return OnDeckMessage(self, msg, wp, lp);
    switch (msg) {
    case CTL_DOCK:
        g_sel.deckSide = SelectorSideFor((int)wp);  // the same swap both ways
        SendToDeck(self, MSG_DOCK_SIDE, (LPARAM)wp);
        return 0;
    case CTL_MOVE:
        SetWindowPos(self, nullptr, (int)wp, (int)lp, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (g_sel.deckSide) SendToDeck(self, MSG_DOCK_SIDE, SelectorSideFor(g_sel.deckSide));
        return 0;
    case CTL_SCALE:
        g_sel.scale = (int)wp;
        SendToDeck(self, MSG_SCALE, (LPARAM)wp);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(self, msg, wp, lp);
}

const char* ArgValue(const char* arg, const char* name) {
    size_t n = std::strlen(name);
    return _strnicmp(arg, name, n) == 0 ? arg + n : nullptr;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int x = 400, y = 400, w = 400, h = 105;
    const char* logPath = std::getenv("PINDARO_LOG");
    for (int i = 1; i < __argc; ++i) {
        const char* a = __argv[i];
        if (const char* v = ArgValue(a, "/LOG="))
            logPath = v;
        else if (const char* v = ArgValue(a, "/AT="))
            std::sscanf(v, "%d,%d", &x, &y);
        else if (const char* v = ArgValue(a, "/SIZE="))
            std::sscanf(v, "%d,%d", &w, &h);
        else if (const char* v = ArgValue(a, "/SCALE="))
            g_sel.scale = std::atoi(v);
    }
    if (logPath) g_sel.log = std::fopen(logPath, "ab");  // plain newlines for the tests
    char line[512];
    std::snprintf(line, sizeof line, "start %s", GetCommandLineA());
    Log(line);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = SelectorProc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszClassName = SELECTOR_CLASS;
    if (!RegisterClassA(&wc)) return 1;
    HWND self = CreateWindowExA(0, SELECTOR_CLASS, SELECTOR_TITLE, WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                                instance, nullptr);
    if (!self) return 1;
    Log("ready");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Log("end");
    if (g_sel.log) std::fclose(g_sel.log);
    return 0;
}
