// Placing the deck on the screen and beside the selector program: docking at start, by
// proximity after a move, snapping to the screen edges, the face drag, and telling the selector
// where the deck is.
#pragma once

int DockAtStart();                                 // started with "/DOCKING": dock beside the selector
int DetectDock();                                  // after the deck was placed; 1 when it docked
void SnapToScreen();                               // pulls the deck onto nearby screen edges
void AnnounceDeckPlace();                          // selector message 1027: the deck's place
void AnnounceDeckWindow();                         // selector messages 1025 (window and face mode) and 1026
void AnswerSelectorMag();                          // selector asked (user message 1026): 1025 with the deck's "Mag"
void AnnounceDeckGoes();                           // the deck is about to close
void RecordSelectorScale(void* from, long scale);  // user message 1025: kept when from the selector
void RecordSelectorSide(int side);                 // the side the selector docked on (user message 1024)

// Face drag with the left mouse button.
void BeginFaceDrag(int x, int y);
void MoveFaceDrag(int x, int y);
void EndFaceDrag();
