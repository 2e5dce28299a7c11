// The deck's face: its bitmaps, the 800 x 210 back buffer the face is composed into, and
// painting the window from it. Drawing reads the values the face setters keep.
#pragma once

enum { BACK_BUFFER_W = 800, BACK_BUFFER_H = 210 };

int LoadFaceBitmaps();  // 1 when the face's bitmaps are loaded
void FreeFaceBitmaps();
int CreateBackBuffer();  // memory DC and screen-compatible bitmap; 0 when either fails
void FreeBackBuffer();

void ComposeFace();                                // the whole face into the back buffer
void PaintFace(void* hdc, int width, int height);  // back buffer to the window, then the status text
void ShowStateOnFace(int shownState);              // the face elements that follow ShownState
void DrawStatusLine();                             // the status line, drawn on the window at once
void RedrawFaceButton(int controlId);              // one face button
void* FaceBackBuffer();                            // the back buffer's memory DC, null without one

// Double-click areas of the face (window coordinates): 1 the deck's name (web information),
// 2 the time display (version information), 0 elsewhere.
int FaceAreaAt(int x, int y);
