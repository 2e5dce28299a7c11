// Entry of Movello.exe: the single-instance test, the hand-off of files to a deck that already
// runs, the main window and the message loop.
#include "app/app_state.h"
#include "app/command_line.h"
#include "app/file_intake.h"
#include "base/window_messages.h"
#include "app/main_window.h"
#include "docking/docking.h"
#include "resources/resource.h"
#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
const char DECK_MUTEX[] = "Vornex_Deck_Controller_Mutex";
const wchar_t DECK_CAPTION[] = L"Quaverly Deck";
const wchar_t CHECK_CAPTION[] = L"CheckDialog";
enum { PATH_BYTES = 260 };

struct EntryState {
    HANDLE mutex;  // held from the first instance's start to its exit
};
EntryState g_entry;

// A deck already runs: restore and raise it, and its open dialog if any.
void RaiseRunningDeck() {
    HWND deck = FindWindowA(DECK_WINDOW_CLASS, nullptr);
    if (!deck) return;
    if (IsIconic(deck)) PostMessageA(deck, WM_SYSCOMMAND, SC_RESTORE, 0);
    SetForegroundWindow(deck);
    HWND popup = GetLastActivePopup(deck);
    if (popup && popup != deck) SetForegroundWindow(popup);
}

// Hands every file argument to the running deck; the exit code is 0 in every case.
int HandOff(int argc, char** argv) {
    HWND deck = FindWindowA(DECK_WINDOW_CLASS, nullptr);
    if (!deck || argc == 0) return 0;
    int sent = 0;
    for (int i = 0; i < argc; ++i) {
        if (IsSkippedArgument(argv[i])) continue;
        COPYDATASTRUCT cds;
        cds.dwData = HandOffTag(sent);
        cds.cbData = (DWORD)strlen(argv[i]) + 1;
        cds.lpData = argv[i];
        SendMessageA(deck, WM_COPYDATA, (WPARAM)deck, (LPARAM)&cds);
        ++sent;
    }
    return 0;
}

void ExitCleanUp(HINSTANCE instance) {
    UnregisterDeckClasses(instance);
    if (g_entry.mutex) CloseHandle(g_entry.mutex);
    g_entry.mutex = nullptr;
}

void ReportFailedStart() {
    wchar_t text[256];
    if (!LoadStringW(GetModuleHandleW(nullptr), STR_FAIL_TO_INITIALIZE, text, 256))
        lstrcpyW(text, L"Fail to initialize.");
    MessageBoxW(nullptr, text, DECK_CAPTION, MB_OK);
    wchar_t number[64];
    swprintf(number, 64, L"Error No%d", (int)App().initErrorNo);
    MessageBoxW(nullptr, number, CHECK_CAPTION, MB_OK);
}

// The files of this start, in their full long form.
int OpenCommandLineFiles(int argc, char** argv) {
    std::vector<std::string> paths;
    for (int i = 0; i < argc; ++i) {
        if (IsSkippedArgument(argv[i])) continue;
        char full[PATH_BYTES];
        if (ShellLongPath(argv[i], full, PATH_BYTES))
            paths.push_back(full);
        else
            paths.push_back(argv[i]);
    }
    std::vector<const char*> list;
    for (const std::string& p : paths) list.push_back(p.c_str());
    return OpenStartFiles(list.data(), (int)list.size());
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    int argc = __argc;
    char** argv = __argv;
    ResetAppValues();
    SetInstanceHandle(instance);
    App().dockingAtStart = FindDockingSwitch(argc, argv);
    CoInitialize(nullptr);

    HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, DECK_MUTEX);
    int registered = 0;
    if (running) {
        RaiseRunningDeck();
        CloseHandle(running);
    } else {
        g_entry.mutex = CreateMutexA(nullptr, FALSE, DECK_MUTEX);
        registered = RegisterDeckClasses(instance);
    }
    if (!registered) {
        int code = HandOff(argc, argv);
        if (g_entry.mutex) CloseHandle(g_entry.mutex);
        return code;
    }

    HWND main = (HWND)CreateMainWindow(instance);
    if (!main) {
        ExitCleanUp(instance);
        return 1;
    }
    if (!App().initOK) {
        ReportFailedStart();
        TearDownMainWindow();
        ExitCleanUp(instance);
        return 1;
    }

    if (App().dockingAtStart)
        DockAtStart();
    else if (!DetectDock())
        SnapToScreen();
    AnnounceDeckPlace();

    OpenCommandLineFiles(argc, argv);

    ShowWindow(main, showCommand == SW_SHOWMAXIMIZED ? SW_SHOW : showCommand);
    UpdateWindow(main);

    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_DECK_ACCELERATORS));
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!accelerators || !TranslateAcceleratorA(main, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        // Any message may have woken or stilled the deck (a command, a handed file). Asking again
        // after the deck timer's own message, which OnTimer has answered, costs a few compares:
        // SetTimer is only called when the period changes.
        KeepDeckTimerPace();
    }
    ExitCleanUp(instance);
    CoUninitialize();
    return (int)msg.wParam;
}
