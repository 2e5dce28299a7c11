// The deck's main window (Win32 build): its classes, creation with the engine start-up, the
// message handling and the teardown.
#pragma once

// Registers the main window class, then the slider and playlist window classes; on any failure
// unregisters what was registered and returns 0.
int RegisterDeckClasses(void* instance);
void UnregisterDeckClasses(void* instance);

// Creates the main window (which runs the engine start-up in WM_CREATE), the back buffer, sizes
// and draws the face and starts the timer. Returns the window, or null.
void* CreateMainWindow(void* instance);

// Sets the deck timer to the period the deck needs now (100 ms, or slower at rest): run after
// every message, so a key, a drop or a remote command that wakes the deck has its next tick
// within 100 ms.
void KeepDeckTimerPace();

// Stops the timer, hides and destroys the window (running the engine shutdown) and saves the
// layout.
void TearDownMainWindow();

// The slider class: hardware/slider.h. The playlist window's class and closing:
// playlist/playlist_window.h.

// Files and long paths through the shell.
int ShellLongPath(const char* path, char* out, int outBytes);
