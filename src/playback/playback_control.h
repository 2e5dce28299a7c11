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

// The media probe sits above playback control, so it tells OpenTrack through a hook whether a
// file is there and is a sound file it recognises (1) or not (0). The engine registers it before
// the first track opens; until then OpenTrack only checks that the file can be read.
typedef int (*TrackProbeHook)(const char* path);
void SetTrackProbeHook(TrackProbeHook probe);
int CloseTrack();  // 0 when nothing is open
int PlayTrack();   // writes the loaded track's channel status first
// Plays the open track without touching the device: the Edit sheet's preview, which must leave
// the digital output's channel status as the deck set it.
int PlayPreview();
int StopTrack();
int SeekTrack(int32_t ms);              // TRACK_START / TRACK_END or a position in ms
int GetTrackPosition(uint32_t* msOut);  // 0 ms when nothing is open
int GetTrackStatus();
int GetTrackEngine();
int GetTrackPath(char* pathOut);  // PLAYBACK_PATH_BYTES; empty when nothing is open

// A file's titles are rewritten only while the player leaves it alone. Whoever asks for a title
// write holds the track around it: HoldTrackForWrite closes a stopped track (noting its path in
// heldOut) and answers 1, answers 1 with nothing closed when no track is open, and 0 when the
// player is busy (playing, paused, seeking, recording or still opening), when nothing may be
// written. ResumeHeldTrack reopens what the hold closed, whether the write succeeded or not.
struct HeldTrack {
    char path[PLAYBACK_PATH_BYTES];  // the stopped track that was closed, empty when none was
};
int HoldTrackForWrite(HeldTrack* heldOut);
void ResumeHeldTrack(const HeldTrack* held);
// The MPEG player's two meter levels (0..32767) while it holds the track; 0 and both levels 0
// for the media window or nothing open.
int GetTrackLevels(int32_t* leftOut, int32_t* rightOut);

// The track-space window's silence file. OpenSilence opens path there unless it is the file
// already open (closing the other one first); 1 when path is open afterwards. PlaySilence opens
// the same way and plays the file from its start; 1 when the play command succeeded (a failed
// open leaves the old file, which then plays). CloseSilence closes it at shutdown.
int OpenSilence(const char* path);
int PlaySilence(const char* path);
void CloseSilence();

// The cued track's four channel-status bytes: taken from its file when the deck cues it, written
// to the device's digital output by PlayTrack and restored after a track-gap mark.
void SetTrackChannelStatus(const uint8_t status[4]);
const uint8_t* GetTrackChannelStatus();

void ResetPlaybackForTest();
