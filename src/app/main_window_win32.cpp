// The main window: class registration, creation (engine start-up in WM_CREATE), one handler per
// message, the 100 ms timer and the teardown. Decisions live in window_rules and tick_wrapper.
#include "app/main_window.h"
#include "app/app_state.h"
#include "base/window_messages.h"
#include "base/clock.h"
#include "app/commands.h"
#include "app/deck_menu.h"
#include "app/engine.h"
#include "app/file_intake.h"
#include "app/remote_commands.h"
#include "base/message_box.h"
#include "app/tick_wrapper.h"
#include "app/window_rules.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "display/face.h"
#include "display/face_buttons.h"
#include "display/face_setters.h"
#include "docking/docking.h"
#include "docking/selector_link.h"
#include "hardware/mixer.h"
#include "hardware/slider.h"
#include "playlist/playlist_files.h"
#include "playlist/playlist_window.h"
#include "resources/resource.h"
#include "settings/settings.h"
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

static_assert(DECK_MSG_SELECTOR_SIDE == WM_USER, "the private messages start at the first user message");

namespace {
const char MAIN_TITLE[] = "Quaverly Deck";
const char MAIN_MENU_NAME[] = "Quaverly Deck";  // no such menu resource: the window has no menu bar
const DWORD MAIN_EX_STYLE = WS_EX_ACCEPTFILES;
const DWORD MAIN_STYLE = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
enum { PATH_BYTES = 260, PLAY_BUTTON = CMD_PLAY, PAUSE_BUTTON = CMD_PAUSE };

HWND Main() { return (HWND)MainWindowHandle(); }

// Whether the main window is the active window, as WM_ACTIVATE last said: the tick looks at it
// ten times a second, and GetActiveWindow is a Wine server round trip each time.
int g_mainActive;
int g_timerPeriod;  // the deck timer's period as set, ms (0: not running)

// --- messages ---------------------------------------------------------------------------------

LRESULT OnCreate(HWND hwnd) {
    SetMainWindowHandle(hwnd);
    App().initOK = EngineStartup(1, InstanceHandle(), hwnd) > 0;
    return 0;
}

LRESULT OnDestroy() {
    EngineShutdown();
    PostQuitMessage(0);
    return 0;
}

LRESULT OnSize() {
    if (App().restoredFlag) {
        if (!DetectDock()) SnapToScreen();
        AnnounceDeckPlace();
        App().restoredFlag = 0;
    }
    return 0;
}

LRESULT OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetWindowRect(hwnd, &r);
    PaintFace(dc, r.right - r.left, r.bottom - r.top);
    EndPaint(hwnd, &ps);
    return 0;
}

// Recording refuses with its message; otherwise the playlist may still want to save first.
int MayClose(int endingSession) {
    int refusal = CloseRefusalNow(endingSession);
    if (refusal) {
        ShowDeckMessage(refusal, nullptr, JOIN_NONE, MSGBOX_OK);
        return 0;
    }
    return PlaylistMayClose();
}

LRESULT OnClose() {
    if (!MayClose(0)) return -1;
    TearDownMainWindow();
    return 0;
}

LRESULT OnQueryEndSession() {
    if (!MayClose(1)) return 0;
    TearDownMainWindow();
    return 1;
}

LRESULT OnCopyData(WPARAM wp, const COPYDATASTRUCT* cds) {
    if (!cds || !cds->lpData || cds->cbData == 0) return 0;
    // qdctl's requests carry their own tag; files from a second start carry 1 or 0 as before.
    if (cds->dwData == REMOTE_REQUEST_TAG) return OnRemoteRequest((void*)wp, cds->lpData, cds->cbData);
    char received[PATH_BYTES];
    CopyHandedPath(cds->lpData, cds->cbData, received, PATH_BYTES);
    char shortForm[PATH_BYTES] = "";
    GetShortPathNameA(received, shortForm, PATH_BYTES);
    char path[PATH_BYTES];
    if (ReceivedPathNeedsLongForm(received, shortForm) && ShellLongPath(received, path, PATH_BYTES))
        TakeHandedFile(path, (unsigned long)cds->dwData);
    else
        TakeHandedFile(received, (unsigned long)cds->dwData);
    return 0;
}

// Menus (0), accelerators (1) and button clicks (BN_CLICKED is 0) run commands; the search
// keys report their press and release through the face's hook.
LRESULT OnCommand(WPARAM wp, LPARAM lp) {
    int code = HIWORD(wp);
    if (code == 0 || code == 1) DispatchCommand(LOWORD(wp), (long)lp);
    return 0;
}

void RunOneTick() {
    HWND main = Main();
    int rebuilding = PlaylistRebuilding();  // a list being rebuilt suppresses the whole tick
    if (!rebuilding && !g_mainActive && GetTopWindow(nullptr) == main)
        SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TickOutcome t = RunTickWrapper(rebuilding);
    if (t.stateChanged) {
        ShowStateOnFace(App().shownState);
        UpdatePlayTooltip(App().shownState);
        DrawStatusLine();
        RedrawFaceButton(PLAY_BUTTON);
        RedrawFaceButton(PAUSE_BUTTON);
    }
    if (t.redrawStatus) DrawStatusLine();
}

LRESULT OnTimer() {
    int due = DeckTicksDue(TickCount(), g_timerPeriod);
    // The ticks a rest period owes run while the deck stays at rest: one that wakes it (a timer
    // slot starting a recording) leaves the rest to the 100 ms timer.
    for (int i = 0; i < due && (i == 0 || DeckAtRest()); ++i) RunOneTick();
    KeepDeckTimerPace();
    return 0;
}

LRESULT OnDoubleClick(int x, int y) {
    switch (FaceAreaAt(x, y)) {
    case 1: RunMenuItem(MENU_WEB_INFORMATION); break;
    case 2: RunMenuItem(MENU_VERSION_INFORMATION); break;
    }
    return 0;
}

LRESULT OnPowerBroadcast(WPARAM wp) {
    int stop = 0;
    LRESULT answer = PowerEventAnswer((uint32_t)wp, CurrentShownState(), &stop);
    if (stop) StopKey();
    return answer;
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: return OnCreate(hwnd);
    case WM_DESTROY: return OnDestroy();
    case WM_SIZE: return OnSize();
    case WM_PAINT: return OnPaint(hwnd);
    case WM_CLOSE: return OnClose();
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_ERASEBKGND: return 1;
    case WM_ENDSESSION: return 0;
    case WM_DRAWITEM: OnFaceDrawItem((const void*)lp); return 0;
    case WM_COPYDATA: return OnCopyData(wp, (const COPYDATASTRUCT*)lp);
    case WM_CONTEXTMENU: ShowDeckMenu((short)LOWORD(lp), (short)HIWORD(lp)); return 0;
    case WM_DISPLAYCHANGE: return 0;
    case WM_COMMAND: return OnCommand(wp, lp);
    case WM_ACTIVATE:
        g_mainActive = LOWORD(wp) != WA_INACTIVE;
        break;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_RESTORE) App().restoredFlag = 1;
        break;
    case WM_TIMER: return OnTimer();
    case WM_MOUSEMOVE: MoveFaceDrag((short)LOWORD(lp), (short)HIWORD(lp)); return 0;
    case WM_LBUTTONDOWN: BeginFaceDrag((short)LOWORD(lp), (short)HIWORD(lp)); return 0;
    case WM_LBUTTONUP: EndFaceDrag(); return 0;
    case WM_LBUTTONDBLCLK: return OnDoubleClick((short)LOWORD(lp), (short)HIWORD(lp));
    case WM_POWERBROADCAST: return OnPowerBroadcast(wp);
    case WM_DROPFILES: OnDropFiles((void*)wp); return 0;
    case DECK_MSG_SELECTOR_SIDE: RecordSelectorSide((void*)wp, (int)lp); return 0;  // wParam: the selector's window
    case DECK_MSG_SELECTOR_SCALE: RecordSelectorScale((void*)wp, (long)lp); return 0;
    case DECK_MSG_ASK_MAG: AnswerSelectorMag(); return 0;
    case DECK_MSG_REDRAW_FACE:
        ComposeFace();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case DECK_MSG_SNAP_TO_SCREEN: SnapToScreen(); return 0;
    case DECK_MSG_DEVICE_CHANGED: RequestDeviceRead(); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Face values shown right after creation.
void RefreshFaceValues() {
    if (MixerReady()) {
        MixerAvail().muteAvail = MixerAvail().volumeAvail = MixerAvail().meterAvail = 1;
        ShowMixerOnFace();
    }
    SetPositionBar(0);
    ShowRepeatMode(Settings().repeat);
    ShowInputSelect(Settings().recordInput);
    ShowRecordFormat((uint32_t)Deck().trackFormat, 0);
    Deck().trackRate = 44100;
    ShowRate(44100, 0);
    ShowTrackInfo(Deck().currentTrack);
    SetTickerMode(TICKER_CENTRED);
    ShowTickerText(MAIN_TITLE);
    SetSelectorTransportMode(1);
}
}  // namespace

int RegisterDeckClasses(void* instance) {
    HINSTANCE inst = (HINSTANCE)instance;
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_DECK));
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAIN_MENU_NAME;
    wc.lpszClassName = DECK_WINDOW_CLASS;
    if (!RegisterClassA(&wc)) return 0;
    if (!RegisterSliderClass(instance)) {
        UnregisterClassA(DECK_WINDOW_CLASS, inst);
        return 0;
    }
    if (!RegisterPlaylistClass(instance)) {
        UnregisterSliderClass(instance);
        UnregisterClassA(DECK_WINDOW_CLASS, inst);
        return 0;
    }
    return 1;
}

void UnregisterDeckClasses(void* instance) {
    UnregisterPlaylistClass(instance);
    UnregisterSliderClass(instance);
    UnregisterClassA(DECK_WINDOW_CLASS, (HINSTANCE)instance);
}

void* CreateMainWindow(void* instance) {
    SetInstanceHandle(instance);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    icc.dwICC = ICC_USEREX_CLASSES;
    InitCommonControlsEx(&icc);

    LoadLayout();
    HDC screen = GetDC(nullptr);
    App().screenDepth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);

    RecomputeWindowSize();  // "Xs"/"Ys" follow the face mode and size
    int width = Layout().xs, height = Layout().ys;
    int left = Layout().xo, top = Layout().yo;
    ClampWindowPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height, &left, &top);

    HWND hwnd = CreateWindowExA(MAIN_EX_STYLE, DECK_WINDOW_CLASS, MAIN_TITLE, MAIN_STYLE, left, top, width, height, nullptr,
                                nullptr, (HINSTANCE)instance, nullptr);
    if (!hwnd) return nullptr;
    if (!LoadFaceBitmaps() || !CreateBackBuffer()) {
        TearDownMainWindow();
        return nullptr;
    }
    SetSearchButtonHook(DispatchSearchButton);
    CreateFaceButtons();
    SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RegisterSliderHooks(FaceBackBufferDc);
    CreateSliders(hwnd, FaceToolTip());  // the sliders share the face buttons' tooltip control
    if (App().initOK) RefreshFaceValues();
    ComposeFace();
    AnnounceDeckWindow();
    if (SetTimer(hwnd, DECK_TIMER_ID, DECK_TIMER_MS, nullptr)) g_timerPeriod = DECK_TIMER_MS;
    return hwnd;
}

void KeepDeckTimerPace() {
    HWND main = Main();
    if (!main || !g_timerPeriod) return;
    int period = DeckTimerPeriodMs();
    if (period != g_timerPeriod && SetTimer(main, DECK_TIMER_ID, (UINT)period, nullptr)) g_timerPeriod = period;
}

void TearDownMainWindow() {
    HWND hwnd = Main();
    if (!hwnd) return;
    AnnounceDeckGoes();
    KillTimer(hwnd, DECK_TIMER_ID);
    g_timerPeriod = 0;
    CloseListWindow();  // keeps its column widths for SaveLayout below
    RECT r;
    GetWindowRect(hwnd, &r);
    Layout().xo = r.left;
    Layout().yo = r.top;
    ShowWindow(hwnd, SW_HIDE);
    DestroyFaceButtons();  // the sliders first, then the buttons and their tooltip control
    FreeFaceBitmaps();
    FreeBackBuffer();
    DestroyWindow(hwnd);
    SetMainWindowHandle(nullptr);
    SaveLayout();
}

int ShellLongPath(const char* path, char* out, int outBytes) {
    // A path too long for the buffer fails the conversion and leaves it unterminated.
    WCHAR wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH)) return 0;
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop))) return 0;
    LPITEMIDLIST pidl = nullptr;
    int ok = 0;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, &pidl, nullptr))) {
        char full[MAX_PATH];
        if (SHGetPathFromIDListA(pidl, full)) {
            lstrcpynA(out, full, outBytes);
            ok = 1;
        }
        CoTaskMemFree(pidl);
    }
    desktop->Release();
    return ok;
}
