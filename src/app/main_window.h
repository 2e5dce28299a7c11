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

// Stops the timer, hides and destroys the window (running the engine shutdown) and saves the
// layout.
void TearDownMainWindow();

// The playlist window class, registered with the main one (the slider class is in
// hardware/slider.h).
int RegisterPlaylistClass(void* instance);
void UnregisterPlaylistClass(void* instance);
void ClosePlaylistWindow();

// Files and long paths through the shell.
int ShellLongPath(const char* path, char* out, int outBytes);
