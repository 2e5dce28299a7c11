// Engine start-up and shutdown in their fixed orders. Each step calls the module that owns the
// subsystem; the table keeps the order and the error numbers in one place.
#include "app/engine.h"
#include "app/app_state.h"
#include "base/system_info.h"
#include "app/window_rules.h"
#include "deck/deck.h"
#include "deck/silence_files.h"
#include "hardware/device.h"
#include "hardware/mixer.h"
#include "media/media_probe.h"
#include "playback/mci_windows.h"
#include "playback/mpeg_libraries.h"
#include "playback/playback_control.h"
#include "playlist/playlist_files.h"
#include "record/record_settings.h"
#include "record/recorder_window.h"
#include "settings/settings.h"

namespace {
// Start-up error numbers shown as "Error No%d".
enum {
    ERR_NO_WAVE_IN = 1,
    ERR_NO_WAVE_OUT = 2,
    ERR_DEVICE_LAYER = 3,
    ERR_MIXER = 4,
    ERR_PLAYLIST = 5,
    ERR_MCI_WINDOW = 6,
    ERR_RECORDER_WINDOW = 7,
    ERR_SILENCE_OPEN = 11,
};

int StepSystem() {
    App().langId = SystemDefaultLanguage();
    uint32_t platformId, major, minor, build;
    SystemVersion(&platformId, &major, &minor, &build);
    App().osKind = OsKindFromVersion(platformId, major, minor, build);
    return 0;
}

int StepWaveIn() {
    int index = -1, count = 0;
    FindWaveDevice(0, &index, &count);
    return count == 0 ? ERR_NO_WAVE_IN : 0;
}

int StepWaveOut() {
    int index = -1, count = 0;
    FindWaveDevice(1, &index, &count);
    return count == 0 ? ERR_NO_WAVE_OUT : 0;
}

int StepSettings() {
    RegisterRecordSettings();
    LoadSettings();
    return 0;
}

int StepDeviceLayer() { return LoadDeviceManager() ? 0 : ERR_DEVICE_LAYER; }

int StepMixer() {
    SetMixerOsKind(App().osKind);
    if (!MixerInit()) return ERR_MIXER;
    App().mixerReady = 1;
    return 0;
}

int StepLibraries() {
    LoadMpegLibraries();
    Deck().encoderPresent = EncoderPresent();
    // Without the encoder only PCM can be recorded.
    if (!EncoderPresent() && Settings().recordFormat != RECORD_FORMAT_PCM) Settings().recordFormat = RECORD_FORMAT_PCM;
    return 0;
}

int StepPlaylist() { return PlaylistInit(MainWindowHandle()) ? 0 : ERR_PLAYLIST; }

// Playback control opens only files the media probe recognises.
int RecognisedSoundFile(const char* path) {
    int kind = PLAY_NONE;
    return GetPlayKind(path, &kind) && kind != PLAY_NONE;
}

int StepMciWindows() {
    SetTrackProbeHook(RecognisedSoundFile);
    return CreatePlaybackWindows(MainWindowHandle(), InstanceHandle()) ? 0 : ERR_MCI_WINDOW;
}

int StepRecorderWindow() {
    return CreateRecorderWindow(MainWindowHandle(), InstanceHandle()) ? 0 : ERR_RECORDER_WINDOW;
}

int StepSilenceFiles() {
    char folder[SILENCE_PATH_BYTES];
    DefaultSilenceFolder(folder, sizeof folder);
    int err = WriteSilenceFiles(folder);
    if (err) return err;
    if (!OpenSilence(SilenceFilePath(44100))) {
        DeleteSilenceFiles();
        return ERR_SILENCE_OPEN;
    }
    return 0;
}

int StepResetDeck() {
    ResetDeckState();
    Deck().encoderPresent = EncoderPresent();  // the reset clears the whole deck record
    return 0;
}

// Channel status, input selection and rate from the device (30 or 12 when unreadable).
int StepDeviceStatus() { return InitDeviceStatus(); }

const StartupStep STARTUP_STEPS[] = {
  // name              run
    {"system",          StepSystem        },
    {"wave input",      StepWaveIn        },
    {"wave output",     StepWaveOut       },
    {"settings",        StepSettings      },
    {"device layer",    StepDeviceLayer   },
    {"mixer",           StepMixer         },
    {"libraries",       StepLibraries     },
    {"playlist",        StepPlaylist      },
    {"mci windows",     StepMciWindows    },
    {"recorder window", StepRecorderWindow},
    {"silence files",   StepSilenceFiles  },
    {"deck reset",      StepResetDeck     },
    {"device status",   StepDeviceStatus  },
};
const int STARTUP_STEP_COUNT = sizeof STARTUP_STEPS / sizeof STARTUP_STEPS[0];
}  // namespace

uint32_t RunStartupSteps(const StartupStep* steps, int count, int* failedIndexOut) {
    if (failedIndexOut) *failedIndexOut = -1;
    for (int i = 0; i < count; ++i) {
        int err = steps[i].run();
        if (err != 0) {
            if (failedIndexOut) *failedIndexOut = i;
            return (uint32_t)err;
        }
    }
    return 0;
}

const StartupStep* EngineStartupSteps(int* countOut) {
    *countOut = STARTUP_STEP_COUNT;
    return STARTUP_STEPS;
}

int EngineStartup(int deviceIndex, void* instance, void* mainWindow) {
    App().deviceIndex = deviceIndex;
    SetInstanceHandle(instance);
    SetMainWindowHandle(mainWindow);
    App().initErrorNo = RunStartupSteps(STARTUP_STEPS, STARTUP_STEP_COUNT, nullptr);
    return App().initErrorNo == 0 ? 1 : 0;
}

void EngineShutdown() {
    StopKey();
    if (!PlaylistShutdown()) return;
    if (MixerInUse()) MixerRelease();
    CloseSilence();
    DeleteSilenceFiles();
    CloseTrack();
    DestroyPlaybackWindows();
    UnregisterRecorderClass();
    FreeMpegLibraries();
    if (App().mixerReady) MixerShutdown();
    App().mixerReady = 0;
    FreeDeviceManager();
    SaveSettings();
}
