// The media control window's length query, as the probe needs it. The Windows build asks an
// MCI window (the Video for Windows window class); the native build reads the length from the
// file itself: WAVE from its "fmt " and "data" chunks, MIDI from its tempo map.
#pragma once
#include <cstdint>

// 1 when the program's media control window exists (its playback windows were created).
int MediaWindowExists();

// Opens path in a media control window, asks for its length in ms and closes it again; 0 when
// the window cannot tell.
uint32_t MediaWindowLength(const char* path);

// Native build only: tests pretend the window has not been created yet.
void SetMediaWindowExistsForTest(int exists);
