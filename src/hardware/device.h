// The Vornex device: found among the wave devices and on the USB bus, and controlled through
// the hub interface's vendor requests (input selection, digital-input lock, power mode and the
// four channel-status bytes of the digital interface).
#pragma once
#include <cstdint>

// Searches the wave-input (output = 0) or wave-output (output = 1) devices for the deck's
// device. countOut receives the number of devices of that kind (0: none at all); indexOut the
// matching device's index, or -1. Returns 1 when a device matched.
int FindWaveDevice(int output, int* indexOut, int* countOut);

int LoadDeviceManager();   // the configuration manager, loaded at run time; 1 = ready
void FreeDeviceManager();

// Engine start-up's device step: writes the saved output channel status, reads the input
// selection and the digital-input lock and rate, and sets InputSel and the record rates.
// Returns 0 on success (also when the device is absent: the deck runs without it), or the
// start-up error number (30: input selection unreadable, 12: lock/rate unreadable).
int InitDeviceStatus();
