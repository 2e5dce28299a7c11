// The fake capture device of the native build: buffers queue in order and are filled on demand
// or as the fake clock runs, like a driver delivering 100 ms blocks.
#include "record/wave_in.h"

#include <cstddef>
#include <deque>

#include "base/clock.h"
#include "record/capture.h"

namespace {
enum { FAKE_BUFFER_MS = 100 };

struct FakeWaveIn {
    int open = 0;
    int started = 0;
    uint16_t channels = 2;
    std::deque<int> queued;               // slots at the device, oldest first
    uint8_t* data[WAVE_IN_BUFFERS] = {};  // each slot's data block
    uint32_t bytes[WAVE_IN_BUFFERS] = {};
    uint32_t recorded[WAVE_IN_BUFFERS] = {};
    int signal = FAKE_WAVE_IN_CONSTANT;
    int16_t left = 0, right = 0;
    uint32_t frameNumber = 0;  // counter signal
    uint32_t pendingMs = 0;    // fake time not yet turned into a buffer
    int failOpenIndex = -1;
    int failQueueAt = 0;  // counts down on each queue call
    int deviceError = 0;
};
FakeWaveIn g_fake;

void FillOne() {
    if (g_fake.queued.empty() || !g_fake.started) return;
    int slot = g_fake.queued.front();
    g_fake.queued.pop_front();
    uint8_t* p = g_fake.data[slot];
    uint32_t frames = g_fake.bytes[slot] / (2u * g_fake.channels);
    for (uint32_t i = 0; i < frames; ++i) {
        int16_t l = g_fake.left, r = g_fake.right;
        if (g_fake.signal == FAKE_WAVE_IN_COUNTER) {
            l = (int16_t)(g_fake.frameNumber & 0x7FFF);
            r = (int16_t)-l;
            ++g_fake.frameNumber;
        }
        int16_t s[2] = {l, r};
        for (int c = 0; c < g_fake.channels; ++c) {
            p[0] = (uint8_t)(s[c & 1] & 0xFF);
            p[1] = (uint8_t)((uint16_t)s[c & 1] >> 8);
            p += 2;
        }
    }
    g_fake.recorded[slot] = g_fake.bytes[slot];
    MarkBufferFilled(slot);
}
}  // namespace

int WaveInOpen(uint32_t index, uint16_t channels, uint32_t sampleRate, uint16_t bits) {
    if (g_fake.open || (int)index == g_fake.failOpenIndex) return 0;
    g_fake.open = 1;
    g_fake.started = 0;
    g_fake.channels = channels;
    g_fake.queued.clear();
    return 1;
}

int WaveInQueue(int slot, uint8_t* data, uint32_t bytes) {
    if (!g_fake.open || slot < 0 || slot >= WAVE_IN_BUFFERS || !data) return 0;
    if (g_fake.failQueueAt > 0 && --g_fake.failQueueAt == 0) return 0;
    g_fake.data[slot] = data;
    g_fake.bytes[slot] = bytes;
    g_fake.recorded[slot] = 0;
    g_fake.queued.push_back(slot);
    return 1;
}

uint32_t WaveInRecordedBytes(int slot) { return (slot >= 0 && slot < WAVE_IN_BUFFERS) ? g_fake.recorded[slot] : 0; }

int WaveInStart() {
    if (!g_fake.open) return 0;
    g_fake.started = 1;
    g_fake.pendingMs = 0;
    return 1;
}

void WaveInClose() {
    // A reset returns every queued buffer empty, with its done message.
    while (!g_fake.queued.empty()) {
        int slot = g_fake.queued.front();
        g_fake.queued.pop_front();
        g_fake.recorded[slot] = 0;
        MarkBufferFilled(slot);
    }
    g_fake.open = 0;
    g_fake.started = 0;
    g_fake.deviceError = 0;
}

int WaveInIsOpen() { return g_fake.open; }
int WaveInFailed() { return g_fake.open && g_fake.deviceError; }

void SetFakeWaveInSignal(int kind, int16_t left, int16_t right) {
    g_fake.signal = kind;
    g_fake.left = left;
    g_fake.right = right;
}

int AdvanceFakeWaveIn(uint32_t ms) {
    AdvanceFakeTickCount(ms);
    g_fake.pendingMs += ms;
    int filled = 0;
    while (g_fake.pendingMs >= FAKE_BUFFER_MS) {
        g_fake.pendingMs -= FAKE_BUFFER_MS;
        size_t before = g_fake.queued.size();
        FillOne();
        filled += before != g_fake.queued.size();
    }
    return filled;
}

void FillFakeWaveInBuffers(int count) {
    for (int i = 0; i < count; ++i) FillOne();
}

int FakeWaveInQueued() { return (int)g_fake.queued.size(); }

void SetFakeWaveInFailures(int failOpenIndex, int failQueueAt, int deviceError) {
    g_fake.failOpenIndex = failOpenIndex;
    g_fake.failQueueAt = failQueueAt;
    g_fake.deviceError = deviceError;
}

void ResetFakeWaveIn() { g_fake = FakeWaveIn(); }
