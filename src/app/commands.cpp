// The command table: one row per face button or accelerator command.
#include "app/commands.h"
#include "deck/deck.h"
#include "deck/deck_ui.h"
#include "docking/docking.h"
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
    {CMD_MUTE,            ToggleMute           },
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
 // The accelerators Alt+C, Alt+I, Ctrl+V and Alt+X carry 3, 4, 1 and 5, which no row takes:
  // the keys stay unbound although the tooltips of 2003 to 2005 name them.
};
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
