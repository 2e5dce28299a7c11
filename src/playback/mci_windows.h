// The two hidden MCI windows: the playback window that plays WAVE and MIDI tracks, and the
// track-space window that plays the silence files between tracks. Created at engine start-up
// (which also readies the MPEG player library) and closed at shutdown. Playback control sends
// them its commands through the calls below; the Win32 build talks to the MCIWnd class, the
// native build keeps a scripted stand-in that tests read and steer.
#pragma once
#include <cstdint>

enum { MCI_PLAYBACK_WINDOW = 0, MCI_TRACK_SPACE_WINDOW = 1, MCI_WINDOW_COUNT = 2 };

// MCI commands and modes as the MCI windows use them.
enum {
    MCI_COMMAND_CLOSE = 2052,  // MCI_CLOSE
    MCI_COMMAND_PLAY = 2054,   // MCI_PLAY
    MCI_COMMAND_SEEK = 2055,   // MCI_SEEK: position in ms, -1 start, -2 end
    MCI_COMMAND_STOP = 2056,   // MCI_STOP
    MCI_MODE_VALUE_NOT_READY = 524,
    MCI_MODE_VALUE_STOP = 525,
    MCI_MODE_VALUE_PLAY = 526,
    MCI_MODE_VALUE_RECORD = 527,
    MCI_MODE_VALUE_SEEK = 528,
    MCI_MODE_VALUE_PAUSE = 529,
    MCI_MODE_VALUE_OPEN = 530,
};

// Creates both windows as children of parent; when one fails, the others are closed and the
// result is 0. Also initialises the player library once (PlayerReady).
int CreatePlaybackWindows(void* parent, void* instance);
// Closes both windows (playback control closes its track first) and terminates the player
// library when it was initialised.
void DestroyPlaybackWindows();

void* PlaybackWindow();    // HWND of the playback window, null when not created
void* TrackSpaceWindow();  // HWND of the track-space window
int PlayerReady();         // MpegAudioPlayInit succeeded

// Opens a file in a window: 0 when opened, else the MCI error. The playback window lets MCI pick
// the device by the file's extension; the track-space window always opens the wave-audio device,
// so the silence files (".$$$") need no extension registered with MCI.
long MciWindowOpen(int window, const char* path);
// Sends an MCI command (MCI_COMMAND_*) with its parameter: 0 when done, else the MCI error.
long MciWindowCommand(int window, int command, long param);
uint32_t MciWindowPosition(int window);  // ms
int MciWindowMode(int window);           // MCI_MODE_VALUE_*; not ready when nothing is open

// Tests (native stand-in only): make creation fail, or every open in the track-space window.
void SetPlaybackWindowsFailForTest(int failCreate, int failOpenSilence);
