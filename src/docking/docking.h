// Placing the deck on the screen and beside the selector program ("Pindaro.exe", window class
// "Vornex_Selector"): docking at start, the magnet after a move, snapping to the screen edges,
// the face drag, and the messages both ways. The selector is looked up by class every time; when
// it does not run, nothing is sent and docking is cleared or not tried.
#pragma once

// Performs and reports docking: side 0 undocks, 1..4 moves the deck against the selector
// (right of it, below, left, above) and tells the selector the side.
int SetDock(int side);
void Undock();
int DockAtStart();      // started with "/DOCKING": above the selector, or below without room above
int DetectDock();       // the magnet, after the deck was placed; 1 when it docked
void SnapToScreen();    // pulls the deck onto nearby screen edges, then reports the side
void NotifyDockSide();  // tells the selector the side, when docked
// What a drag that starts at (x, y) of the deck's window does: 0 the docked pair moves
// together, 1 the deck is pulled away, 2 the deck is not docked.
int DragHalfTest(int x, int y);
// The Selector button: starts "Pindaro.exe /DOCKING" when no selector runs; otherwise raises it,
// pulls it onto the screen and docks to it when near.
void LaunchOrRaiseSelector();

void AnnounceDeckPlace();           // selector message 1027: the deck was placed
void AnnounceDeckWindow();          // at creation: the deck's size factor (1025) and the question (1026)
void AnswerSelectorMag();           // the selector asked (user message 1026): 1025 with the size factor
void DeckSizeChanged();             // single/double size toggled: undocks and reports the new factor
void AnnounceDeckGoes();            // the deck closes: undocks
void NotifySelectorInputChanged();  // selector message 1029: the input or monitor selection changed

// Messages from the selector; from is the wParam, taken only when it is the selector's window.
void RecordSelectorScale(void* from, long scale);  // user message 1025
void RecordSelectorSide(void* from, int side);     // user message 1024: the side of the deck it docked on

// Face drag with the left mouse button; x and y are the cursor in the deck's window.
void BeginFaceDrag(int x, int y);
void MoveFaceDrag(int x, int y);
void EndFaceDrag();

// State for tests and the face.
int DockSide();  // 0 undocked, 1..4
int IsDocked();
long DockScale();  // the selector's size factor as last reported (1 at start)
int DragMode();    // 2 when no drag runs
int SelectorInputNotices();
void ResetDocking();
