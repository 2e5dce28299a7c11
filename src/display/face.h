// The deck's face on the screen: the skin bitmaps, the 800 x 210 back buffer the face is
// composed into, painting the window from it, and the displays the setters redraw.
#pragma once

enum { BACK_BUFFER_W = 800, BACK_BUFFER_H = 210 };

int LoadFaceBitmaps();  // reads the screen depth; 1 when the skin bitmaps load
void FreeFaceBitmaps();
int CreateBackBuffer();  // memory DC and screen-compatible bitmap; 0 when either fails
void FreeBackBuffer();
void* FaceBackBufferDc();  // for the sliders, which draw themselves into it; null before creation
int FaceScale();           // 1 or 2

// The whole face into the back buffer for the current mode and size: background, the normal
// face's pieces and displays, then every button. Re-lays the buttons first.
void ComposeFace();
void PaintFace(void* hdc, int width, int height);  // back buffer to the window, then the ticker
void ShowStateOnFace(int shownState);              // the state the Play and Pause keys show
void DrawStatusLine();                             // the ticker, once (it scrolls by drawing)
void DrawTicker();

// One button image: state 0 normal, 1 pressed, 3 disabled, at (x, y) of the device context.
void DrawButton(int controlId, int state, void* hdc, int x, int y);
void RedrawButton(int controlId);  // on its own window, in state 0, or 3 when disabled
void RedrawFaceButton(int controlId);

// Double-click areas of the face (window coordinates): 1 the badge (web information),
// 2 the time display (version information), 0 elsewhere.
int FaceAreaAt(int x, int y);
