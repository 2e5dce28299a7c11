// Command dispatch of the main window: face buttons and accelerators arrive as WM_COMMAND and
// end in the deck's operations or in the shell's own actions.
#pragma once
#include <cstdint>

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
void DeleteSelectedEntries();  // 206: the playlist window deletes its selected entries

// The mute button (2014): when the mixer has a mute control, inverts the wave-out line's mute
// and shows what the mixer then holds (off when unreadable). Returns the mute shown.
uint32_t ToggleMute();
// The volume slider (0..255 per channel): written to the wave-out line, read back and shown
// (full volume when unreadable). Nothing without a volume control.
void SetVolumeFromSlider(uint32_t left, uint32_t right);
// Power mode 0 off, 1 on, 2 automatic, written to the device; the next tick reads the device in
// full. 1 when sent; without the device the Close button shows power off. The selector hears
// of it either way.
int SetPowerMode(int mode);
// The sliders' calls into the volume and the deck, registered once the main window exists.
void RegisterSliderHooks(void* (*backBuffer)());

// Native build only: how often each action ran, by command id.
int ShellActionCount(int commandId);
void ResetShellActions();
