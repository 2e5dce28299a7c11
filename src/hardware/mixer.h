// The mixer layer: volume, mute and the level meter of the device's mixer. Each operation opens
// the mixer and closes it again; the layer itself only keeps which controls are available.
#pragma once

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

void SetMixerInitFailForTest(int fail);
