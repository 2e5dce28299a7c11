// waveOut output for the player: the device chosen by name prefix, eight prepared buffers,
// position from waveOutGetPosition. Every call comes with the player's lock held.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "tavply_output.h"

struct TavOutput {
    HWAVEOUT device;
    int blockAlign;  // bytes per sample frame
    WAVEHDR headers[TAV_OUTPUT_BUFFERS];
    std::vector<char> memory[TAV_OUTPUT_BUFFERS];
    bool queued[TAV_OUTPUT_BUFFERS];  // handed to the device and not yet returned
};

namespace {

UINT FindDevice(const char* prefix) {
    size_t len = prefix ? std::strlen(prefix) : 0;
    if (len == 0) return WAVE_MAPPER;
    UINT count = waveOutGetNumDevs();
    for (UINT i = 0; i < count; ++i) {
        WAVEOUTCAPSA caps;
        if (waveOutGetDevCapsA(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
        if (std::strncmp(caps.szPname, prefix, len) == 0) return i;
    }
    return WAVE_MAPPER;  // no device of that name: play on the default one
}

void Reap(TavOutput* out) {
    for (int i = 0; i < TAV_OUTPUT_BUFFERS; ++i)
        if (out->queued[i] && (out->headers[i].dwFlags & WHDR_DONE)) out->queued[i] = false;
}

}  // namespace

TavOutput* TavOutputOpen(const char* namePrefix, uint32_t sampleRate, int channels) {
    WAVEFORMATEX fmt = {};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = WORD(channels);
    fmt.nSamplesPerSec = sampleRate;
    fmt.wBitsPerSample = 16;
    fmt.nBlockAlign = WORD(channels * 2);
    fmt.nAvgBytesPerSec = sampleRate * fmt.nBlockAlign;
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, FindDevice(namePrefix), &fmt, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return nullptr;
    TavOutput* out = new TavOutput();
    out->device = device;
    out->blockAlign = fmt.nBlockAlign;
    for (int i = 0; i < TAV_OUTPUT_BUFFERS; ++i) {
        out->memory[i].assign(size_t(TAV_OUTPUT_BUFFER_FRAMES) * size_t(out->blockAlign), 0);
        WAVEHDR& h = out->headers[i];
        std::memset(&h, 0, sizeof h);
        h.lpData = out->memory[i].data();
        h.dwBufferLength = DWORD(out->memory[i].size());
        waveOutPrepareHeader(device, &h, sizeof h);
        out->queued[i] = false;
    }
    return out;
}

void TavOutputClose(TavOutput* out) {
    if (!out) return;
    waveOutReset(out->device);
    for (int i = 0; i < TAV_OUTPUT_BUFFERS; ++i) waveOutUnprepareHeader(out->device, &out->headers[i], sizeof(WAVEHDR));
    waveOutClose(out->device);
    delete out;
}

int TavOutputFreeBuffers(TavOutput* out) {
    Reap(out);
    int n = 0;
    for (int i = 0; i < TAV_OUTPUT_BUFFERS; ++i) n += out->queued[i] ? 0 : 1;
    return n;
}

int TavOutputWrite(TavOutput* out, const int16_t* pcm, uint32_t frames) {
    Reap(out);
    if (frames > TAV_OUTPUT_BUFFER_FRAMES) frames = TAV_OUTPUT_BUFFER_FRAMES;
    for (int i = 0; i < TAV_OUTPUT_BUFFERS; ++i) {
        if (out->queued[i]) continue;
        WAVEHDR& h = out->headers[i];
        std::memcpy(h.lpData, pcm, size_t(frames) * size_t(out->blockAlign));
        h.dwBufferLength = DWORD(frames) * DWORD(out->blockAlign);
        h.dwFlags &= ~DWORD(WHDR_DONE);
        if (waveOutWrite(out->device, &h, sizeof h) != MMSYSERR_NOERROR) return 0;
        out->queued[i] = true;
        return 1;
    }
    return 0;
}

uint64_t TavOutputPlayed(TavOutput* out) {
    MMTIME t = {};
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(out->device, &t, sizeof t) != MMSYSERR_NOERROR) return 0;
    if (t.wType == TIME_SAMPLES) return t.u.sample;
    if (t.wType == TIME_BYTES) return t.u.cb / DWORD(out->blockAlign);
    return 0;
}

void TavOutputPause(TavOutput* out) { waveOutPause(out->device); }

void TavOutputRestart(TavOutput* out) { waveOutRestart(out->device); }

void TavOutputReset(TavOutput* out) {
    waveOutReset(out->device);
    Reap(out);
}
