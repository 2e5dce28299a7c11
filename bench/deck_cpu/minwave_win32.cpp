// minwave: the least a Windows program can do to record or play audio, as the floor the deck's CPU
// share is measured against (bench/deck_cpu/deck_cpu.sh).
//   minwave rec RATE SECONDS [OUT.wav [BUFFERS MS]]
//                               records 16-bit stereo from the default input in 8 buffers of 10 ms
//                               (or BUFFERS of MS each) and throws it away, or keeps it in OUT.wav
//                               (for counting lost frames)
//   minwave play RATE SECONDS   plays a 440 Hz tone, 16-bit stereo, in 100 ms buffers
// Both wait on an event the wave service sets, so they only run when a buffer is done.
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/bench_wave.h"

namespace {
const int CHANNELS = 2, BYTES_PER_FRAME = 4;
const int REC_BUFFERS = 8, REC_BUFFER_MS = 10, MAX_REC_BUFFERS = 200;
const int PLAY_BUFFERS = 4, PLAY_BUFFER_MS = 100;

WAVEFORMATEX Format(int rate) {
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = CHANNELS;
    f.nSamplesPerSec = (DWORD)rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = BYTES_PER_FRAME;
    f.nAvgBytesPerSec = (DWORD)rate * BYTES_PER_FRAME;
    return f;
}

int Record(int rate, int seconds, const char* out, int buffers, int bufferMs) {
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX f = Format(rate);
    HWAVEIN in = nullptr;
    if (waveInOpen(&in, WAVE_MAPPER, &f, (DWORD_PTR)done, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) return 1;
    size_t bytes = (size_t)rate * BYTES_PER_FRAME * bufferMs / 1000;
    std::vector<std::vector<char>> data(buffers, std::vector<char>(bytes));
    std::vector<WAVEHDR> hdr(buffers);
    for (int i = 0; i < buffers; ++i) {
        hdr[i] = {};
        hdr[i].lpData = data[i].data();
        hdr[i].dwBufferLength = (DWORD)bytes;
        waveInPrepareHeader(in, &hdr[i], sizeof(WAVEHDR));
        waveInAddBuffer(in, &hdr[i], sizeof(WAVEHDR));
    }
    bench::WaveOut file;
    if (out && !bench::WaveOpen(&file, out, (uint32_t)rate, CHANNELS)) return 1;
    waveInStart(in);
    DWORD end = GetTickCount() + (DWORD)seconds * 1000;
    unsigned long long frames = 0;
    int next = 0;
    while ((int)(end - GetTickCount()) > 0) {
        WaitForSingleObject(done, 100);
        // Buffers come back in the order they were queued: take them in that order.
        while (hdr[next].dwFlags & WHDR_DONE) {
            WAVEHDR& h = hdr[next];
            frames += h.dwBytesRecorded / BYTES_PER_FRAME;
            if (out) bench::WaveAppend(&file, h.lpData, h.dwBytesRecorded);
            h.dwFlags &= ~WHDR_DONE;
            waveInAddBuffer(in, &h, sizeof(WAVEHDR));
            next = (next + 1) % buffers;
        }
    }
    waveInReset(in);
    for (WAVEHDR& h : hdr) waveInUnprepareHeader(in, &h, sizeof(WAVEHDR));
    waveInClose(in);
    if (out) bench::WaveClose(&file);
    std::printf("recorded %llu frames\n", frames);
    return 0;
}

int Play(int rate, int seconds) {
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    WAVEFORMATEX f = Format(rate);
    HWAVEOUT out = nullptr;
    if (waveOutOpen(&out, WAVE_MAPPER, &f, (DWORD_PTR)done, 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) return 1;
    size_t frames = (size_t)rate * PLAY_BUFFER_MS / 1000;
    std::vector<std::vector<short>> data(PLAY_BUFFERS, std::vector<short>(frames * CHANNELS));
    std::vector<WAVEHDR> hdr(PLAY_BUFFERS);
    unsigned long long at = 0;
    auto fill = [&](int i) {
        for (size_t k = 0; k < frames; ++k, ++at) {
            short v = (short)(8000 * std::sin(2 * 3.14159265358979 * 440.0 * (double)at / rate));
            data[i][2 * k] = data[i][2 * k + 1] = v;
        }
    };
    for (int i = 0; i < PLAY_BUFFERS; ++i) {
        fill(i);
        hdr[i] = {};
        hdr[i].lpData = (char*)data[i].data();
        hdr[i].dwBufferLength = (DWORD)(frames * BYTES_PER_FRAME);
        waveOutPrepareHeader(out, &hdr[i], sizeof(WAVEHDR));
        waveOutWrite(out, &hdr[i], sizeof(WAVEHDR));
    }
    DWORD end = GetTickCount() + (DWORD)seconds * 1000;
    while ((int)(end - GetTickCount()) > 0) {
        WaitForSingleObject(done, 200);
        for (int i = 0; i < PLAY_BUFFERS; ++i) {
            if (!(hdr[i].dwFlags & WHDR_DONE)) continue;
            fill(i);
            hdr[i].dwFlags &= ~WHDR_DONE;
            waveOutWrite(out, &hdr[i], sizeof(WAVEHDR));
        }
    }
    waveOutReset(out);
    for (WAVEHDR& h : hdr) waveOutUnprepareHeader(out, &h, sizeof(WAVEHDR));
    waveOutClose(out);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: minwave rec|play RATE SECONDS [OUT.wav [BUFFERS MS]]\n");
        return 2;
    }
    int rate = std::atoi(argv[2]), seconds = std::atoi(argv[3]);
    if (!std::strcmp(argv[1], "rec")) {
        int buffers = argc > 6 ? std::atoi(argv[5]) : REC_BUFFERS, ms = argc > 6 ? std::atoi(argv[6]) : REC_BUFFER_MS;
        if (buffers < 2 || buffers > MAX_REC_BUFFERS || ms < 1 || ms > 1000) return 2;
        return Record(rate, seconds, argc > 4 ? argv[4] : nullptr, buffers, ms);
    }
    if (!std::strcmp(argv[1], "play")) return Play(rate, seconds);
    return 2;
}
