// The player calls of tavply: one open track at a time, decoded on the library's own thread into
// the output device's buffer queue. Position and levels follow what is being heard (the
// device's played-sample count), not what has been decoded. Portable: the device is reached
// only through tavply_output.h.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mpa_source.h"
#include "tavply_api.h"
#include "tavply_info.h"
#include "tavply_output.h"

namespace {

// The device queue holds TAV_OUTPUT_BUFFERS buffers, about 740 ms at 44.1 kHz (680 ms at 48 kHz).
// Topping it up every 250 ms keeps at least 430 ms queued against a late wake-up, at four wakes a
// second: under Wine each wake of this thread costs Wine server round trips and thread switches
// on top of the device's own, and a 100 ms refill of a half-size queue made this thread the
// player's biggest cost beside the device. Once everything is decoded, the worker wakes when the
// last buffer should have been heard, so the end is seen at once.
const int WORKER_REFILL_MS = 250;
// Start and a move of the position queue this many buffers (about 510 ms) before the device runs:
// enough to outlast the worker's sleep (a move does not wake it) by a quarter of a second, and no
// more decoding than a search, which moves the position every tick, can afford.
const int PRIME_BUFFERS = 11;
const int LEVEL_SLOTS = TAV_OUTPUT_BUFFERS * 2;
static_assert(PRIME_BUFFERS * TAV_OUTPUT_BUFFER_FRAMES * 1000 / 48000 > WORKER_REFILL_MS + 200,
              "a primed queue must outlast the worker's sleep with time to spare");

// Peaks of one queued buffer, for the meters.
struct LevelSlot {
    uint64_t end;  // device position (frames since reset) where the buffer ends
    uint16_t peak[2];
};

// Player state, one per process (the calls carry no handle).
struct Player {
    std::mutex lock;               // guards everything below; the worker holds it while it decodes
    std::condition_variable wake;  // Start, Close and Term wake the worker early
    std::thread worker;
    bool initialised = false;  // MpegAudioPlayInit done
    bool quit = false;         // worker must end
    bool open = false;         // a track is open
    int32_t status = TAVPLY_STATUS_NOT_READY;
    std::string path;  // the open track's path
    std::unique_ptr<MpaSource> source;
    TavOutput* output = nullptr;
    uint64_t base = 0;              // track sample at the device's position 0
    uint64_t written = 0;           // frames queued since the last reset
    bool sourceDone = false;        // the decoder has delivered its last sample
    LevelSlot levels[LEVEL_SLOTS];  // ring of recently queued buffers
    int levelNext = 0;
    std::vector<float> scratch;  // decoded samples of one buffer
    std::vector<int16_t> pcm;    // the same as 16-bit
};

// Never destroyed: the worker thread may still exist when the process ends without Term, and
// destroying a joinable thread would abort the process.
Player& ThePlayer() {
    static Player* player = new Player();
    return *player;
}

// Decodes and queues buffers while the device has room, at most `most`. Called with the lock held.
void FillOutput(Player& p, int most = TAV_OUTPUT_BUFFERS) {
    int nch = p.source->channels;
    for (int queued = 0; queued < most && !p.sourceDone && TavOutputFreeBuffers(p.output) > 0; ++queued) {
        size_t n = MpaSourceRead(p.source.get(), p.scratch.data(), TAV_OUTPUT_BUFFER_FRAMES);
        if (n == 0) {
            p.sourceDone = true;
            break;
        }
        uint16_t peak[2] = {0, 0};
        for (size_t i = 0; i < n * size_t(nch); ++i) {
            float v = p.scratch[i] * 32768.0f;
            v = v > 32767.0f ? 32767.0f : v < -32768.0f ? -32768.0f : v;
            int16_t s = int16_t(v + (v >= 0.0f ? 0.5f : -0.5f));  // round to nearest
            p.pcm[i] = s;
            uint16_t a = uint16_t(s < 0 ? (s == -32768 ? 32767 : -s) : s);
            int ch = nch == 2 ? int(i & 1) : 0;
            if (a > peak[ch]) peak[ch] = a;
        }
        if (nch == 1) peak[1] = peak[0];
        if (!TavOutputWrite(p.output, p.pcm.data(), uint32_t(n))) break;
        p.written += n;
        LevelSlot& slot = p.levels[p.levelNext];
        p.levelNext = (p.levelNext + 1) % LEVEL_SLOTS;
        slot.end = p.written;
        slot.peak[0] = peak[0];
        slot.peak[1] = peak[1];
    }
}

// How long the playing worker may sleep: the refill period, or less when the end is nearer.
int NextWakeMs(Player& p) {
    if (!p.sourceDone) return WORKER_REFILL_MS;
    uint64_t played = TavOutputPlayed(p.output);
    uint64_t left = p.written > played ? p.written - played : 0;
    uint64_t ms = left * 1000 / p.source->sampleRate + 1;
    return ms < uint64_t(WORKER_REFILL_MS) ? int(ms) : WORKER_REFILL_MS;
}

void WorkerLoop() {
    Player& p = ThePlayer();
    std::unique_lock<std::mutex> guard(p.lock);
    while (!p.quit) {
        if (p.open && p.status == TAVPLY_STATUS_PLAYING) {
            FillOutput(p);
            // the track ends when everything decoded has been heard
            if (p.sourceDone && TavOutputPlayed(p.output) >= p.written) p.status = TAVPLY_STATUS_STOPPED;
        }
        // Idle, the worker sleeps until Start, Close or Term wakes it: an idle deck stays idle.
        if (p.open && p.status == TAVPLY_STATUS_PLAYING)
            p.wake.wait_for(guard, std::chrono::milliseconds(NextWakeMs(p)));
        else
            p.wake.wait(guard);
    }
}

uint64_t TotalSamples(const Player& p) { return p.source->info.samples; }

// Track position being heard, in samples. Called with the lock held.
uint64_t HeardSamples(Player& p) {
    uint64_t played = TavOutputPlayed(p.output);
    if (played > p.written) played = p.written;
    uint64_t pos = p.base + played;
    return std::min(pos, TotalSamples(p));
}

void ResetLevels(Player& p) {
    std::memset(p.levels, 0, sizeof p.levels);
    p.levelNext = 0;
}

void CloseTrack(Player& p) {
    if (p.output) {
        TavOutputReset(p.output);
        TavOutputClose(p.output);
    }
    p.output = nullptr;
    p.source.reset();  // closes the file
    p.path.clear();
    p.open = false;
    p.status = TAVPLY_STATUS_NOT_READY;
}

}  // namespace

extern "C" {

int32_t TAV_CALL MpegAudioPlayInit(void) {
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    if (p.initialised) return 0;
    p.quit = false;
    p.worker = std::thread(WorkerLoop);
    p.initialised = true;
    return 0;
}

int32_t TAV_CALL MpegAudioPlayTerm(void) {
    Player& p = ThePlayer();
    {
        std::lock_guard<std::mutex> guard(p.lock);
        if (!p.initialised) return TAVPLY_ERR_STATE;
        CloseTrack(p);
        p.quit = true;
    }
    p.wake.notify_all();
    if (p.worker.joinable()) p.worker.join();
    std::lock_guard<std::mutex> guard(p.lock);
    p.initialised = false;
    return 0;
}

// Thread priority is the library's own business; the call is accepted and ignored.
int32_t TAV_CALL MpegAudioPlaySetThread(int32_t) { return 0; }

int32_t TAV_CALL MpegAudioPlayOpen(const char* path, const char* deviceName) {
    Player& p = ThePlayer();
    if (!path || !path[0]) return TAVPLY_ERR_ARGUMENT;
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.initialised || p.open) return TAVPLY_ERR_STATE;
    std::unique_ptr<MpaSource> src(new MpaSource());
    FILE* probe = std::fopen(path, "rb");
    if (!probe) return TAVPLY_ERR_OPEN;
    std::fclose(probe);
    if (!MpaSourceOpenFile(src.get(), path)) return TAVPLY_ERR_FORMAT;
    TavOutput* out = TavOutputOpen(deviceName ? deviceName : "", src->sampleRate, src->channels);
    if (!out) return TAVPLY_ERR_DEVICE;
    TavOutputPause(out);  // nothing plays before Start
    p.source = std::move(src);
    p.output = out;
    p.base = 0;
    p.written = 0;
    p.sourceDone = false;
    ResetLevels(p);
    p.scratch.assign(size_t(TAV_OUTPUT_BUFFER_FRAMES) * 2, 0.0f);
    p.pcm.assign(size_t(TAV_OUTPUT_BUFFER_FRAMES) * 2, 0);
    p.path = path;
    p.open = true;
    p.status = TAVPLY_STATUS_STOPPED;
    return 0;
}

int32_t TAV_CALL MpegAudioPlayClose(void) {
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.open) return TAVPLY_ERR_STATE;
    CloseTrack(p);
    return 0;
}

int32_t TAV_CALL MpegAudioPlayGetInfo(void* info, void* ext) {
    if (!info || !ext) return TAVPLY_ERR_ARGUMENT;
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.open) return TAVPLY_ERR_STATE;
    // the open track's description, with the exact counts of the player's frame walk
    TavFillInfo(p.path.c_str(), &p.source->reader, p.source->info, static_cast<uint8_t*>(info),
                static_cast<uint8_t*>(ext));
    return 0;
}

int32_t TAV_CALL MpegAudioPlayStart(void) {
    Player& p = ThePlayer();
    {
        std::lock_guard<std::mutex> guard(p.lock);
        if (!p.open) return TAVPLY_ERR_STATE;
        if (p.status == TAVPLY_STATUS_PLAYING) return 0;
        // resume where it stopped: the queued buffers are still in the paused device
        p.status = TAVPLY_STATUS_PLAYING;
        FillOutput(p, PRIME_BUFFERS);
        TavOutputRestart(p.output);
    }
    p.wake.notify_all();
    return 0;
}

int32_t TAV_CALL MpegAudioPlayStop(void) {
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.open) return TAVPLY_ERR_STATE;
    TavOutputPause(p.output);
    p.status = TAVPLY_STATUS_STOPPED;
    return 0;
}

// Pausing is the same as stopping for this player: Start resumes either way.
int32_t TAV_CALL MpegAudioPlayPause(void) {
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.open) return TAVPLY_ERR_STATE;
    TavOutputPause(p.output);
    p.status = TAVPLY_STATUS_PAUSED;
    return 0;
}

int32_t TAV_CALL MpegAudioPlaySetPosition(uint32_t ms) {
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.open) return TAVPLY_ERR_STATE;
    uint64_t total = TotalSamples(p);
    uint64_t target = ms == TAVPLY_POSITION_END ? total : uint64_t(ms) * p.source->sampleRate / 1000;
    if (target > total) target = total;
    bool playing = p.status == TAVPLY_STATUS_PLAYING;
    TavOutputReset(p.output);
    MpaSourceSeek(p.source.get(), target);
    p.base = target;
    p.written = 0;
    p.sourceDone = target >= total;
    ResetLevels(p);
    if (playing) {
        FillOutput(p, PRIME_BUFFERS);
        TavOutputRestart(p.output);
    } else {
        TavOutputPause(p.output);
    }
    return 0;
}

int32_t TAV_CALL MpegAudioPlayGetPosition(uint32_t* msOut) {
    if (!msOut) return TAVPLY_ERR_ARGUMENT;
    *msOut = 0;
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.open) return TAVPLY_ERR_STATE;
    *msOut = uint32_t(HeardSamples(p) * 1000 / p.source->sampleRate);
    return 0;
}

int32_t TAV_CALL MpegAudioPlayGetLevel(uint16_t* levelsOut) {
    if (!levelsOut) return TAVPLY_ERR_ARGUMENT;
    levelsOut[0] = levelsOut[1] = 0;
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    if (!p.open) return TAVPLY_ERR_STATE;
    if (p.status != TAVPLY_STATUS_PLAYING) return 0;
    uint64_t played = TavOutputPlayed(p.output);
    // the buffer being heard is the queued one with the smallest end beyond the played count
    const LevelSlot* best = nullptr;
    for (const LevelSlot& s : p.levels)
        if (s.end > played && (!best || s.end < best->end)) best = &s;
    if (best) {
        levelsOut[0] = best->peak[0];
        levelsOut[1] = best->peak[1];
    }
    return 0;
}

int32_t TAV_CALL MpegAudioPlayGetStatus(int32_t* statusOut) {
    if (!statusOut) return TAVPLY_ERR_ARGUMENT;
    Player& p = ThePlayer();
    std::lock_guard<std::mutex> guard(p.lock);
    *statusOut = p.open ? p.status : TAVPLY_STATUS_NOT_READY;
    return 0;
}

// The player needs no window messages; present for callers that forward them.
int32_t TAV_CALL MpegAudioPlayHandler(void*, uint32_t, uintptr_t, intptr_t) { return 0; }

}  // extern "C"
