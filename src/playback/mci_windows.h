// The two hidden MCI windows: the playback window that plays WAVE and MIDI tracks, and the
// track-space window that plays the silence files between tracks. Created at engine start-up
// (which also readies the MPEG player library) and closed at shutdown.
#pragma once

// Creates both windows as children of parent; when one fails, the others are closed and the
// result is 0. Also initialises the player library once (PlayerReady).
int CreatePlaybackWindows(void* parent, void* instance);
// Closes both windows and terminates the player library when it was initialised.
void DestroyPlaybackWindows();

void* PlaybackWindow();    // HWND of the playback window, null when not created
void* TrackSpaceWindow();  // HWND of the track-space window
int PlayerReady();         // MpegAudioPlayInit succeeded

// The silence file held open in the track-space window (start-up opens the 44100 Hz one).
int OpenSilenceFile(const char* path);  // 1 when the window opened it
void CloseSilenceFile();

// Tests: make creation or the silence open fail.
void SetPlaybackWindowsFailForTest(int failCreate, int failOpenSilence);
