// The mixer layer: volume, mute and the level meter of the device's mixer. Each operation finds
// the mixer, opens it, works on the line chosen by the last SelectLine and closes it again; the
// layer keeps only the chosen line and which controls the deck may use.
#pragma once
#include <cstdint>

struct MixerAvailability {
    int muteAvail;    // MuteAvail: the selected line has a mute control
    int volumeAvail;  // VolumeAvail: ... a volume control
    int meterAvail;   // MeterAvail: ... a peak meter
};

enum {
    MIXER_LINE_MASTER = 0,       // the destination line itself
    MIXER_LINE_WAVEOUT = 1,      // its wave-out source
    MIXER_LINE_SYNTHESIZER = 2,  // its synthesizer source
};

// Volumes: the mixer's 0..65535 per channel, shown and set on the face as 0..255.
enum { MIXER_VOLUME_MAX = 65535, VOLUME_BAR_MAX = 255 };
inline uint32_t BarToMixer(uint32_t bar) { return bar * MIXER_VOLUME_MAX / VOLUME_BAR_MAX; }
inline uint32_t MixerToBar(uint32_t volume) { return volume * VOLUME_BAR_MAX / MIXER_VOLUME_MAX; }

int MixerInit();       // start-up: nothing to prepare; 1
void MixerShutdown();  // engine shutdown, after the mixer was closed
int MixerReady();      // 1 between MixerInit and MixerShutdown
MixerAvailability& MixerAvail();
int MixerInUse();     // 1 when any control was made available
void MixerRelease();  // closes the mixer and clears the mute and volume availability
// The system family decides which destination is the output: 98 before SE (OS_KIND_98) names
// it speakers, every other system leaves it undefined.
void SetMixerOsKind(int osKind);

// Index of the mixer named after the deck's interface, 0 when none is (or there is no mixer).
uint32_t FindDeckMixer();

// Line selection and the controls of the selected line. The device number is always 1 and not
// used. Each returns 0 when the mixer, the line or the control is missing or a call fails
// (callers then show mute off and full volume).
int SelectLine(int deviceNumber, int kind);
int SelectMaster(int deviceNumber);
int SelectWaveOut(int deviceNumber);
int GetMute(int deviceNumber, uint32_t* muteOut);
int SetMute(int deviceNumber, uint32_t mute);
int GetVolume(int deviceNumber, uint32_t* leftOut, uint32_t* rightOut);  // 0..65535
// Both values are held to the control's bounds before they are written.
int SetVolume(int deviceNumber, uint32_t left, uint32_t right);
int GetPeak(int deviceNumber, int32_t* leftOut, int32_t* rightOut);  // signed meter values

void SetMixerInitFailForTest(int fail);
void ResetMixerForTest();
uint32_t SelectedMixerLineForTest();
