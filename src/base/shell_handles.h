// The program's main window and instance handles. The shell sets them; any module that owns a
// window or shows a box reads them here, so no lower module has to reach up into the shell.
#pragma once

void* MainWindowHandle();  // HWND of the deck's main window, null before creation and after destroy
void* InstanceHandle();    // HINSTANCE of the program
void SetMainWindowHandle(void* window);
void SetInstanceHandle(void* instance);
void ResetShellHandles();

// The window the deck's boxes speak for while another window than the main one is in use (the
// playlist window, the Edit sheet); null: the main window. A box is owned by it, brings it to the
// front and keeps it disabled while it is up, so the window can neither hide its own question
// nor start again the operation that asked. Returns the owner before, to be handed back.
void* SetMessageOwner(void* window);
void* MessageOwner();

// Sets the message owner for one scope and hands the previous one back at its end.
struct MessageOwnerScope {
    explicit MessageOwnerScope(void* window) : previous(SetMessageOwner(window)) {}
    ~MessageOwnerScope() { SetMessageOwner(previous); }
    MessageOwnerScope(const MessageOwnerScope&) = delete;
    MessageOwnerScope& operator=(const MessageOwnerScope&) = delete;
    void* previous;
};
