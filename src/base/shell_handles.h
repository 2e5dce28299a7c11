// The program's main window and instance handles. The shell sets them; any module that owns a
// window or shows a box reads them here, so no lower module has to reach up into the shell.
#pragma once

void* MainWindowHandle();  // HWND of the deck's main window, null before creation and after destroy
void* InstanceHandle();    // HINSTANCE of the program
void SetMainWindowHandle(void* window);
void SetInstanceHandle(void* instance);
void ResetShellHandles();
