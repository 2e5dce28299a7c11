// Audio capture over the wave-in seam. The device fills 100 ms buffers of a 60-buffer ring; the
// recorder window's 10 ms timer runs CaptureStep on the GUI thread, which gives buffers back to
// the device, measures one buffer's peaks, and hands filled buffers to the record writer. The
// wave service's thread only ever sets a buffer's filled flag.
#include "record/capture.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "base/clock.h"
#include "base/message_box.h"
#include "media/titles.h"
#include "record/auto_record.h"
#include "record/record_disk.h"
#include "record/record_writer.h"
#include "record/recorder_window.h"
#include "record/wave_in.h"
#include "resources/resource.h"
#include "settings/settings.h"

namespace {
enum : uint64_t { DISK_RESERVE_BYTES = 0xA00000 };  // 10 MiB left when no recording limit is set
enum { DISK_RESERVE_TENTHS = 1 };                   // with a limit: stop at a tenth of the disk free
enum { FIRST_DATA_NONE = 0, FIRST_DATA_WRITTEN = 1, FIRST_DATA_STATUS_READ = 2 };
const uint8_t DEFAULT_INPUT_STATUS[CHANNEL_STATUS_BYTES] = {4, 6, 0, 0};
const char LOST_AUDIO_TEXT[] = "Could not capture audio.";
const char LOST_AUDIO_TEXT_JA[] = "オーディオを取り込めませんでした。";  // the same in Japanese
const char NO_ENCODER_BUFFER_TEXT[] = "Mpeg Buff not Alloced";

struct CaptureModule {
    uint16_t mode;                                       // CaptureMode
    std::vector<uint8_t> ring;                           // 60 data blocks of bufferBytes
    uint32_t bufferBytes;                                // one block: 100 ms
    std::atomic<uint16_t> filled[CAPTURE_RING_BUFFERS];  // BufferFilled: 1 = holds audio, not at the device
    uint16_t peakLeft[CAPTURE_RING_BUFFERS];             // PeakLeft of each measured buffer
    uint16_t peakRight[CAPTURE_RING_BUFFERS];            // PeakRight
    uint16_t requeueIndex;                               // oldest filled buffer, next back to the device
    uint16_t measureIndex;                               // next buffer to measure
    uint16_t writeIndex;                                 // next buffer to write
    uint16_t peakLeftNow, peakRightNow;                  // peaks of the last measured buffer, 0..32767
    uint16_t stepCounter;                                // timer steps, wraps
    uint16_t stepsSinceLevel;                            // steps since a buffer was last measured
    uint16_t firstData;                                  // FIRST_DATA_*
    uint16_t lostBuffers;                                // dropped because writing fell behind
    uint16_t deviceKind;                                 // CAPTURE_DEVICE_*
    int deviceFailed;                                    // the device went away during this capture
    uint8_t channelStatus[CHANNEL_STATUS_BYTES];         // ChannelStatus of the input
    uint32_t recordedInputRate;                          // RecordedInputRate
    uint32_t stepsRunTo;                                 // tick count the steps have been run up to
    int stepClockSet;                                    // stepsRunTo holds a time
};
CaptureModule g_cap;

uint16_t NextIndex(uint16_t i) { return (uint16_t)(i + 1 == CAPTURE_RING_BUFFERS ? 0 : i + 1); }
uint8_t* Block(int slot) { return g_cap.ring.data() + (size_t)slot * g_cap.bufferBytes; }
int IsFilled(int slot) { return g_cap.filled[slot].load(std::memory_order_acquire) == 1; }

// The deck's operations, registered by the deck, which sits above the recorder.
struct DeckHooks {
    RecorderDeckHooks hooks;
};
DeckHooks g_deckHooks;

// The recording ends through the deck, which closes and keeps the file; without a deck (tools,
// tests of the recorder alone) capture at least stops writing.
void StopThroughDeck() {
    if (g_deckHooks.hooks.stopRecording)
        g_deckHooks.hooks.stopRecording();
    else
        StopCapture(1);
}

int OpenCaptureDevice(const PcmFormat& f) {
    if (WaveInIsOpen()) return 0;
    int index = WAVE_DEVICE_NONE, count = 0;
    FindWaveDevice(0, &index, &count);
    g_cap.deviceKind = CAPTURE_DEVICE_NONE;
    if (count <= 0) return 0;
    if (index != WAVE_DEVICE_NONE) {
        if (!WaveInOpen((uint32_t)index, f.channels, f.sampleRate, f.bitsPerSample)) return 0;
        g_cap.deviceKind = CAPTURE_DEVICE_NAMED;
        return 1;
    }
    for (int i = 0; i < count; ++i)
        if (WaveInOpen((uint32_t)i, f.channels, f.sampleRate, f.bitsPerSample)) {
            g_cap.deviceKind = CAPTURE_DEVICE_FALLBACK;
            return 1;
        }
    return 0;
}

// Capture off, every buffer back from the device, device closed. Lost audio is reported here,
// once per capture.
void ResetCaptureDevice() {
    g_cap.mode = CAPTURE_OFF;
    SetCaptureTimer(0);
    WaveInClose();
    g_cap.deviceKind = CAPTURE_DEVICE_NONE;
    g_cap.peakLeftNow = g_cap.peakRightNow = 0;
    if (g_cap.lostBuffers != 0 || g_cap.deviceFailed) ShowDeckText(LOST_AUDIO_TEXT, LOST_AUDIO_TEXT_JA, 0);
    g_cap.deviceFailed = 0;
}

// The recording cannot go on: the deck stops it (closing the file with everything written so
// far), then the user is told why.
void StopForFault(int result) {
    char path[RECORD_PATH_BYTES] = "";
    GetRecordTarget(path);
    StopThroughDeck();
    if (result == RECORD_WRITE_FAILED || result == RECORD_WRITE_ENCODER_FAILED)
        ShowDeckMessage(STR_COULD_NOT_WRITE, path, JOIN_SPACE_DOT, MSGBOX_OK);
    else if (result == -1)
        ShowDeckMessage(STR_DISK_FULL, nullptr, JOIN_NONE, MSGBOX_OK);
}

int DiskIsFull() {
    char path[RECORD_PATH_BYTES] = "";
    GetRecordTarget(path);
    uint64_t freeBytes = 0, totalBytes = 0;
    if (!path[0] || !RecordDiskSpace(path, &freeBytes, &totalBytes)) return 0;
    if (Settings().recLimit == 0) return freeBytes < DISK_RESERVE_BYTES;
    return totalBytes == 0 || freeBytes * 10 <= totalBytes * DISK_RESERVE_TENTHS;
}

// Gives the oldest filled buffers back to the device while more than CAPTURE_MAX_HELD are held.
// 0 when the device would not take one (the step ends).
int ReturnSurplusBuffers() {
    int filledCount = 0;
    for (int i = 0; i < CAPTURE_RING_BUFFERS; ++i) filledCount += IsFilled(i);
    while (filledCount > CAPTURE_MAX_HELD) {
        uint16_t slot = g_cap.requeueIndex;
        if (!WaveInQueue(slot, Block(slot), g_cap.bufferBytes)) return 0;
        g_cap.filled[slot].store(0, std::memory_order_relaxed);
        if (g_cap.firstData == FIRST_DATA_STATUS_READ && g_cap.writeIndex == slot) {
            // The writer is 40 buffers behind: this one is lost to the recording. Paused, or
            // waiting for sound after an automatic stop, nothing is being written, so nothing is
            // lost: the buffer only goes back to the device.
            if (g_cap.mode == CAPTURE_WRITING) ++g_cap.lostBuffers;
            if (IsFilled(NextIndex(slot))) g_cap.writeIndex = NextIndex(slot);
        }
        g_cap.requeueIndex = NextIndex(slot);
        --filledCount;
    }
    return 1;
}

void MeasureNextBuffer() {
    ++g_cap.stepsSinceLevel;
    uint16_t slot = g_cap.measureIndex;
    if (!IsFilled(slot)) return;
    uint16_t left = 0, right = 0;
    const PcmFormat& f = RecordPcmFormat();
    uint32_t recorded = WaveInRecordedBytes(slot);
    if (recorded > g_cap.bufferBytes) recorded = g_cap.bufferBytes;
    if (f.bitsPerSample == 16 && f.channels >= 1) {
        const uint8_t* p = Block(slot);
        uint32_t frames = recorded / f.channels / 2;
        for (uint32_t i = 0; i < frames; ++i, p += 2 * f.channels) {
            int16_t l = (int16_t)(p[0] | (p[1] << 8));
            int16_t r = f.channels > 1 ? (int16_t)(p[2] | (p[3] << 8)) : l;
            // A negative sample counts as its complement, so -32768 measures 32767.
            uint16_t al = (uint16_t)(l < 0 ? ~l : l), ar = (uint16_t)(r < 0 ? ~r : r);
            if (al > left) left = al;
            if (ar > right) right = ar;
        }
    }
    g_cap.peakLeftNow = left;
    g_cap.peakRightNow = right;
    g_cap.peakLeft[slot] = left;
    g_cap.peakRight[slot] = right;
    g_cap.measureIndex = NextIndex(slot);
    g_cap.stepsSinceLevel = 0;
}

// Writes filled buffers in order for at most CAPTURE_WRITE_BUDGET_MS. 0 when the recording
// was stopped (the ring may be gone then).
int WriteFilledBuffers() {
    uint32_t start = TickCount();
    while (IsFilled(g_cap.writeIndex)) {
        uint16_t slot = g_cap.writeIndex;
        int result = WriteBuffer(Block(slot), WaveInRecordedBytes(slot), &g_cap.firstData);
        g_cap.writeIndex = NextIndex(slot);
        if (result != RECORD_WRITE_OK) {
            StopForFault(result);
            return 0;
        }
        uint32_t elapsed = TickCount() - start;
        if (elapsed >= CAPTURE_WRITE_BUDGET_MS && (uint32_t)-elapsed >= CAPTURE_WRITE_BUDGET_MS) break;
    }
    return 1;
}

// Once per recording, right after its first audio reached the file.
void ReadInputStatusOnce() {
    std::memcpy(g_cap.channelStatus, DEFAULT_INPUT_STATUS, CHANNEL_STATUS_BYTES);
    if (!OpenDevice(DEVICE_NUMBER)) {
        g_cap.recordedInputRate = INPUT_RATE_NO_DEVICE;
    } else {
        uint32_t code = 0;
        if (!ReadRegister(REG_INPUT_LOCK, &code)) {
            g_cap.recordedInputRate = INPUT_RATE_UNREADABLE;
        } else if (!IsLockCode(code)) {
            g_cap.recordedInputRate = INPUT_RATE_UNLOCKED;
        } else {
            uint8_t status[CHANNEL_STATUS_BYTES];
            if (ReadInputStatus(status)) std::memcpy(g_cap.channelStatus, status, CHANNEL_STATUS_BYTES);
            g_cap.recordedInputRate = RateFromLockCode(code);
        }
        CloseDevice();
    }
    g_cap.firstData = FIRST_DATA_STATUS_READ;
}

// The auto recorder's verdict on this step's peaks, carried out: a start goes through the deck
// and takes along the buffers that held the sound and those just before them; a split ends the
// file through the deck and arms the next one.
void AutoRecordDecision() {
    int action = AutoRecordStep(Settings().recAutoRecording, g_cap.mode, g_cap.deviceKind == CAPTURE_DEVICE_NAMED,
                                g_cap.peakLeftNow, g_cap.peakRightNow);
    if (action == AUTO_ACTION_START) {
        if (g_deckHooks.hooks.autoStart) g_deckHooks.hooks.autoStart();
        if (g_cap.mode != CAPTURE_WRITING) return;
        for (int i = 0; i < AutoRecordPreRollBuffers(); ++i) {
            uint16_t back = (uint16_t)(g_cap.writeIndex == 0 ? CAPTURE_RING_BUFFERS - 1 : g_cap.writeIndex - 1);
            if (!IsFilled(back)) break;
            g_cap.writeIndex = back;
        }
    } else if (action == AUTO_ACTION_SPLIT) {
        if (g_deckHooks.hooks.autoSplit) g_deckHooks.hooks.autoSplit();
        ClearEncoderOutputFlag();
    }
}

int AllocateRing() {
    g_cap.bufferBytes = RecordBufferBytes();
    if (g_cap.bufferBytes == 0) return 0;
    try {
        g_cap.ring.assign((size_t)g_cap.bufferBytes * CAPTURE_RING_BUFFERS, 0);
    } catch (...) {
        return 0;
    }
    if (!AllocateEncoderBuffers()) ShowDeckText(NO_ENCODER_BUFFER_TEXT, NO_ENCODER_BUFFER_TEXT, 0);
    return 1;
}
}  // namespace

void SetRecorderDeckHooks(const RecorderDeckHooks& hooks) { g_deckHooks.hooks = hooks; }

void MarkBufferFilled(int slot) {
    if (slot >= 0 && slot < CAPTURE_RING_BUFFERS) g_cap.filled[slot].store(1, std::memory_order_release);
}

void ReleaseCaptureRing() {
    if (WaveInIsOpen()) ResetCaptureDevice();
    std::vector<uint8_t>().swap(g_cap.ring);
    FreeEncoderBuffers();
}

int PrepareCapture(int release) {
    g_cap.stepClockSet = 0;
    if (!release && WaveInIsOpen()) {
        g_cap.mode = CAPTURE_ARMED;
        ZeroByteCounters();
        ResetAutoRecordCounter();
        g_cap.lostBuffers = 0;
        SetCaptureTimer(1);
        return 1;
    }
    for (auto& flag : g_cap.filled) flag.store(0);
    if (!AllocateRing() || !OpenCaptureDevice(RecordPcmFormat())) {
        ReleaseCaptureRing();
        return 0;
    }
    for (int slot = 0; slot < CAPTURE_RING_BUFFERS; ++slot) {
        g_cap.filled[slot].store(0);
        g_cap.peakLeft[slot] = g_cap.peakRight[slot] = 0;
        if (!WaveInQueue(slot, Block(slot), g_cap.bufferBytes)) {
            g_cap.lostBuffers = 0;
            ReleaseCaptureRing();
            return 0;
        }
    }
    g_cap.requeueIndex = g_cap.measureIndex = g_cap.writeIndex = 0;
    ZeroByteCounters();
    ResetAutoRecordCounter();
    g_cap.lostBuffers = 0;
    g_cap.deviceFailed = 0;
    if (!WaveInStart()) {
        ReleaseCaptureRing();
        return 0;
    }
    g_cap.mode = Settings().recAutoRecording ? CAPTURE_ARMED : CAPTURE_WAITING;
    SetCaptureTimer(1);
    return 1;
}

int StartWriting() {
    if (g_cap.mode == CAPTURE_ARMED) {
        g_cap.mode = CAPTURE_WAITING;
        return 0;
    }
    if (RecordTargetKind() == TARGET_MPEG) ResetEncoderForWriting();
    g_cap.firstData = FIRST_DATA_NONE;
    g_cap.writeIndex = g_cap.measureIndex;
    g_cap.mode = CAPTURE_WRITING;
    return 1;
}

int PauseWriting() {
    g_cap.mode = Settings().recAutoRecording ? CAPTURE_ARMED : CAPTURE_WAITING;
    return 1;
}

int ResumeWriting() {
    g_cap.mode = CAPTURE_WRITING;
    return 1;
}

int StopCapture(int release) {
    if (RecordTargetKind() == TARGET_WAVE) CloseDataChunk();
    g_cap.mode = CAPTURE_OFF;
    if (release && WaveInIsOpen())
        ResetCaptureDevice();
    else
        g_cap.peakLeftNow = g_cap.peakRightNow = 0;
    return 1;
}

void CaptureStep() {
    if (g_cap.mode == CAPTURE_OFF || !WaveInIsOpen() || g_cap.ring.empty()) return;
    ++g_cap.stepCounter;
    if (WaveInFailed()) {
        // The device went away: keep what was written, stop, and say so when the device resets.
        g_cap.deviceFailed = 1;
        StopThroughDeck();
        if (WaveInIsOpen()) ResetCaptureDevice();
        return;
    }
    if (!ReturnSurplusBuffers()) return;
    MeasureNextBuffer();
    AutoRecordDecision();
    if (g_cap.mode == CAPTURE_OFF || g_cap.ring.empty()) return;  // a split may have ended the capture
    if (g_cap.mode == CAPTURE_WRITING && g_cap.stepCounter % CAPTURE_DISK_CHECK_STEPS == 0 && DiskIsFull()) {
        StopForFault(-1);
        return;
    }
    if (g_cap.mode == CAPTURE_WRITING && !WriteFilledBuffers()) return;
    if (g_cap.firstData == FIRST_DATA_WRITTEN) ReadInputStatusOnce();
}

void CaptureStepsDue() {
    uint32_t now = TickCount();
    uint32_t due = g_cap.stepClockSet ? (now - g_cap.stepsRunTo) / CAPTURE_STEP_MS : 1;
    if (!g_cap.stepClockSet || due > CAPTURE_CATCH_UP_STEPS) {
        // Starting, or after a stall (a modal loop, a suspended machine): as a timer's missed
        // ticks do, the missed steps fold into the few run now.
        g_cap.stepsRunTo = now;
        g_cap.stepClockSet = 1;
        if (due > CAPTURE_CATCH_UP_STEPS) due = CAPTURE_CATCH_UP_STEPS;
    } else {
        g_cap.stepsRunTo += due * CAPTURE_STEP_MS;
    }
    for (uint32_t i = 0; i < due && g_cap.mode != CAPTURE_OFF; ++i) CaptureStep();
}

uint32_t GetRecordedMs() {
    uint32_t perSecond = RecordPcmFormat().avgBytesPerSec;
    return perSecond ? PcmBytesWritten() / perSecond * 1000 : 0;
}

void GetPeaks(int* leftOut, int* rightOut) {
    if (leftOut) *leftOut = g_cap.peakLeftNow;
    if (rightOut) *rightOut = g_cap.peakRightNow;
}

int GetCaptureMode() { return g_cap.mode; }
void SetCaptureMode(int mode) { g_cap.mode = (uint16_t)mode; }
int GetStepsSinceLevel() { return g_cap.stepsSinceLevel; }
uint32_t GetRecordedInputRate() { return g_cap.recordedInputRate; }
int GetCaptureDeviceKind() { return g_cap.deviceKind; }
uint16_t GetLostBufferCount() { return g_cap.lostBuffers; }
void GetInputChannelStatus(uint8_t statusOut[CHANNEL_STATUS_BYTES]) {
    std::memcpy(statusOut, g_cap.channelStatus, CHANNEL_STATUS_BYTES);
}

int StoreInputStatus(const char* path) {
    if (!path || !path[0]) return 0;
    return SetTitleField(path, FIELD_CHANNEL_STATUS, (const char*)g_cap.channelStatus, CHANNEL_STATUS_BYTES);
}

void ResetCaptureForTest() {
    if (WaveInIsOpen()) WaveInClose();
    std::vector<uint8_t>().swap(g_cap.ring);
    for (auto& flag : g_cap.filled) flag.store(0);
    g_cap.mode = CAPTURE_OFF;
    g_cap.bufferBytes = 0;
    std::memset(g_cap.peakLeft, 0, sizeof g_cap.peakLeft);
    std::memset(g_cap.peakRight, 0, sizeof g_cap.peakRight);
    g_cap.requeueIndex = g_cap.measureIndex = g_cap.writeIndex = 0;
    g_cap.peakLeftNow = g_cap.peakRightNow = 0;
    g_cap.stepCounter = g_cap.stepsSinceLevel = 0;
    ResetAutoRecordCounter();
    g_cap.firstData = g_cap.lostBuffers = g_cap.deviceKind = 0;
    g_cap.deviceFailed = 0;
    std::memset(g_cap.channelStatus, 0, sizeof g_cap.channelStatus);
    g_cap.recordedInputRate = 0;
    g_cap.stepClockSet = 0;
    SetCaptureTimer(0);
}
