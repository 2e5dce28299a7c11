// The command table: one row per face button or accelerator command, and the operations behind
// the mute button, the volume slider and the power items.
#include "app/commands.h"
#include "deck/deck.h"
#include "deck/deck_tick.h"
#include "deck/deck_ui.h"
#include "display/face_setters.h"
#include "docking/docking.h"
#include "docking/selector_link.h"
#include "hardware/device.h"
#include "hardware/mixer.h"
#include "hardware/slider.h"
#include "resources/resource.h"

namespace {
void SelectFile() {
    EnablePlaylistWindow(0);
    OpenAsNewList("");
    RepaintFace();
    EnablePlaylistWindow(1);
}
void InputIn1() {
    SelectInput(INPUT_IN1);
    NotifySelectorInputChanged();
}
void InputIn2() {
    SelectInput(INPUT_IN2);
    NotifySelectorInputChanged();
}
void FormatPcm() { SelectFormat(0); }
void FormatMp1() { SelectFormat(1); }
void FormatMp2() { SelectFormat(2); }
void FormatMp3() { SelectFormat(3); }
void Play() { StartPlay(); }
void Pause() { PauseKey(); }
void Stop() { StopKey(); }
void Previous() { PrevTrack(); }
void Next() { NextTrack(); }
void Record() { EnterRecStandby(); }
void Repeat() { CycleRepeat(); }
void Playlist() { ShowPlaylist(); }
void Property() { EditCurrentFile(); }
void SearchKey() {}  // rewind and fast forward act on press and release, not on the click
void Mute() { ToggleMute(); }

struct CommandRow {
    int id;            // WM_COMMAND id
    void (*action)();  // what it does
};
const CommandRow COMMANDS[] = {
  // id                    action
    {CMD_CLOSE,           PostCloseRequest     },
    {CMD_SELECT_FILE,     SelectFile           },
    {CMD_LAUNCH_SELECTOR, LaunchSelector       },
    {CMD_ICONIZE,         MinimizeDeck         },
    {CMD_FACE_MODE,       ToggleFaceMode       },
    {CMD_OPEN_PLAYLIST,   Playlist             },
    {CMD_FILE_PROPERTY,   Property             },
    {CMD_INPUT_IN1,       InputIn1             },
    {CMD_INPUT_IN2,       InputIn2             },
    {CMD_FORMAT_PCM,      FormatPcm            },
    {CMD_FORMAT_MP1,      FormatMp1            },
    {CMD_FORMAT_MP2,      FormatMp2            },
    {CMD_FORMAT_MP3,      FormatMp3            },
    {CMD_MUTE,            Mute                 },
    {CMD_REPEAT,          Repeat               },
    {CMD_PLAY,            Play                 },
    {CMD_PAUSE,           Pause                },
    {CMD_STOP,            Stop                 },
    {CMD_REWIND,          SearchKey            },
    {CMD_FAST_FORWARD,    SearchKey            },
    {CMD_PREVIOUS,        Previous             },
    {CMD_NEXT,            Next                 },
    {CMD_RECORD,          Record               },
    {CMD_DELETE_ENTRIES,  DeleteSelectedEntries},
 // Alt+C, Alt+I and Alt+X do what the tooltips of 2003 to 2005 promise. Ctrl+V (1) is named by
  // no button and stays unbound.
    {CMD_ACCEL_ALT_C,     LaunchSelector       },
    {CMD_ACCEL_ALT_I,     MinimizeDeck         },
    {CMD_ACCEL_ALT_X,     ToggleFaceMode       },
};

// Power mode to the code register 8 takes.
const uint32_t POWER_CODES[] = {POWER_OFF, POWER_ON, POWER_AUTO};

uint32_t PositionForTip() { return Deck().position; }
int DragBegin() { return PositionDragBegin(); }
void DragMove(int value) { PositionDragMove(value); }
void DragEnd() { PositionDragEnd(); }
void VolumeDragged(int value) { SetVolumeFromSlider((uint32_t)value, (uint32_t)value); }
}  // namespace

int DispatchSearchButton(int id, int pressed) {
    if (id == CMD_REWIND) return pressed ? RewindDown() : RewindUp();
    if (id == CMD_FAST_FORWARD) return pressed ? FastForwardDown() : FastForwardUp();
    return 0;
}

int DispatchCommand(int id, long) {
    for (const CommandRow& row : COMMANDS) {
        if (row.id == id) {
            row.action();
            return 1;
        }
    }
    return 0;
}

uint32_t ToggleMute() {
    if (!MixerAvail().muteAvail) return Face().muteState;
    uint32_t mute = 0;
    if (SelectWaveOut(DEVICE_NUMBER) && GetMute(DEVICE_NUMBER, &mute)) {
        SetMute(DEVICE_NUMBER, mute ? 0 : 1);
        if (!GetMute(DEVICE_NUMBER, &mute)) mute = 0;
    } else {
        mute = 0;
    }
    ShowMute(mute);
    return mute;
}

void SetVolumeFromSlider(uint32_t left, uint32_t right) {
    if (!MixerAvail().volumeAvail) return;
    uint32_t l = MIXER_VOLUME_MAX, r = MIXER_VOLUME_MAX;
    int open = SelectWaveOut(DEVICE_NUMBER);
    if (open) SetVolume(DEVICE_NUMBER, BarToMixer(left), BarToMixer(right));
    if (!open || !GetVolume(DEVICE_NUMBER, &l, &r)) l = r = MIXER_VOLUME_MAX;
    SetVolumeBar(MixerToBar(l), MixerToBar(r));
}

int SetPowerMode(int mode) {
    if (mode < POWER_MODE_OFF || mode > POWER_MODE_AUTO) return 0;
    int sent = 0;
    if (OpenDevice(DEVICE_NUMBER)) {
        sent = WriteRegister(REG_POWER, POWER_CODES[mode]);
        CloseDevice();
        RequestDeviceRead();
    } else {
        ShowCloseLit(0);
    }
    NotifySelectorInputChanged();
    return sent;
}

void RegisterSliderHooks(void* (*backBuffer)()) {
    SliderHooks hooks = {};
    hooks.backBuffer = backBuffer;
    hooks.volumeDragged = VolumeDragged;
    hooks.positionDragBegin = DragBegin;
    hooks.positionDragMove = DragMove;
    hooks.positionDragEnd = DragEnd;
    hooks.positionMs = PositionForTip;
    SetSliderHooks(hooks);
}
