// waveIn behind the capture seam. The callback runs on the wave service's thread and does only
// two plain stores: the buffer's filled flag (through MarkBufferFilled) and, when the driver
// closes the device under us, the failure flag.
#include "record/wave_in.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

#include "record/capture.h"
#include "record/recorder_window.h"

namespace {
struct WaveInState {
    HWAVEIN device;                    // null when closed
    WAVEHDR headers[WAVE_IN_BUFFERS];  // user field = slot index
    std::atomic<int> closing;          // our own close is under way
    std::atomic<int> failed;           // the driver reported an error or closed the device
};
WaveInState g_in;

void CALLBACK WaveInCallback(HWAVEIN, UINT msg, DWORD_PTR, DWORD_PTR param1, DWORD_PTR) {
    if (msg == WIM_DATA) {
        const WAVEHDR* h = (const WAVEHDR*)param1;
        if (h && h->dwUser < WAVE_IN_BUFFERS) MarkBufferFilled((int)h->dwUser);
    } else if (msg == WIM_CLOSE && !g_in.closing.load()) {
        g_in.failed.store(1);
    }
}
}  // namespace

int WaveInOpen(uint32_t index, uint16_t channels, uint32_t sampleRate, uint16_t bits) {
    if (g_in.device) return 0;
    WAVEFORMATEX fmt = {};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = channels;
    fmt.nSamplesPerSec = sampleRate;
    fmt.nBlockAlign = (WORD)(channels * bits / 8);
    fmt.nAvgBytesPerSec = sampleRate * fmt.nBlockAlign;
    fmt.wBitsPerSample = bits;
    WAVEINCAPSA caps;
    if (waveInGetDevCapsA(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return 0;
    g_in.closing.store(0);
    g_in.failed.store(0);
    HWAVEIN device = nullptr;
    if (waveInOpen(&device, index, &fmt, (DWORD_PTR)WaveInCallback, (DWORD_PTR)RecorderWindow(), CALLBACK_FUNCTION) !=
        MMSYSERR_NOERROR)
        return 0;
    g_in.device = device;
    ZeroMemory(g_in.headers, sizeof g_in.headers);
    return 1;
}

int WaveInQueue(int slot, uint8_t* data, uint32_t bytes) {
    if (!g_in.device || slot < 0 || slot >= WAVE_IN_BUFFERS || !data) return 0;
    WAVEHDR* h = &g_in.headers[slot];
    if (h->dwFlags & WHDR_PREPARED) waveInUnprepareHeader(g_in.device, h, sizeof *h);
    ZeroMemory(h, sizeof *h);
    h->lpData = (LPSTR)data;
    h->dwBufferLength = bytes;
    h->dwUser = (DWORD_PTR)slot;
    MMRESULT r = waveInPrepareHeader(g_in.device, h, sizeof *h);
    if (r == MMSYSERR_NOERROR) r = waveInAddBuffer(g_in.device, h, sizeof *h);
    if (r == MMSYSERR_NODRIVER || r == MMSYSERR_INVALHANDLE) g_in.failed.store(1);
    return r == MMSYSERR_NOERROR;
}

uint32_t WaveInRecordedBytes(int slot) {
    return (slot >= 0 && slot < WAVE_IN_BUFFERS) ? g_in.headers[slot].dwBytesRecorded : 0;
}

int WaveInStart() {
    if (!g_in.device) return 0;
    MMRESULT r = waveInStart(g_in.device);
    return r == MMSYSERR_NOERROR;
}

void WaveInClose() {
    if (!g_in.device) return;
    g_in.closing.store(1);
    waveInReset(g_in.device);
    for (WAVEHDR& h : g_in.headers)
        if (h.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(g_in.device, &h, sizeof h);
    waveInClose(g_in.device);
    g_in.device = nullptr;
    g_in.failed.store(0);
}

int WaveInIsOpen() { return g_in.device != nullptr; }
int WaveInFailed() { return g_in.device && g_in.failed.load(); }

void SetFakeWaveInSignal(int, int16_t, int16_t) {}
int AdvanceFakeWaveIn(uint32_t) { return 0; }
void FillFakeWaveInBuffers(int) {}
int FakeWaveInQueued() { return 0; }
void SetFakeWaveInFailures(int, int, int) {}
void ResetFakeWaveIn() {}
