// The main window and instance handles (see shell_handles.h).
#include "base/shell_handles.h"

namespace {
struct ShellHandles {
    void* mainWindow;
    void* instance;
    void* messageOwner;  // the window the boxes speak for; null: the main window
};
ShellHandles g_handles;
}  // namespace

void* MainWindowHandle() { return g_handles.mainWindow; }
void* InstanceHandle() { return g_handles.instance; }
void SetMainWindowHandle(void* window) { g_handles.mainWindow = window; }
void SetInstanceHandle(void* instance) { g_handles.instance = instance; }
void ResetShellHandles() { g_handles = ShellHandles(); }
void* SetMessageOwner(void* window) {
    void* previous = g_handles.messageOwner;
    g_handles.messageOwner = window;
    return previous;
}
void* MessageOwner() { return g_handles.messageOwner; }
