// wintool: looks at and pokes top-level windows for the end-to-end tests.
//   wintool screen                      prints the screen's bits per pixel and dots per inch, and
//                                       the system version as a program sees it: platform major
//                                       minor build (space-separated)
//   wintool find CLASS TITLE            prints the window's handle (hex); exit 1 when none
//   wintool wait CLASS TITLE MS [visible]  waits up to MS for the window (shown, with
//                                       "visible"); exit 1 on timeout
//   wintool count CLASS TITLE           prints how many such windows exist
//   wintool close CLASS                 posts WM_CLOSE to the window
//   wintool iconic CLASS                prints 1 when the window is minimized, else 0
//   wintool enabled CLASS TITLE         prints 1 when the window takes input, 0 when disabled
//   wintool boxes                       lists message boxes: handle, caption, text (tab-separated)
//   wintool press HWND OK|Cancel|Yes|No presses a button of a message box
//   wintool send CLASS MSG WPARAM LPARAM sends a message (numbers, 0x... allowed); prints the result
//   wintool postclass CLASS MSG WPARAM LPARAM [MSG WPARAM LPARAM]...  posts the messages in turn,
//                                       without waiting (for messages that open a modal box); posted
//                                       together they are handled before the window's next timer
//   wintool bounds CLASS                prints the window's screen rectangle: left top right bottom
//   wintool moveto CLASS X Y            moves the window (position only)
//   wintool copydata CLASS DWDATA TEXT  sends WM_COPYDATA with TEXT and its terminating zero
//   wintool windows CLASS [PARENTCLASS] lists the top-level windows of CLASS, or the child windows
//                                       of CLASS inside PARENTCLASS: handle, control id, visible,
//                                       screen rectangle (left top right bottom), extended style,
//                                       title (tab-separated)
//   wintool fakedeck LOGFILE MS         stands in for a running deck for MS: holds the deck's
//                                       mutex and window class, logs each hand-off as
//                                       "dwData<TAB>cbData<TAB>text" and exits on WM_CLOSE
//   wintool child TITLE ID              prints the handle of the shown control ID inside the
//                                       top-level window TITLE (pages of a property sheet share
//                                       ids; only the page in front is shown)
//   wintool post HWND MSG WPARAM LPARAM posts a message (for one that opens a modal window)
//   wintool sendto HWND MSG WPARAM LPARAM sends a message to a handle; prints the result
//   wintool settext HWND TEXT           sets a control's text (UTF-8)
//   wintool gettext HWND                prints a control's text (UTF-8)
//   wintool click HWND                  posts the button's BN_CLICKED to its parent
//   wintool parent HWND                 prints the handle of the window's parent
//   wintool title CLASS                 prints the window's title (UTF-8)
//   wintool rect CLASS                  prints the window's left top width height
//   wintool move CLASS X Y W H          moves and sizes the window
//   wintool sendchild CLASS ID MSG WPARAM LPARAM  sends a message to the window's child ID
//   wintool lvcount CLASS ID            rows of the list view ID in the window
//   wintool lvtext CLASS ID ROW COL     a cell's text (UTF-8 of the program's code page)
//   wintool lvheader CLASS ID COL       a column's header text
//   wintool lvimage CLASS ID ROW        the image index of a row's first cell
//   wintool lvselect CLASS ID ROW       selects row ROW (0-based; -1 clears the selection)
//   wintool lvselected CLASS ID         the selected row, -1 when none
//   wintool cbtext CLASS ID INDEX       item INDEX of the extended combo box ID
//   wintool timed N CLASS MSG WPARAM LPARAM [CLASS MSG WPARAM LPARAM]  sends the message (or
//                                       the pair in turn) N times; prints the mean ms of each
//   wintool copylist CLASS DWDATA PATH...  WM_COPYDATA with the paths, each ending in a zero,
//                                       and a final zero
// "-" as CLASS or TITLE means any.
#include <windows.h>
#include <commctrl.h>
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

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
    Query* q = (Query*)lp;
    char cls[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (!q->cls || std::strcmp(cls, q->cls) == 0) q->found.push_back(hwnd);
    return TRUE;
}

int CmdWindows(const char* cls, const char* parentClass) {
    std::vector<HWND> found;
    if (parentClass) {
        for (HWND parent : FindAll(parentClass, nullptr)) {
            Query q{AnyOr(cls), nullptr, {}};
            EnumChildWindows(parent, CollectChild, (LPARAM)&q);
            found.insert(found.end(), q.found.begin(), q.found.end());
        }
    } else {
        found = FindAll(AnyOr(cls), nullptr);
    }
    for (HWND w : found) {
        RECT r = {};
        GetWindowRect(w, &r);
        wchar_t wide[512] = L"";
        GetWindowTextW(w, wide, 512);
        char title[1024] = "";
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, title, sizeof title, nullptr, nullptr);
        std::printf("%llx\t%d\t%d\t%ld %ld %ld %ld\t%lx\t%s\n", (unsigned long long)(uintptr_t)w, GetDlgCtrlID(w),
                    IsWindowVisible(w) ? 1 : 0, r.left, r.top, r.right, r.bottom,
                    (unsigned long)GetWindowLongA(w, GWL_EXSTYLE), Escape(title).c_str());
    }
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

struct ChildQuery {
    int id;
    HWND found;
};

BOOL CALLBACK FindShownChild(HWND hwnd, LPARAM lp) {
    ChildQuery* q = (ChildQuery*)lp;
    if (GetDlgCtrlID(hwnd) != q->id || !IsWindowVisible(hwnd)) return TRUE;
    q->found = hwnd;
    return FALSE;
}

int CmdChild(const char* title, int id) {
    for (HWND top : FindAll(nullptr, title)) {
        ChildQuery q{id, nullptr};
        EnumChildWindows(top, FindShownChild, (LPARAM)&q);
        if (q.found) {
            std::printf("%llx\n", (unsigned long long)(uintptr_t)q.found);
            return 0;
        }
    }
    return 1;
}

HWND HandleArg(const char* text) { return (HWND)(uintptr_t)std::strtoull(text, nullptr, 16); }

// Sends message, wParam, lParam (three arguments) and prints the result. When the send fails,
// what the system says and how long it took go to stderr: a refusal at once and a window that
// did not answer in time are different faults.
int CmdSend(HWND w, char** a) {
    DWORD_PTR result = 0;
    DWORD start = GetTickCount();
    if (!SendMessageTimeoutA(w, (UINT)std::strtoul(a[0], nullptr, 0), (WPARAM)std::strtoull(a[1], nullptr, 0),
                             (LPARAM)std::strtoll(a[2], nullptr, 0), SMTO_NORMAL, 20000, &result)) {
        DWORD error = GetLastError();
        std::fprintf(stderr, "SendMessageTimeout to %p: error %lu after %lu ms\n", (void*)w, (unsigned long)error,
                     (unsigned long)(GetTickCount() - start));
        return 1;
    }
    std::printf("%lld\n", (long long)(LONG_PTR)result);
    return 0;
}

int CmdSetText(HWND w, const char* utf8) {
    wchar_t wide[1024] = L"";
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024);
    DWORD_PTR result = 0;
    return IsWindow(w) && SendMessageTimeoutW(w, WM_SETTEXT, 0, (LPARAM)wide, SMTO_NORMAL, 20000, &result) ? 0 : 1;
}

int CmdGetText(HWND w) {
    wchar_t wide[1024] = L"";
    DWORD_PTR result = 0;
    if (!IsWindow(w) || !SendMessageTimeoutW(w, WM_GETTEXT, 1024, (LPARAM)wide, SMTO_NORMAL, 20000, &result)) return 1;
    char utf8[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", Escape(utf8).c_str());
    return 0;
}

int CmdClick(HWND w) {
    if (!IsWindow(w)) return 1;
    return PostMessageA(GetParent(w), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w), BN_CLICKED), (LPARAM)w) ? 0 : 1;
}

// A block of memory in the process that owns a window, for the list and combo messages whose
// records hold pointers: the records are written there and read back.
struct RemoteBlock {
    HANDLE process = nullptr;
    char* base = nullptr;
    explicit RemoteBlock(HWND owner, size_t bytes) {
        DWORD pid = 0;
        GetWindowThreadProcessId(owner, &pid);
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process) base = (char*)VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (base) VirtualFreeEx(process, base, 0, MEM_RELEASE);
        if (process) CloseHandle(process);
    }
    bool Write(size_t offset, const void* data, size_t bytes) {
        return WriteProcessMemory(process, base + offset, data, bytes, nullptr) != 0;
    }
    bool Read(size_t offset, void* data, size_t bytes) {
        return ReadProcessMemory(process, base + offset, data, bytes, nullptr) != 0;
    }
};
enum { REMOTE_TEXT = 1024, REMOTE_BYTES = 4096 };

HWND ChildOf(const char* cls, const char* id) {
    HWND w = FindWindowA(AnyOr(cls), nullptr);
    return w ? GetDlgItem(w, (int)std::strtol(id, nullptr, 0)) : nullptr;
}

// ANSI text of the program's code page, printed as UTF-8.
void PrintAnsi(const char* text) {
    wchar_t wide[REMOTE_TEXT] = L"";
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, REMOTE_TEXT);
    char utf8[REMOTE_TEXT * 3] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s\n", utf8);
}

int CmdListText(HWND list, int row, int column, int header) {
    if (!list) return 1;
    RemoteBlock r(list, REMOTE_BYTES);
    if (!r.base) return 1;
    char* remoteText = r.base + REMOTE_TEXT;
    LRESULT ok;
    if (header) {
        LVCOLUMNA c = {};
        c.mask = LVCF_TEXT;
        c.pszText = remoteText;
        c.cchTextMax = REMOTE_TEXT;
        r.Write(0, &c, sizeof c);
        ok = SendMessageA(list, LVM_GETCOLUMNA, (WPARAM)column, (LPARAM)r.base);
    } else {
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = remoteText;
        item.cchTextMax = REMOTE_TEXT;
        r.Write(0, &item, sizeof item);
        ok = SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)r.base) >= 0;
    }
    if (!ok) return 1;
    char text[REMOTE_TEXT] = "";
    r.Read(REMOTE_TEXT, text, sizeof text - 1);
    PrintAnsi(text);
    return 0;
}

int CmdListImage(HWND list, int row) {
    if (!list) return 1;
    RemoteBlock r(list, REMOTE_BYTES);
    if (!r.base) return 1;
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    r.Write(0, &item, sizeof item);
    if (!SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)r.base)) return 1;
    r.Read(0, &item, sizeof item);
    std::printf("%d\n", item.iImage);
    return 0;
}

int CmdListSelect(HWND list, int row) {
    if (!list) return 1;
    RemoteBlock r(list, REMOTE_BYTES);
    if (!r.base) return 1;
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    r.Write(0, &item, sizeof item);
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)r.base);
    if (row < 0) return 0;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    r.Write(0, &item, sizeof item);
    return SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)r.base) ? 0 : 1;
}

int CmdComboText(HWND box, int index) {
    if (!box) return 1;
    RemoteBlock r(box, REMOTE_BYTES);
    if (!r.base) return 1;
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT;
    item.iItem = index;
    item.pszText = r.base + REMOTE_TEXT;
    item.cchTextMax = REMOTE_TEXT;
    r.Write(0, &item, sizeof item);
    if (!SendMessageA(box, CBEM_GETITEMA, 0, (LPARAM)r.base)) return 1;
    char text[REMOTE_TEXT] = "";
    r.Read(REMOTE_TEXT, text, sizeof text - 1);
    PrintAnsi(text);
    return 0;
}

int CmdCopyList(const char* cls, const char* tag, int count, char** paths) {
    HWND w = FindWindowA(cls, nullptr);
    if (!w) return 1;
    std::string batch;
    for (int i = 0; i < count; ++i) batch.append(paths[i]).push_back(0);
    batch.push_back(0);
    COPYDATASTRUCT cds;
    cds.dwData = std::strtoul(tag, nullptr, 0);
    cds.cbData = (DWORD)batch.size();
    cds.lpData = (void*)batch.data();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(w, WM_COPYDATA, 0, (LPARAM)&cds, SMTO_NORMAL, 20000, &result)) return 1;
    std::printf("%lld\n", (long long)(LONG_PTR)result);
    return 0;
}

// Sends one message or a pair of messages in turn, `rounds` times, and prints how long each
// took on average: the receiver handles a sent message before the call returns.
int CmdTimed(int rounds, int argc, char** argv) {
    int kinds = argc >= 8 ? 2 : 1;
    double total[2] = {0, 0};
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    for (int r = 0; r < rounds; ++r) {
        for (int k = 0; k < kinds; ++k) {
            char** a = argv + 4 * k;
            HWND w = FindWindowA(AnyOr(a[0]), nullptr);
            if (!w) return 1;
            DWORD_PTR result = 0;
            QueryPerformanceCounter(&t0);
            SendMessageTimeoutA(w, (UINT)std::strtoul(a[1], nullptr, 0), (WPARAM)std::strtoull(a[2], nullptr, 0),
                                (LPARAM)std::strtoll(a[3], nullptr, 0), SMTO_NORMAL, 20000, &result);
            QueryPerformanceCounter(&t1);
            total[k] += (double)(t1.QuadPart - t0.QuadPart) * 1000.0 / (double)freq.QuadPart;
        }
    }
    for (int k = 0; k < kinds; ++k) std::printf(k ? " %.3f" : "%.3f", total[k] / rounds);
    std::printf("\n");
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
int CmdScreen() {
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL), dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    OSVERSIONINFOA v = {};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&v);
#pragma GCC diagnostic pop
    std::printf("%d %d %lu %lu %lu %lu\n", bits, dpi, v.dwPlatformId, v.dwMajorVersion, v.dwMinorVersion,
                v.dwBuildNumber & 0xFFFF);
    return 0;
}
int Run(int argc, char** argv) {
    if (argc >= 2 && !std::strcmp(argv[1], "screen")) return CmdScreen();
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
    if (argc >= 4 && !std::strcmp(argv[1], "enabled")) {
        std::vector<HWND> found = FindAll(AnyOr(argv[2]), AnyOr(argv[3]));
        if (found.empty()) return 1;
        std::printf("%d\n", IsWindowEnabled(found[0]) ? 1 : 0);
        return 0;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "boxes")) return CmdBoxes();
    if (argc >= 4 && !std::strcmp(argv[1], "press")) return CmdPress(argv[2], argv[3]);
    if (argc >= 6 && !std::strcmp(argv[1], "send")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        return w ? CmdSend(w, argv + 3) : 1;
    }
    if (argc >= 4 && !std::strcmp(argv[1], "child")) return CmdChild(argv[2], std::atoi(argv[3]));
    if (argc >= 6 && !std::strcmp(argv[1], "post"))
        return PostMessageA(HandleArg(argv[2]), (UINT)std::strtoul(argv[3], nullptr, 0),
                            (WPARAM)std::strtoull(argv[4], nullptr, 0), (LPARAM)std::strtoll(argv[5], nullptr, 0))
                   ? 0
                   : 1;
    if (argc >= 6 && !std::strcmp(argv[1], "sendto")) {
        return CmdSend(HandleArg(argv[2]), argv + 3);
    }
    if (argc >= 4 && !std::strcmp(argv[1], "settext")) return CmdSetText(HandleArg(argv[2]), argv[3]);
    if (argc >= 3 && !std::strcmp(argv[1], "gettext")) return CmdGetText(HandleArg(argv[2]));
    if (argc >= 3 && !std::strcmp(argv[1], "click")) return CmdClick(HandleArg(argv[2]));
    if (argc >= 3 && !std::strcmp(argv[1], "parent")) {
        HWND parent = GetParent(HandleArg(argv[2]));
        if (!parent) return 1;
        std::printf("%llx\n", (unsigned long long)(uintptr_t)parent);
        return 0;
    }
    if (argc >= 6 && !std::strcmp(argv[1], "postclass")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        if (!w) return 1;
        for (int i = 3; i + 2 < argc; i += 3)
            if (!PostMessageA(w, (UINT)std::strtoul(argv[i], nullptr, 0), (WPARAM)std::strtoull(argv[i + 1], nullptr, 0),
                              (LPARAM)std::strtoll(argv[i + 2], nullptr, 0)))
                return 1;
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "bounds")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        RECT r;
        if (!w || !GetWindowRect(w, &r)) return 1;
        std::printf("%ld %ld %ld %ld\n", (long)r.left, (long)r.top, (long)r.right, (long)r.bottom);
        return 0;
    }
    if (argc >= 5 && !std::strcmp(argv[1], "moveto")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        return w && SetWindowPos(w, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (argc >= 5 && !std::strcmp(argv[1], "copydata")) return CmdCopyData(argv[2], argv[3], argv[4]);
    if (argc >= 3 && !std::strcmp(argv[1], "windows")) return CmdWindows(argv[2], argc >= 4 ? argv[3] : nullptr);
    if (argc >= 4 && !std::strcmp(argv[1], "fakedeck")) return CmdFakeDeck(argv[2], std::atoi(argv[3]));
    if (argc >= 3 && !std::strcmp(argv[1], "title")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        if (!w) return 1;
        wchar_t wide[1024] = L"";
        GetWindowTextW(w, wide, 1024);
        char utf8[3072] = "";
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
        std::printf("%s\n", utf8);
        return 0;
    }
    if (argc >= 3 && !std::strcmp(argv[1], "rect")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        RECT r;
        if (!w || !GetWindowRect(w, &r)) return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (argc >= 7 && !std::strcmp(argv[1], "move")) {
        HWND w = FindWindowA(AnyOr(argv[2]), nullptr);
        return w && SetWindowPos(w, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                                 std::atoi(argv[6]), SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (argc >= 7 && !std::strcmp(argv[1], "sendchild")) {
        HWND c = ChildOf(argv[2], argv[3]);
        return c ? CmdSend(c, argv + 4) : 1;
    }
    if (argc >= 4 && !std::strcmp(argv[1], "lvcount")) {
        HWND list = ChildOf(argv[2], argv[3]);
        if (!list) return 1;
        std::printf("%d\n", (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        return 0;
    }
    if (argc >= 6 && !std::strcmp(argv[1], "lvtext"))
        return CmdListText(ChildOf(argv[2], argv[3]), std::atoi(argv[4]), std::atoi(argv[5]), 0);
    if (argc >= 5 && !std::strcmp(argv[1], "lvheader"))
        return CmdListText(ChildOf(argv[2], argv[3]), 0, std::atoi(argv[4]), 1);
    if (argc >= 5 && !std::strcmp(argv[1], "lvimage"))
        return CmdListImage(ChildOf(argv[2], argv[3]), std::atoi(argv[4]));
    if (argc >= 5 && !std::strcmp(argv[1], "lvselect"))
        return CmdListSelect(ChildOf(argv[2], argv[3]), std::atoi(argv[4]));
    if (argc >= 4 && !std::strcmp(argv[1], "lvselected")) {
        HWND list = ChildOf(argv[2], argv[3]);
        if (!list) return 1;
        std::printf("%d\n", (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
        return 0;
    }
    if (argc >= 5 && !std::strcmp(argv[1], "cbtext"))
        return CmdComboText(ChildOf(argv[2], argv[3]), std::atoi(argv[4]));
    if (argc >= 7 && !std::strcmp(argv[1], "timed")) return CmdTimed(std::atoi(argv[2]), argc - 3, argv + 3);
    if (argc >= 5 && !std::strcmp(argv[1], "copylist")) return CmdCopyList(argv[2], argv[3], argc - 4, argv + 4);
    std::fprintf(stderr,
                 "usage: wintool find|wait|count|close|boxes|press|send|copydata|fakedeck|title|rect|move|"
                 "child|post|sendto|settext|gettext|click|parent|postclass|bounds|moveto|sendchild|lvcount|lvtext|lvheader|lvimage|lvselect|lvselected|cbtext|timed|copylist ...\n");
    return 2;
}
}  // namespace

// Every failure of the tool exits with 2. Wine itself, now and then, ends a program with 1 before
// it has run (nothing printed): the rig tells that apart and starts the tool again.
int main(int argc, char** argv) {
    const int TOOL_FAILED = 2;
    return Run(argc, argv) == 0 ? 0 : TOOL_FAILED;
}
