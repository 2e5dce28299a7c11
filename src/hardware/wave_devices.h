// Platform seam for the wave device search: how many wave-in or wave-out devices there are, and
// the product name from each one's capabilities record. The native build answers from a list
// that tests set.
#pragma once
#include <cstdint>

enum { WAVE_NAME_BYTES = 32 };  // szPname of the capabilities record, terminator included

int WaveDeviceCount(int output);  // output 0 = wave input, 1 = wave output
// Reads device index's capabilities; nameOut receives its product name. 1 = read.
int WaveDeviceName(int output, uint32_t index, char nameOut[WAVE_NAME_BYTES]);

// Native build only: the devices the system reports, in index order.
void SetFakeWaveDevices(int output, const char* const* names, int count);
