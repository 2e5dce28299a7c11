// Clocked stand-in for the output device in the native build: plays queued buffers in real
// time against the steady clock, honours pause, restart and reset, and discards the samples.
#include <chrono>
#include <deque>

#include "tavply_output.h"

struct TavOutput {
    uint32_t rate;
    bool paused;                                 // device starts running, like waveOut
    double playedAtMark;                         // frames played when the clock was last read
    std::chrono::steady_clock::time_point mark;  // when playedAtMark was taken
    uint64_t written;                            // frames queued since open or reset
    std::deque<uint64_t> bufferEnds;             // end position of each queued buffer
};

namespace {

void Advance(TavOutput* out) {
    auto now = std::chrono::steady_clock::now();
    if (!out->paused) {
        double secs = std::chrono::duration<double>(now - out->mark).count();
        out->playedAtMark += secs * out->rate;
        if (out->playedAtMark > double(out->written)) out->playedAtMark = double(out->written);
    }
    out->mark = now;
    while (!out->bufferEnds.empty() && double(out->bufferEnds.front()) <= out->playedAtMark)
        out->bufferEnds.pop_front();
}

}  // namespace

TavOutput* TavOutputOpen(const char*, uint32_t sampleRate, int) {
    TavOutput* out = new TavOutput();
    out->rate = sampleRate;
    out->paused = false;
    out->playedAtMark = 0;
    out->mark = std::chrono::steady_clock::now();
    out->written = 0;
    return out;
}

void TavOutputClose(TavOutput* out) { delete out; }

int TavOutputFreeBuffers(TavOutput* out) {
    Advance(out);
    return TAV_OUTPUT_BUFFERS - int(out->bufferEnds.size());
}

int TavOutputWrite(TavOutput* out, const int16_t*, uint32_t frames) {
    Advance(out);
    if (int(out->bufferEnds.size()) >= TAV_OUTPUT_BUFFERS) return 0;
    out->written += frames;
    out->bufferEnds.push_back(out->written);
    return 1;
}

uint64_t TavOutputPlayed(TavOutput* out) {
    Advance(out);
    return uint64_t(out->playedAtMark);
}

void TavOutputPause(TavOutput* out) {
    Advance(out);
    out->paused = true;
}

void TavOutputRestart(TavOutput* out) {
    Advance(out);
    out->paused = false;
}

void TavOutputReset(TavOutput* out) {
    Advance(out);
    out->playedAtMark = 0;
    out->written = 0;
    out->bufferEnds.clear();
}
