// Command dispatch of the main window: face buttons and accelerators arrive as WM_COMMAND and
// end in the deck's operations or in the shell's own actions.
#pragma once

// Runs command id; ids without an action are ignored. Returns 1 when the id was known.
int DispatchCommand(int id, long lParam);
// Rewind (2019) and fast forward (2020) search while held: pressed 1 starts the search, 0 ends
// it. Returns 1 for those two ids, 0 for any other (ignored).
int DispatchSearchButton(int id, int pressed);

// The shell's platform actions behind some commands (Win32 in commands_win32.cpp; the native
// build counts the calls for tests).
void PostCloseRequest();  // 2001: WM_CLOSE to the main window, which decides
void MinimizeDeck();      // 2004
void ToggleFaceMode();    // 2005: "Mode" 0 <-> 1, resize, dock or snap, announce
void LaunchSelector();    // 2003: start "Pindaro.exe /DOCKING" or raise the running one
void RepaintFace();
void ToggleMute();             // 2014
void DeleteSelectedEntries();  // 206

// Native build only: how often each action ran, by command id.
int ShellActionCount(int commandId);
void ResetShellActions();
