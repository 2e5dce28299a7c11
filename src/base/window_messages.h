// The private window messages between the deck and the selector program. The numbers are the
// first user-defined message numbers (1024 is the system's WM_USER), so both programs must keep
// them as they are.
#pragma once

// Received by the deck's main window.
enum {
    DECK_MSG_SELECTOR_SIDE = 1024,   // WM_USER: the side the selector docked on (lParam; wParam its window)
    DECK_MSG_SELECTOR_SCALE = 1025,  // WM_USER + 1: the selector's scale (wParam: its window, lParam: scale)
    DECK_MSG_ASK_MAG = 1026,         // WM_USER + 2: the selector asks for the deck's "Mag"
    DECK_MSG_REDRAW_FACE = 1027,     // WM_USER + 3: compose and repaint the face
    DECK_MSG_SNAP_TO_SCREEN = 1028,  // WM_USER + 4: move the window back onto the screen
    DECK_MSG_DEVICE_CHANGED = 1029,  // WM_USER + 5: the device may have changed: a full device read
};

// Sent by the deck to the selector's window.
enum {
    SELECTOR_MSG_WINDOW = 1025,   // the deck's window (wParam) and its face mode or "Mag" (lParam)
    SELECTOR_MSG_ASK_MAG = 1026,  // asks the selector for its scale
    SELECTOR_MSG_PLACE = 1027,    // the deck's place
};
