// Fake player, recorder, playlist, media probe, device, settings and folders for the deck tests.
#include "deck_fakes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/clock.h"
#include "base/message_box.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "deck/deck_ui_native.h"
#include "deck/record_naming.h"
#include "deck/track_gap.h"
#include "display/face_setters.h"
#include "docking/selector_link.h"
#include "deck/record_folder.h"
#include "deck/silence_files.h"
#include "hardware/device.h"
#include "hardware/mixer.h"
#include "record/timer_slots.h"
#include "playback/playback_control.h"
#include "playlist/playlist_model.h"
#include "record/capture.h"
#include "record/record_writer.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace {
FakeWorld g_world;
EngineSettings g_settings;
LayoutSettings g_layout;
MixerAvailability g_mixerAvail;
uint8_t g_channelStatus[4];
uint32_t g_recordRate = 44100, g_prevRecordRate = 44100;
int g_currentNumber;

uint32_t LengthOfOpen() {
    const FakeFile* f = FindFakeFile(g_world.openPath);
    return f ? f->lengthMs : 0;
}
}  // namespace

FakeWorld& World() { return g_world; }

void ResetWorld() {
    g_world = FakeWorld{};
    g_settings = EngineSettings{};
    g_layout = LayoutSettings{};
    g_mixerAvail = MixerAvailability{};
    g_settings.recordInput = 1;
    g_settings.mp3Bitrate = 128;
    std::strcpy(g_settings.recFileName, "C:\\rec\\S-");
    g_recordRate = g_prevRecordRate = 44100;
    g_currentNumber = 0;
}

const FakeFile* FindFakeFile(const std::string& path) {
    for (const FakeFile& f : g_world.files)
        if (f.path == path) return &f;
    return nullptr;
}

FakeFile& AddFakeFile(const std::string& path, uint32_t lengthMs) {
    g_world.files.emplace_back();
    g_world.files.back().path = path;
    g_world.files.back().lengthMs = lengthMs;
    return g_world.files.back();
}

void MakePlaylist(int n, uint32_t lengthMs) {
    for (int k = 1; k <= n; ++k) {
        FakeFile f;
        f.path = "C:\\m\\t" + std::to_string(k) + ".wav";
        f.lengthMs = lengthMs;
        f.title = "Song " + std::to_string(k);
        g_world.files.push_back(f);
        g_world.playlist.push_back(f.path);
    }
}

uint32_t PlayerPosition() {
    if (g_world.openPath.empty()) return 0;
    uint32_t pos = g_world.basePos;
    if (g_world.playing) pos += TickCount() - g_world.playStartTick;
    return std::min(pos, LengthOfOpen());
}

// --- settings -------------------------------------------------------------------------------
EngineSettings& Settings() { return g_settings; }
LayoutSettings& Layout() { return g_layout; }

// --- player ---------------------------------------------------------------------------------
int OpenTrack(const char* path) {
    if (!g_world.openPath.empty() || !FindFakeFile(path)) return 0;
    g_world.openPath = path;
    g_world.playing = 0;
    g_world.basePos = 0;
    return 1;
}

int CloseTrack() {
    if (g_world.openPath.empty()) return 0;
    g_world.openPath.clear();
    g_world.playing = 0;
    return 1;
}

int PlayTrack() {
    if (g_world.openPath.empty()) return 0;
    g_world.basePos = PlayerPosition();
    g_world.playStartTick = TickCount();
    g_world.playing = 1;
    g_world.playCalls++;
    return 1;
}

int StopTrack() {
    if (g_world.openPath.empty()) return 0;
    g_world.basePos = PlayerPosition();
    g_world.playing = 0;
    return 1;
}

int SeekTrack(int32_t ms) {
    if (g_world.openPath.empty()) return 0;
    uint32_t length = LengthOfOpen();
    g_world.basePos = ms == TRACK_START ? 0 : ms == TRACK_END ? length : std::min((uint32_t)ms, length);
    g_world.playStartTick = TickCount();
    return 1;
}

int GetTrackPosition(uint32_t* msOut) {
    *msOut = PlayerPosition();
    return 1;
}

// Stopped (7) once a playing track reaches its end, as the real engines report it.
int GetTrackStatus() {
    if (g_world.openPath.empty()) return TRACK_STATUS_UNKNOWN;
    if (g_world.playing && PlayerPosition() < LengthOfOpen()) return TRACK_PLAYING;
    return TRACK_STOPPED;
}

int GetTrackEngine() { return g_world.openPath.empty() ? ENGINE_NONE : g_world.engine; }
int GetTrackLevels(int32_t* leftOut, int32_t* rightOut) {
    *leftOut = g_world.playerLevels[0];
    *rightOut = g_world.playerLevels[1];
    return 1;
}
int GetTrackPath(char* pathOut) {
    std::strcpy(pathOut, g_world.openPath.c_str());
    return 1;
}
// The real hold over the fake player, so the recorder's status write meets the same track.
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
int PlaySilence(const char* path) {
    g_world.silencePath = path;
    return 1;
}
void SetTrackChannelStatus(const uint8_t status[4]) { std::memcpy(g_channelStatus, status, 4); }
const uint8_t* GetTrackChannelStatus() { return g_channelStatus; }

// --- recorder -------------------------------------------------------------------------------
int PrepareCapture(int release) {
    g_world.recorderCalls.push_back("PrepareCapture(" + std::to_string(release) + ")");
    if (g_world.prepareFails) return 0;
    g_world.captureMode = (release && !g_settings.recAutoRecording) ? CAPTURE_WAITING : CAPTURE_ARMED;
    return 1;
}
int StartWriting() {
    g_world.recorderCalls.push_back("StartWriting");
    if (g_world.captureMode == CAPTURE_ARMED) {
        g_world.captureMode = CAPTURE_WAITING;
        return 0;
    }
    g_world.captureMode = CAPTURE_WRITING;
    return 1;
}
int PauseWriting() {
    g_world.recorderCalls.push_back("PauseWriting");
    g_world.captureMode = g_settings.recAutoRecording ? CAPTURE_ARMED : CAPTURE_WAITING;
    return 1;
}
int ResumeWriting() {
    g_world.recorderCalls.push_back("ResumeWriting");
    g_world.captureMode = CAPTURE_WRITING;
    return 1;
}
int StopCapture(int release) {
    g_world.recorderCalls.push_back("StopCapture(" + std::to_string(release) + ")");
    g_world.captureMode = CAPTURE_OFF;
    return 1;
}
uint32_t GetRecordedMs() { return g_world.recordedMs; }
void GetPeaks(int* leftOut, int* rightOut) {
    *leftOut = *rightOut = 0;
}
int GetStepsSinceLevel() { return g_world.stepsSinceLevel; }
int GetCaptureMode() { return g_world.captureMode; }
void SetRecorderDeckHooks(const RecorderDeckHooks&) {}
int StoreInputStatus(const char* path) {
    g_world.recorderCalls.push_back(std::string("StoreInputStatus ") + path);
    return 1;
}
int SetRecordFormat(const RecordFormat& f) {
    g_world.recorderCalls.push_back("SetRecordFormat(" + std::to_string(f.kind) + "," + std::to_string(f.sampleRate) +
                                    "," + std::to_string(f.bitrateKbps) + ")");
    return g_world.formatRefused ? 0 : 1;
}
int SetRecordTarget(const char* path) {
    g_world.recorderCalls.push_back(std::string("SetRecordTarget ") + path);
    if (!g_world.recordTarget.empty()) return 0;
    g_world.recordTarget = path;
    return 1;
}
int GetRecordTarget(char* pathOut) {
    std::strcpy(pathOut, g_world.recordTarget.c_str());
    return 1;
}
int CloseRecordFile(int release) {
    g_world.recorderCalls.push_back("CloseRecordFile(" + std::to_string(release) + ")");
    if (g_world.recordTarget.empty()) return 0;
    g_world.recordTarget.clear();
    return 1;
}

// --- playlist -------------------------------------------------------------------------------
int GetEntryCount() { return (int)g_world.playlist.size(); }
int GetEntryPath(int n, char* pathOut) {
    if (n < 1 || n > GetEntryCount()) return 0;
    std::strcpy(pathOut, g_world.playlist[(size_t)n - 1].c_str());
    return 1;
}
int SetCurrentNumber(int n) {
    g_currentNumber = n;
    return 1;
}
int AddPath(const char* path) {
    if (g_world.playlist.size() >= PLAYLIST_MAX_ENTRIES) return 0;
    g_world.playlist.push_back(path);
    return 1;
}
int SelectFiles(void* owner) {
    g_world.selectFilesRuns++;
    if (g_world.selectFilesAdds.empty()) return 0;
    g_world.playlist = g_world.selectFilesAdds;
    return 1;
}
int ClearPlaylist() {
    if (g_world.clearRefused) return 0;
    g_world.playlist.clear();
    return 1;
}
int RefreshTitles(const char* path) { return 1; }
void RefreshPlaylistView() {}

// --- device ---------------------------------------------------------------------------------
int FindWaveDevice(int output, int* indexOut, int* countOut) {
    *indexOut = g_world.waveInputPresent ? 0 : WAVE_DEVICE_NONE;
    *countOut = g_world.waveInputPresent ? 1 : 0;
    return 1;
}
int OpenDevice(int deviceNumber) {
    g_world.deviceOpens++;
    return g_world.deviceAttached;
}
int CloseDevice() { return 1; }
int ReadRegister(int reg, uint32_t* valueOut) {
    *valueOut = reg == REG_INPUT_SELECT ? g_world.reg6 : reg == REG_POWER ? g_world.reg8 : g_world.reg7;
    return 1;
}
int WriteRegister(int reg, uint32_t value) {
    if (reg == REG_INPUT_SELECT) g_world.reg6 = value;
    return 1;
}
int WriteOutputStatus(const uint8_t status[CHANNEL_STATUS_BYTES]) {
    g_world.statusWrites.emplace_back(status, status + 4);
    return 1;
}
int InputSelFromStatus(uint32_t reg6) { return reg6 == 2 ? 0 : 1; }
uint32_t RateFromLockCode(uint32_t reg7) { return reg7 == 5 ? 48000 : reg7 == 7 ? 32000 : 44100; }
int IsLockCode(uint32_t reg7) { return reg7 >= 5 && reg7 <= 7; }
uint32_t GetRecordRate() { return g_recordRate; }
uint32_t GetPrevRecordRate() { return g_prevRecordRate; }
void SetRecordRate(uint32_t rate) {
    g_prevRecordRate = g_recordRate;
    g_recordRate = rate;
}

// --- silence files, registry, record folder --------------------------------------------------
const char* SilenceFilePath(uint32_t rate) {
    return rate == 48000 ? "Sil48.$$$" : rate == 44100 ? "Sil44.$$$" : "Sil32.$$$";
}
int RegistryOpenKey(const char* path, int access, RegistryKey* keyOut) {
    *keyOut = nullptr;
    return 0;
}
int RegistryReadString(RegistryKey key, const char* name, char* buf, size_t bufBytes) { return 0; }
void RegistryCloseKey(RegistryKey key) {}

int FolderExists(const char* path) { return std::string(path) == "C:\\rec"; }
int DriveKindOf(const char* root) { return 3; }
int NumberedFileExists(const char* base, unsigned number) {
    char name[300];
    std::snprintf(name, sizeof name, "%s%03u", base, number);
    return g_world.existingNumbers.count(name) ? 1 : 0;
}
int DeleteRecording(const char* path) {
    g_world.deleted.push_back(path);
    return 1;
}
int ProgramCommandLine(char* textOut, int bytes) {
    std::snprintf(textOut, (size_t)bytes, "\"C:\\prog\\Movello.exe\" /DOCKING");
    return 1;
}
int RunRecordNameDialog(char* nameInOut) {
    g_world.nameDialogs++;
    return 0;
}

// --- mixer and timers -------------------------------------------------------------------------
MixerAvailability& MixerAvail() { return g_mixerAvail; }
int SelectMaster(int) {
    g_world.mixerCalls.push_back("master");
    return g_world.mixerOpens;
}
int SelectWaveOut(int) {
    g_world.mixerCalls.push_back("waveout");
    return g_world.mixerOpens;
}
int GetMute(int, uint32_t* muteOut) {
    *muteOut = g_world.mute;
    return 1;
}
int GetVolume(int, uint32_t* leftOut, uint32_t* rightOut) {
    *leftOut = g_world.volume[0];
    *rightOut = g_world.volume[1];
    return 1;
}
int SetVolume(int, uint32_t left, uint32_t right) {
    g_world.mixerCalls.push_back("volume " + std::to_string(left) + " " + std::to_string(right));
    return 1;
}
int GetPeak(int, int32_t* leftOut, int32_t* rightOut) {
    *leftOut = g_world.meter[0];
    *rightOut = g_world.meter[1];
    return 1;
}
int CheckTimers(int hour, int minute, uint32_t* actionOut) {
    g_world.timerChecks++;
    *actionOut = g_world.timerAction;
    return g_world.timerDue;
}
void ProbeTick(int32_t deckState) { g_world.probeTicks.push_back(deckState); }

void ResetDeckWorld(uint32_t tick) {
    ResetWorld();
    ResetDeckState();
    ResetFaceForTest();
    ResetSelectorLinkForTest();
    ResetDeckUiForTest();
    ResetMessages();
    ResetRecordNamingForTest();
    ResetTrackGapForTest();
    ResetDeckTickForTest();
    SetFakeTickCount(tick);
}
