// The mixer layer: volume, mute and the level meter of the device's mixer. Each operation opens
// the mixer and closes it again; the layer itself only keeps which controls are available.
#pragma once
#include <cstdint>

struct MixerAvailability {
    int muteAvail;    // MuteAvail: the selected line has a mute control
    int volumeAvail;  // VolumeAvail: ... a volume control
    int meterAvail;   // MeterAvail: ... a peak meter
};

int MixerInit();       // start-up: nothing to prepare; 1
void MixerShutdown();  // engine shutdown, after the mixer was closed
int MixerReady();      // 1 between MixerInit and MixerShutdown
MixerAvailability& MixerAvail();
int MixerInUse();     // 1 when any control was made available
void MixerRelease();  // closes the mixer and clears the mute and volume availability

// Line selection and the controls of the selected line. Each opens and closes the mixer; 0 when
// the mixer, the line or the control is missing (callers then show mute off and full volume).
int SelectMaster(int deviceNumber);
int SelectWaveOut(int deviceNumber);
int GetMute(int deviceNumber, uint32_t* muteOut);
int GetVolume(int deviceNumber, uint32_t* leftOut, uint32_t* rightOut);  // 0..65535
int SetVolume(int deviceNumber, uint32_t left, uint32_t right);
int GetPeak(int deviceNumber, int32_t* leftOut, int32_t* rightOut);  // signed meter values

void SetMixerInitFailForTest(int fail);
