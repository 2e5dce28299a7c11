// The deck's pop-up menu (right click on the face): which items are checked or grayed, and what
// a chosen item does. Most items set a setting; a few open dialogs or the web page.
#pragma once
#include <cstdint>

// Check and gray state of a menu item for the current settings and shown state.
void MenuItemState(int id, int32_t shownState, int* checkedOut, int* grayedOut);

// Runs a chosen item (40001..40069); other ids do nothing. Returns 1 when the id was an item.
int RunMenuItem(int id);

// Bitrate of MPEG layer index 0..2 (layers 1..3): stores it, and when the record format is that
// layer and a record file is prepared, prepares a new one. Equal rates change nothing.
void SetBitrate(int layer, uint32_t rateKbps);

// Menu items and the ids the bitrate commands take.
struct BitrateItem {
    int id;
    int layer;      // 0..2
    uint32_t rate;  // kbit/s
};
const BitrateItem* FindBitrateItem(int id);

// Platform actions of some items (Win32 in deck_menu_win32.cpp, counted natively).
void ApplyFaceSize();  // after "Mag" changed: resize, redraw, announce to the selector
void ApplyTopmost();   // after "Top" changed
void OpenMakerPage();  // the maker's web page (string 34) with the shell's "open" verb
void ShowAboutBox();
void ShowDeckMenu(int x, int y);  // the pop-up menu at a screen point (Win32 build)
