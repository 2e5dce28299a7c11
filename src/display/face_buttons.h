// The face's 23 owner-drawn buttons (Win32): creation with their tooltips, layout per mode and
// size, the owner-draw handler, and the press and release of the search keys.
#pragma once

int CreateFaceButtons();  // the tooltip control and the buttons; 1 when all were made
void DestroyFaceButtons();  // the sliders (their tips are in the tooltip control), then the buttons and the tooltip control
void LayoutFaceButtons();                   // places, shows or hides every button for the mode and size
void OnFaceDrawItem(const void* drawItem);  // WM_DRAWITEM of the main window
void UpdatePlayTooltip(int shownState);
void* FaceToolTip();  // the tooltip control, which the sliders share; null before creation

// Rewind and fast forward search while held: the press and the release are handed to this hook
// (id, 1 pressed / 0 released), which the application registers.
typedef int (*SearchButtonHook)(int id, int pressed);
void SetSearchButtonHook(SearchButtonHook hook);
