// Wave device names from the system's capabilities records.
#include "hardware/wave_devices.h"
#include <windows.h>
#include <mmsystem.h>
#include <cstring>

static_assert(sizeof(WAVEINCAPSA) == 48, "wave-in capabilities record");
static_assert(sizeof(WAVEOUTCAPSA) == 52, "wave-out capabilities record");

int WaveDeviceCount(int output) {
    if (output == 0) return int(waveInGetNumDevs());
    if (output == 1) return int(waveOutGetNumDevs());
    return 0;
}

int WaveDeviceName(int output, uint32_t index, char nameOut[WAVE_NAME_BYTES]) {
    nameOut[0] = 0;
    if (output == 0) {
        WAVEINCAPSA caps = {};
        if (waveInGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return 0;
        std::memcpy(nameOut, caps.szPname, WAVE_NAME_BYTES);
    } else if (output == 1) {
        WAVEOUTCAPSA caps = {};
        if (waveOutGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return 0;
        std::memcpy(nameOut, caps.szPname, WAVE_NAME_BYTES);
    } else {
        return 0;
    }
    nameOut[WAVE_NAME_BYTES - 1] = 0;
    return 1;
}

void SetFakeWaveDevices(int, const char* const*, int) {}  // the system decides here
