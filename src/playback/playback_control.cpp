// Playback stand-in: tracks which file is open and whether it "plays", without producing sound,
// so the deck's transport works before the player library and the media window are wired in.
#include "playback/playback_control.h"

#include <cstdio>
#include <cstring>

#include "hardware/device.h"

namespace {
struct PlaybackModule {
    char path[PLAYBACK_PATH_BYTES];         // open track; empty = none
    int engine;                             // ENGINE_*
    int playing;                            // PlayTrack ran and StopTrack did not follow
    uint32_t positionMs;                    // last seek target
    uint8_t channelStatus[4];               // cued track's channel status
    char silencePath[PLAYBACK_PATH_BYTES];  // file open in the track-space window
};
PlaybackModule g_play;
}  // namespace

int OpenTrack(const char* path) {
    if (!path || !path[0] || g_play.path[0]) return 0;
    if (std::strlen(path) >= sizeof g_play.path) return 0;
    FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    std::fclose(f);
    std::strcpy(g_play.path, path);
    g_play.engine = ENGINE_MCI;
    g_play.playing = 0;
    g_play.positionMs = 0;
    return 1;
}

int CloseTrack() {
    if (!g_play.path[0]) return 0;
    g_play.path[0] = 0;
    g_play.engine = ENGINE_NONE;
    g_play.playing = 0;
    return 1;
}

int PlayTrack() {
    if (!g_play.path[0]) return 0;
    if (OpenDevice(DEVICE_NUMBER)) {
        WriteOutputStatus(g_play.channelStatus);
        CloseDevice();
    }
    g_play.playing = 1;
    return 1;
}

int StopTrack() {
    if (!g_play.path[0]) return 0;
    g_play.playing = 0;
    return 1;
}

int SeekTrack(int32_t ms) {
    if (!g_play.path[0]) return 0;
    g_play.positionMs = ms < 0 ? 0 : (uint32_t)ms;
    return 1;
}

int GetTrackPosition(uint32_t* msOut) {
    *msOut = g_play.path[0] ? g_play.positionMs : 0;
    return 1;
}

int GetTrackStatus() {
    if (!g_play.path[0]) return TRACK_STATUS_UNKNOWN;
    return g_play.playing ? TRACK_PLAYING : TRACK_STOPPED;
}

int GetTrackEngine() { return g_play.engine; }

int GetTrackPath(char* pathOut) {
    std::strcpy(pathOut, g_play.path);
    return 1;
}

int PlaySilence(const char* path) {
    if (!path || !path[0] || std::strlen(path) >= sizeof g_play.silencePath) return 0;
    if (std::strcmp(path, g_play.silencePath) != 0) std::strcpy(g_play.silencePath, path);
    return 1;
}

void SetTrackChannelStatus(const uint8_t status[4]) { std::memcpy(g_play.channelStatus, status, 4); }
const uint8_t* GetTrackChannelStatus() { return g_play.channelStatus; }

void ResetPlaybackForTest() { g_play = PlaybackModule{}; }
