// Persistent settings of the deck: the engine settings and the window layout, with their
// defaults, loaded from and saved to the current user's registry key
// "SOFTWARE\Kelvara\Vornex USB\Deck Controller\Settings". Menus, dialogs and keys change these
// variables directly; only the four load/save functions touch the registry.
#pragma once
#include <cstdint>

enum { SETTINGS_PATH_BYTES = 260 };

// The key, under HKEY_CURRENT_USER.
#define SETTINGS_KEY_PATH "SOFTWARE\\Kelvara\\Vornex USB\\Deck Controller\\Settings"

// Stored values of "Repeat", "RecordFormat" and "TimerMode".
enum { REPEAT_OFF = 0, REPEAT_TRACK = 1, REPEAT_LIST = 2, REPEAT_MODES = 3 };
enum { RECORD_FORMAT_PCM = 0, RECORD_FORMAT_MP1 = 1, RECORD_FORMAT_MP2 = 2, RECORD_FORMAT_MP3 = 3 };
enum { TIMER_MODE_ELAPSED = 0, TIMER_MODE_LEFT = 1 };

// Engine settings (loaded at engine start-up, saved at engine shutdown).
struct EngineSettings {
    char recFileName[SETTINGS_PATH_BYTES];  // record base path: folder and name prefix ("RecFileName")
    char selectDir[SETTINGS_PATH_BYTES];    // initial folder of the "Select File" dialog ("SelectDir")
    uint32_t recordInput;                   // InputSel: 1 = IN1, 0 = IN2 ("RecordInput")
    uint32_t recordFormat;                  // RecordFormat: 0 PCM, 1..3 MPEG layer ("RecordFormat")
    uint32_t recordFrequency;               // Hz ("RecordFrequency")
    uint32_t recordChannel;                 // ("RecordChannel")
    uint32_t recordBps;                     // bits per sample ("RecordBps")
    uint32_t timerMode;                     // time display: 0 elapsed, 1 left ("TimerMode")
    uint32_t mpegBitrate;                   // layer 1 kbit/s ("MpegBitrate")
    uint32_t mp2Bitrate;                    // layer 2 kbit/s ("Mp2Bitrate")
    uint32_t mp3Bitrate;                    // layer 3 kbit/s ("Mp3Bitrate")
    uint32_t recLimit;                      // 0 none, 1 5 min, 2 20 min, 3 74 min ("RecLimit")
    uint32_t recAutoRecording;              // 1 on ("RecAutoRecording")
    uint32_t playSpace;                     // track gap: 0 none, 1 MD, 2 DAT ("PlaySpace")
    uint32_t repeat;                        // Repeat: 0 off, 1 one track, 2 the list ("Repeat")
    uint16_t recNoticePending;              // RecNoticePending: show the MPEG notice on the day's first Record
};

// The record input ("RecordInput").
enum { INPUT_IN2 = 0, INPUT_IN1 = 1 };

// Face modes ("Mode") and the face's size in single size; double size ("Mag" 2) doubles it.
enum { FACE_MODE_NORMAL = 0, FACE_MODE_THIN = 1 };
enum { FACE_W = 400, FACE_NORMAL_H = 105, FACE_THIN_H = 20 };
// The face's scale for a stored "Mag": 2 for double size, 1 for anything else.
inline int FaceScaleOf(uint32_t mag) { return mag == 2 ? 2 : 1; }

// Window-layout settings (loaded before the main window exists, saved at teardown).
struct LayoutSettings {
    int32_t xo, yo, xs, ys;                                      // main window place and size ("Xo", "Yo", "Xs", "Ys")
    uint32_t mode;                                               // face mode: 0 normal, 1 thin ("Mode")
    uint32_t mag;                                                // 1 single, 2 double size ("Mag")
    uint32_t top;                                                // always on top ("Top")
    int32_t xoList, yoList, xsList, ysList;                      // playlist window ("Xo_List" ...)
    uint32_t columnNumber, columnName, columnTime, columnTitle;  // playlist column widths
    uint32_t maxVolume;  // device volume to maximum at the first tick ("MaxVolume")
};

EngineSettings& Settings();  // the process-wide engine settings
LayoutSettings& Layout();    // the process-wide layout settings

// LoadLayout opens the key, creating it (volatile) when missing; when it can be neither opened
// nor created the built-in values apply. SaveLayout writes every layout value to the key, opened
// or created the same way.
void LoadLayout();  // before the main window is created
void SaveLayout();  // last step of the teardown

// LoadSettings reads the engine values (built-in values when the key cannot be opened), hands
// the auto recorder's levels and the timer slots to their modules and sets recNoticePending when
// the notice date stored is not today. SaveSettings writes them back, the two paths only when
// not empty, and today's date only when the notice is not pending. Either save writes nothing
// in a run that did not load its group first, so a failed start leaves the stored values alone.
void LoadSettings();          // engine start-up
void SaveSettings();          // engine shutdown
void ResetSettingsForTest();  // back to the built-in values, for tests

// Values stored with the engine settings whose home is a module above this one: the auto
// recorder's levels (threshold, start count, end count) and the timer slots (hours, minutes and
// flags of rows 1 to 6). Their owner registers the two hooks at start-up; gather copies its
// current values out before a load or a save, handBack takes the loaded ones. Until the hooks
// are registered these rows are neither read nor written.
enum { OWNED_AUTO_LEVELS = 3, OWNED_TIMER_VALUES = 18 };
struct OwnedSettingValues {
    uint32_t autoLevels[OWNED_AUTO_LEVELS];
    uint32_t timers[OWNED_TIMER_VALUES];
};
typedef void (*GatherOwnedValues)(OwnedSettingValues* out);
typedef void (*HandBackOwnedValues)(const OwnedSettingValues& values);
void SetOwnedValuesHooks(GatherOwnedValues gather, HandBackOwnedValues handBack);

// Main window size for a face mode (0 normal, 1 thin) and magnification (1 or 2): 400 x mag
// wide, 105 x mag high in the normal face, 20 x mag in the thin one. Other values count as
// normal and single size.
void LayoutWindowSize(uint32_t mode, uint32_t mag, int32_t* widthOut, int32_t* heightOut);
void RecomputeWindowSize();  // Layout().xs and .ys from Layout().mode and .mag
