// minwave: the least a Windows program can do to record or play audio, as the floor the deck's CPU
// share is measured against (bench/deck_cpu/deck_cpu.sh).
//   minwave rec RATE SECONDS [OUT.wav [BUFFERS MS]]
//                               records 16-bit stereo from the default input in 8 buffers of 10 ms
//                               (or BUFFERS of MS each) and throws it away, or keeps it in OUT.wav
//                               (for counting lost frames)
//   minwave mp3 RATE SECONDS KBPS [OUT.mp3]
//                               records as rec does and encodes layer III at KBPS through
//                               tavenc.dll as the deck's MP3 recording sets it up (stereo, the
//                               input's rate), into OUT.mp3 or nowhere: the floor of a recording
//                               that must pay for its encoder
//   minwave play RATE SECONDS   plays a 440 Hz tone, 16-bit stereo, in 100 ms buffers, copied from
//                               one second of it made at the start
//   minwave idle RATE SECONDS   only sleeps: what Wine itself costs while a program idles
// All wait on an event the wave service sets, so they only run when a buffer is done.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/bench_wave.h"
#include "tavenc_api.h"

namespace {
const int CHANNELS = 2, BYTES_PER_FRAME = 4;
const int REC_BUFFERS = 8, REC_BUFFER_MS = 10, MAX_REC_BUFFERS = 200;
const int PLAY_BUFFERS = 4, PLAY_BUFFER_MS = 100;

const int MP3_LAYER = 3;

// The encoder library bound at run time, fed with whole buffers as they come: PCM waits in
// `pending` until Encode has taken what it can, and every pass goes to the file.
struct Mp3Encoder {
    HMODULE library;
    MpegAudioEncodeSetInfoFn setInfo;
    MpegAudioEncodeResetFn reset;
    MpegAudioEncodeFn encode;
    MpegAudioEncodeFlushFn flush;
    alignas(8) uint8_t context[TAVENC_CONTEXT_BYTES];
    std::vector<uint8_t> pending, out;
    size_t waiting;
    FILE* file;
    unsigned long long bytes;  // MPEG bytes produced
};

int OpenEncoder(Mp3Encoder* e, int rate, int kbps, size_t bufferBytes, const char* path) {
    e->library = LoadLibraryA("tavenc.dll");
    if (!e->library) return 0;
    e->setInfo = (MpegAudioEncodeSetInfoFn)(void*)GetProcAddress(e->library, "MpegAudioEncodeSetInfo");
    e->reset = (MpegAudioEncodeResetFn)(void*)GetProcAddress(e->library, "MpegAudioEncodeReset");
    e->encode = (MpegAudioEncodeFn)(void*)GetProcAddress(e->library, "MpegAudioEncode");
    e->flush = (MpegAudioEncodeFlushFn)(void*)GetProcAddress(e->library, "MpegAudioEncodeFlush");
    if (!e->setInfo || !e->reset || !e->encode || !e->flush) return 0;
    std::memset(e->context, 0, sizeof e->context);
    if (!e->setInfo(e->context, MP3_LAYER, rate, kbps) || !e->reset(e->context)) return 0;
    e->pending.assign(bufferBytes + TAVENC_MIN_INPUT_BYTES, 0);
    e->out.assign(2 * (bufferBytes + TAVENC_MIN_INPUT_BYTES), 0);  // far more than the MPEG of that PCM
    e->waiting = 0;
    e->bytes = 0;
    e->file = path ? std::fopen(path, "wb") : nullptr;
    return !path || e->file;
}

uint32_t OutputStyle(const Mp3Encoder* e) {
    uint32_t style;
    std::memcpy(&style, e->context + TAVENC_OUTPUT_STYLE_WORD * 4, 4);
    return style;
}

void Encode(Mp3Encoder* e, const char* data, size_t bytes) {
    std::memcpy(e->pending.data() + e->waiting, data, bytes);
    e->waiting += bytes;
    uint8_t* out = e->out.data();
    const uint8_t* in = e->pending.data();
    do {
        uint32_t produced = 0, consumed = 0;
        if (!e->encode(&out, e->out.data() + e->out.size(), &produced, &in, in + e->waiting, &consumed)) break;
        e->waiting -= consumed;
        if (OutputStyle(e) != TAVENC_OUTPUT_STYLE_HELD) e->flush(&out, e->out.data() + e->out.size(), &produced);
        if (!consumed) break;
    } while (e->waiting >= TAVENC_MIN_INPUT_BYTES);
    std::memmove(e->pending.data(), in, e->waiting);
    size_t made = (size_t)(out - e->out.data());
    e->bytes += made;
    if (e->file && made) std::fwrite(e->out.data(), 1, made, e->file);
}

void CloseEncoder(Mp3Encoder* e) {
    uint8_t* out = e->out.data();
    uint32_t produced = 0;
    if (e->flush) e->flush(&out, e->out.data() + e->out.size(), &produced);
    size_t made = (size_t)(out - e->out.data());
    e->bytes += made;
    if (e->file) {
        if (made) std::fwrite(e->out.data(), 1, made, e->file);
        std::fclose(e->file);
    }
    if (e->library) FreeLibrary(e->library);
}

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

int Record(int rate, int seconds, const char* out, int buffers, int bufferMs, Mp3Encoder* mp3 = nullptr) {
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
            if (mp3) Encode(mp3, h.lpData, h.dwBytesRecorded);
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
    // One second of the tone is made once and copied from, looping: a whole number of periods
    // at every rate, and nothing computed per sample while playing (that would raise the floor).
    std::vector<short> tone((size_t)rate * CHANNELS);
    for (size_t k = 0; k < (size_t)rate; ++k)
        tone[2 * k] = tone[2 * k + 1] = (short)(8000 * std::sin(2 * 3.14159265358979 * 440.0 * (double)k / rate));
    size_t at = 0;  // the next frame of the tone
    auto fill = [&](int i) {
        for (size_t done = 0; done < frames;) {
            size_t n = std::min(frames - done, (size_t)rate - at);
            std::memcpy(&data[i][2 * done], &tone[2 * at], n * BYTES_PER_FRAME);
            done += n;
            at = (at + n) % (size_t)rate;
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
        std::fprintf(stderr, "usage: minwave rec|mp3|play|idle RATE SECONDS [OUT.wav [BUFFERS MS] | KBPS [OUT.mp3]]\n");
        return 2;
    }
    int rate = std::atoi(argv[2]), seconds = std::atoi(argv[3]);
    if (!std::strcmp(argv[1], "rec")) {
        int buffers = argc > 6 ? std::atoi(argv[5]) : REC_BUFFERS, ms = argc > 6 ? std::atoi(argv[6]) : REC_BUFFER_MS;
        if (buffers < 2 || buffers > MAX_REC_BUFFERS || ms < 1 || ms > 1000) return 2;
        return Record(rate, seconds, argc > 4 ? argv[4] : nullptr, buffers, ms);
    }
    if (!std::strcmp(argv[1], "mp3") && argc > 4) {
        Mp3Encoder mp3 = {};
        size_t bufferBytes = (size_t)rate * BYTES_PER_FRAME * REC_BUFFER_MS / 1000;
        int ok = OpenEncoder(&mp3, rate, std::atoi(argv[4]), bufferBytes, argc > 5 ? argv[5] : nullptr);
        int result = ok ? Record(rate, seconds, nullptr, REC_BUFFERS, REC_BUFFER_MS, &mp3) : 1;
        CloseEncoder(&mp3);
        if (ok) std::printf("encoded %llu bytes\n", mp3.bytes);
        return result;
    }
    if (!std::strcmp(argv[1], "play")) return Play(rate, seconds);
    if (!std::strcmp(argv[1], "idle")) {
        Sleep((DWORD)seconds * 1000);
        return 0;
    }
    return 2;
}
