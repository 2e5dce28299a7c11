// Native wave device list: set by tests, empty until then.
#include "hardware/wave_devices.h"
#include "base/bounded_copy.h"
#include <cstring>
#include <string>
#include <vector>

namespace {
std::vector<std::string> g_waveDevices[2];  // [0] wave input, [1] wave output
}

int WaveDeviceCount(int output) { return (output == 0 || output == 1) ? int(g_waveDevices[output].size()) : 0; }

int WaveDeviceName(int output, uint32_t index, char nameOut[WAVE_NAME_BYTES]) {
    if ((output != 0 && output != 1) || index >= g_waveDevices[output].size()) return 0;
    CopyBoundedString(nameOut, WAVE_NAME_BYTES, g_waveDevices[output][index].c_str());
    return 1;
}

void SetFakeWaveDevices(int output, const char* const* names, int count) {
    if (output != 0 && output != 1) return;
    g_waveDevices[output].assign(names, names + count);
}
