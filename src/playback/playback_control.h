// Playback control: the one set of operations behind which the deck plays a track, whichever
// engine (the MPEG player library or the media control window) actually plays it. The deck polls
// GetTrackStatus on its tick to notice the end of a track.
#pragma once
#include <cstdint>

enum { PLAYBACK_PATH_BYTES = 260 };

// GetTrackStatus values.
enum {
    TRACK_STATUS_UNKNOWN = 0,  // none of the others, or nothing open
    TRACK_NOT_READY = 1,
    TRACK_OPEN = 2,
    TRACK_PAUSED = 3,
    TRACK_PLAYING = 4,
    TRACK_RECORDING = 5,
    TRACK_SEEKING = 6,
    TRACK_STOPPED = 7,
};

// Special SeekTrack positions.
enum { TRACK_START = -1, TRACK_END = -2 };

// Engines of the open track (GetTrackEngine).
enum { ENGINE_NONE = 0, ENGINE_MCI = 1, ENGINE_PLAYER = 2 };

int OpenTrack(const char* path);  // 0 when empty, already open, missing or unrecognised
int CloseTrack();                 // 0 when nothing is open
int PlayTrack();                  // writes the loaded track's channel status first
int StopTrack();
int SeekTrack(int32_t ms);              // TRACK_START / TRACK_END or a position in ms
int GetTrackPosition(uint32_t* msOut);  // 0 ms when nothing is open
int GetTrackStatus();
int GetTrackEngine();
int GetTrackPath(char* pathOut);  // PLAYBACK_PATH_BYTES; empty when nothing is open

// Plays a silence file in the track-space window, opening it there first when another file is
// open in that window. 1 when the play command succeeded.
int PlaySilence(const char* path);

// The cued track's four channel-status bytes: taken from its file when the deck cues it, written
// to the device's digital output by PlayTrack and restored after a track-gap mark.
void SetTrackChannelStatus(const uint8_t status[4]);
const uint8_t* GetTrackChannelStatus();

void ResetPlaybackForTest();
