// Mixer layer state. The controls themselves come with the mixer's own module; until then the
// layer starts up, reports nothing available and shuts down cleanly.
#include "hardware/mixer.h"

namespace {
struct MixerState {
    int ready;                // MixerInit succeeded and MixerShutdown has not run
    MixerAvailability avail;  // controls found on the selected line
    int failInitForTest;      // tests: MixerInit fails
};
MixerState g_mixer;
}  // namespace

int MixerInit() {
    if (g_mixer.failInitForTest) return 0;
    g_mixer.ready = 1;
    return 1;
}

void MixerShutdown() {
    g_mixer.ready = 0;
    g_mixer.avail = MixerAvailability();
}

int MixerReady() { return g_mixer.ready; }
MixerAvailability& MixerAvail() { return g_mixer.avail; }
int MixerInUse() { return g_mixer.avail.muteAvail || g_mixer.avail.volumeAvail || g_mixer.avail.meterAvail; }

void MixerRelease() {
    g_mixer.avail.muteAvail = 0;
    g_mixer.avail.volumeAvail = 0;
}

// Until the controls are read, every line and control counts as missing.
int SelectMaster(int) { return 0; }
int SelectWaveOut(int) { return 0; }
int GetMute(int, uint32_t* muteOut) {
    *muteOut = 0;
    return 0;
}
int GetVolume(int, uint32_t* leftOut, uint32_t* rightOut) {
    *leftOut = *rightOut = 0;
    return 0;
}
int SetVolume(int, uint32_t, uint32_t) { return 0; }
int GetPeak(int, int32_t* leftOut, int32_t* rightOut) {
    *leftOut = *rightOut = 0;
    return 0;
}

void SetMixerInitFailForTest(int fail) { g_mixer.failInitForTest = fail; }
