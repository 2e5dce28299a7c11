// The face setters' one way to the screen: a changed value asks for its element to be redrawn.
// The Win32 face draws it; the native build only counts the requests, so tests see what a
// setter decided to redraw.
#pragma once
#include <cstdint>

enum FaceElement {
    FACE_EL_REPEAT,  // Repeat button
    FACE_EL_FORMAT,  // the four format buttons
    FACE_EL_INPUT,   // IN1 and IN2
    FACE_EL_RATE,    // rate display
    FACE_EL_TICKER,  // ticker text
    FACE_EL_TIME,    // time digits
    FACE_EL_METERS,  // level meters
    FACE_EL_MUTE,    // Mute button
    FACE_EL_CLOSE,   // Close button
    FACE_EL_COUNT
};

void RedrawFaceElement(int element);

#ifndef _WIN32
int FaceRedrawCount(int element);  // requests since the last reset
void ResetFaceRedrawCounts();
#endif
