// The private window messages between the deck and the selector program. The numbers are the
// first user-defined message numbers (1024 is the system's WM_USER), so both programs must keep
// them as they are.
#pragma once

// The main window's class: the selector, a second start and the remote control find the deck by it.
const char DECK_WINDOW_CLASS[] = "Vornex_Deck_Controller";

// Received by the deck's main window.
enum {
    DECK_MSG_SELECTOR_SIDE = 1024,   // WM_USER: the side the selector docked on (lParam; wParam its window)
    DECK_MSG_SELECTOR_SCALE = 1025,  // WM_USER + 1: the selector's scale (wParam: its window, lParam: scale)
    DECK_MSG_ASK_MAG = 1026,         // WM_USER + 2: the selector asks for the deck's "Mag"
    DECK_MSG_REDRAW_FACE = 1027,     // WM_USER + 3: compose and repaint the face
    DECK_MSG_SNAP_TO_SCREEN = 1028,  // WM_USER + 4: move the window back onto the screen
    DECK_MSG_DEVICE_CHANGED = 1029,  // WM_USER + 5: the device may have changed: a full device read
};

// Sent by the deck to the selector's window, always with the deck's window as wParam.
enum {
    SELECTOR_MSG_DOCK_SIDE = 1024,      // the deck's dockSide (0 undocked, 1 right of it, 2 below, 3 left, 4 above)
    SELECTOR_MSG_SCALE = 1025,          // the deck's size factor ("Mag", 1 or 2)
    SELECTOR_MSG_ASK_SCALE = 1026,      // asks the selector for its size factor
    SELECTOR_MSG_PLACE = 1027,          // the deck was placed
    SELECTOR_MSG_PAIR_MOVED = 1028,     // a drag that moved the docked pair together ended
    SELECTOR_MSG_INPUT_CHANGED = 1029,  // the input or monitor selection changed on the deck
};
