// Playback control: one track at a time, played by the MPEG player library when it accepts the
// file and by the playback MCI window otherwise. Also owns which silence file the track-space
// window holds, so the track gap and the engine start-up and shutdown agree on it.
#include "playback/playback_control.h"

#include <cstdio>
#include <cstring>

#include "base/system_info.h"
#include "hardware/device.h"
#include "playback/mci_windows.h"
#include "playback/mpeg_libraries.h"

namespace {
const char DEVICE_NAME_PRO[] = "Kelvara Vornex Pro";  // the device's name on NT 5 systems
const char DEVICE_NAME_USB[] = "Kelvara Vornex USB";
const uint32_t PLAYER_POSITION_END = 0x7FFFFFFF;

// Player statuses (MpegAudioPlayGetStatus).
enum { PLAYER_NOT_READY = 0, PLAYER_PLAYING = 1, PLAYER_STOPPED = 2, PLAYER_PAUSED = 3 };

struct PlaybackModule {
    char path[PLAYBACK_PATH_BYTES];         // open track; empty = none
    int engine;                             // ENGINE_*
    uint8_t channelStatus[4];               // cued track's channel status
    char silencePath[PLAYBACK_PATH_BYTES];  // file open in the track-space window; empty = none
};
PlaybackModule g_play;
TrackProbeHook g_probe;  // the media probe's verdict on a file, registered by the engine

// Mode of the playback window -> status reported to the deck.
struct ModeRow {
    int mode;    // MCI_MODE_VALUE_*
    int status;  // TRACK_*
};
const ModeRow MCI_MODES[] = {
    {MCI_MODE_VALUE_NOT_READY, TRACK_NOT_READY},
    {MCI_MODE_VALUE_OPEN,      TRACK_OPEN     },
    {MCI_MODE_VALUE_PAUSE,     TRACK_PAUSED   },
    {MCI_MODE_VALUE_PLAY,      TRACK_PLAYING  },
    {MCI_MODE_VALUE_RECORD,    TRACK_RECORDING},
    {MCI_MODE_VALUE_SEEK,      TRACK_SEEKING  },
    {MCI_MODE_VALUE_STOP,      TRACK_STOPPED  },
};
const ModeRow PLAYER_MODES[] = {
    {PLAYER_NOT_READY, TRACK_NOT_READY},
    {PLAYER_PAUSED,    TRACK_PAUSED   },
    {PLAYER_PLAYING,   TRACK_PLAYING  },
    {PLAYER_STOPPED,   TRACK_STOPPED  },
};

int StatusFromMode(const ModeRow* rows, int count, int mode) {
    for (int i = 0; i < count; ++i)
        if (rows[i].mode == mode) return rows[i].status;
    return TRACK_STATUS_UNKNOWN;
}

int IsOpen() { return g_play.path[0] != 0; }

int IsRecognisedFile(const char* path) {
    if (g_probe) return g_probe(path);
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    std::fclose(f);
    return 1;
}

// The name the output device goes by on this system, "" when no wave-out device carries it.
const char* PlayerDeviceName(int deviceIndex) {
    if (deviceIndex == WAVE_DEVICE_NONE) return "";
    return SystemOsKind() == OS_KIND_NT5 ? DEVICE_NAME_PRO : DEVICE_NAME_USB;
}
}  // namespace

void SetTrackProbeHook(TrackProbeHook probe) { g_probe = probe; }

int OpenTrack(const char* path) {
    if (!path || !path[0] || IsOpen()) return 0;
    if (std::strlen(path) >= sizeof g_play.path) return 0;
    if (!IsRecognisedFile(path)) return 0;  // missing or not a sound file
    int index = WAVE_DEVICE_NONE, count = 0;
    FindWaveDevice(1, &index, &count);
    if (count == 0) return 0;
    if (PlayerReady() && PlayerOpen(path, PlayerDeviceName(index))) {
        g_play.engine = ENGINE_PLAYER;
    } else {
        if (MciWindowOpen(MCI_PLAYBACK_WINDOW, path) != 0) return 0;
        g_play.engine = ENGINE_MCI;
    }
    std::strcpy(g_play.path, path);
    return 1;
}

int CloseTrack() {
    if (!IsOpen()) return 0;
    int ok = g_play.engine == ENGINE_PLAYER ? PlayerClose()
                                            : MciWindowCommand(MCI_PLAYBACK_WINDOW, MCI_COMMAND_CLOSE, 0) == 0;
    if (!ok) return 0;
    g_play.path[0] = 0;
    g_play.engine = ENGINE_NONE;
    return 1;
}

int PlayTrack() {
    if (!IsOpen()) return 0;
    if (OpenDevice(DEVICE_NUMBER)) {
        WriteOutputStatus(g_play.channelStatus);
        CloseDevice();
    }
    return PlayPreview();
}

int PlayPreview() {
    if (!IsOpen()) return 0;
    if (g_play.engine == ENGINE_PLAYER) return PlayerStart();
    return MciWindowCommand(MCI_PLAYBACK_WINDOW, MCI_COMMAND_PLAY, 0) == 0;
}

int StopTrack() {
    if (!IsOpen()) return 0;
    if (g_play.engine == ENGINE_PLAYER) return PlayerStop();
    return MciWindowCommand(MCI_PLAYBACK_WINDOW, MCI_COMMAND_STOP, 0) == 0;
}

int SeekTrack(int32_t ms) {
    if (!IsOpen()) return 0;
    if (g_play.engine == ENGINE_PLAYER) {
        uint32_t target = ms == TRACK_END ? PLAYER_POSITION_END : ms < 0 ? 0 : (uint32_t)ms;
        return PlayerSetPosition(target);
    }
    // The MCI window takes -1 and -2 as start and end itself.
    return MciWindowCommand(MCI_PLAYBACK_WINDOW, MCI_COMMAND_SEEK, (long)ms) == 0;
}

int GetTrackPosition(uint32_t* msOut) {
    *msOut = 0;
    if (!IsOpen()) return 1;
    if (g_play.engine == ENGINE_PLAYER) {
        if (!PlayerGetPosition(msOut)) *msOut = 0;
    } else {
        *msOut = MciWindowPosition(MCI_PLAYBACK_WINDOW);
    }
    return 1;
}

int GetTrackStatus() {
    if (!IsOpen()) return TRACK_STATUS_UNKNOWN;
    if (g_play.engine == ENGINE_PLAYER) {
        int32_t status = -1;
        if (!PlayerGetStatus(&status)) return TRACK_STATUS_UNKNOWN;
        return StatusFromMode(PLAYER_MODES, sizeof PLAYER_MODES / sizeof *PLAYER_MODES, status);
    }
    return StatusFromMode(MCI_MODES, sizeof MCI_MODES / sizeof *MCI_MODES, MciWindowMode(MCI_PLAYBACK_WINDOW));
}

int GetTrackEngine() { return g_play.engine; }

int GetTrackPath(char* pathOut) {
    std::strcpy(pathOut, g_play.path);
    return 1;
}

int HoldTrackForWrite(HeldTrack* heldOut) {
    heldOut->path[0] = 0;
    int status = GetTrackStatus();
    if (status == TRACK_STATUS_UNKNOWN) return 1;
    if (status != TRACK_STOPPED) return 0;
    GetTrackPath(heldOut->path);
    CloseTrack();
    return 1;
}

void ResumeHeldTrack(const HeldTrack* held) {
    if (held->path[0]) OpenTrack(held->path);
}

int GetTrackLevels(int32_t* leftOut, int32_t* rightOut) {
    *leftOut = *rightOut = 0;
    if (g_play.engine != ENGINE_PLAYER) return 0;
    uint16_t levels[2] = {0, 0};
    if (!PlayerGetLevel(levels)) return 0;
    *leftOut = levels[0];
    *rightOut = levels[1];
    return 1;
}

int OpenSilence(const char* path) {
    if (!path || !path[0] || std::strlen(path) >= sizeof g_play.silencePath) return 0;
    if (std::strcmp(path, g_play.silencePath) == 0) return 1;
    CloseSilence();
    if (MciWindowOpen(MCI_TRACK_SPACE_WINDOW, path) != 0) return 0;
    std::strcpy(g_play.silencePath, path);
    return 1;
}

int PlaySilence(const char* path) {
    OpenSilence(path);
    // A file the last gap played to its end would play nothing: each gap starts it afresh.
    MciWindowCommand(MCI_TRACK_SPACE_WINDOW, MCI_COMMAND_SEEK, TRACK_START);
    return MciWindowCommand(MCI_TRACK_SPACE_WINDOW, MCI_COMMAND_PLAY, 0) == 0;
}

void CloseSilence() {
    if (!g_play.silencePath[0]) return;
    MciWindowCommand(MCI_TRACK_SPACE_WINDOW, MCI_COMMAND_CLOSE, 0);
    g_play.silencePath[0] = 0;
}

void SetTrackChannelStatus(const uint8_t status[4]) { std::memcpy(g_play.channelStatus, status, 4); }
const uint8_t* GetTrackChannelStatus() { return g_play.channelStatus; }

void ResetPlaybackForTest() { g_play = PlaybackModule{}; }
