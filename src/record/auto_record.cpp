// Auto recording's stored levels and its dialog's values. The levels start at the choices the
// dialog marks as recommended: "Silence" (threshold 16), start after 0.3 seconds (count 2), end
// after 0.2 seconds (count 1).
#include "record/auto_record.h"

#include "record/capture.h"
#include "settings/settings.h"

namespace {
struct AutoRecordState {
    uint16_t threshold = 16;  // peak value
    uint16_t startCount = 2;  // capture steps of sound beyond the first
    uint16_t endCount = 1;    // capture steps of silence beyond the first
    uint16_t soundCounter = 0;  // steps of sound (waiting) or silence (writing) in a row so far
};

// Without the named interface the input's level is unknown ground: a fixed threshold then.
const int FALLBACK_THRESHOLD = 256;
// A start takes along the buffers that held the sound and this many more before them.
const int PRE_ROLL_EXTRA = 3;
AutoRecordState g_auto;

const AutoLevelRow LEVELS[AUTO_LEVEL_CHOICES] = {
  // label         Japanese      threshold
    {"Silence(*)", "無音(*)", 16  },
    {"-60dB",      "-60dB",     32  },
    {"-50dB",      "-50dB",     104 },
    {"-40dB",      "-40dB",     320 },
    {"-30dB",      "-30dB",     1024},
};

// One row per count: start label, end label, and their Japanese forms. "(*)" marks the
// recommended choice of each combo.
struct CountLabels {
    const char* start;
    const char* end;
    const char* startJa;
    const char* endJa;
};
const CountLabels COUNTS[AUTO_COUNT_CHOICES] = {
  // start               end                  start (Japanese)  end (Japanese)
    {"0.1 seconds.",    "0.1 seconds.",    "0.1秒",    "0.1秒"   },
    {"0.2 seconds.",    "0.2 seconds.(*)", "0.2秒",    "0.2秒(*)"},
    {"0.3 seconds.(*)", "0.3 seconds.",    "0.3秒(*)", "0.3秒"   },
    {"0.4 seconds.",    "0.4 seconds.",    "0.4秒",    "0.4秒"   },
};

int ClampCount(int index) { return index < 0 ? 0 : index >= AUTO_COUNT_CHOICES ? AUTO_COUNT_CHOICES - 1 : index; }
}  // namespace

void GetAutoLevels(uint16_t* thresholdOut, uint16_t* startCountOut, uint16_t* endCountOut) {
    *thresholdOut = g_auto.threshold;
    *startCountOut = g_auto.startCount;
    *endCountOut = g_auto.endCount;
}

void SetAutoLevels(uint16_t threshold, uint16_t startCount, uint16_t endCount) {
    g_auto.threshold = threshold;
    g_auto.startCount = startCount;
    g_auto.endCount = endCount;
}

const AutoLevelRow* AutoLevelTable() { return LEVELS; }

const char* AutoStartLabel(int index, int japanese) {
    const CountLabels& c = COUNTS[ClampCount(index)];
    return japanese ? c.startJa : c.start;
}

const char* AutoEndLabel(int index, int japanese) {
    const CountLabels& c = COUNTS[ClampCount(index)];
    return japanese ? c.endJa : c.end;
}

AutoRecordChoice AutoRecordDialogStart(uint32_t mode) {
    AutoRecordChoice c{mode, 0, ClampCount(g_auto.startCount), ClampCount(g_auto.endCount)};
    for (int i = 0; i < AUTO_LEVEL_CHOICES; ++i)
        if (LEVELS[i].threshold == g_auto.threshold) c.levelIndex = i;
    return c;
}

void AutoRecordDialogOk(const AutoRecordChoice& choice, uint32_t* modeOut) {
    int level = choice.levelIndex >= 0 && choice.levelIndex < AUTO_LEVEL_CHOICES ? choice.levelIndex : 0;
    SetAutoLevels(LEVELS[level].threshold, (uint16_t)ClampCount(choice.startIndex),
                  (uint16_t)ClampCount(choice.endIndex));
    *modeOut = choice.mode;
}

void AutoRecordingCommand(void* owner) {
    uint32_t mode = Settings().recAutoRecording;
    if (RunAutoRecordingDialog(owner, &mode) != AUTO_DIALOG_OK) return;
    Settings().recAutoRecording = mode;
    int capture = GetCaptureMode();
    if (mode != AUTO_RECORD_OFF && capture == CAPTURE_WAITING) SetCaptureMode(CAPTURE_ARMED);
    if (mode == AUTO_RECORD_OFF && capture == CAPTURE_ARMED) SetCaptureMode(CAPTURE_WAITING);
}

int AutoRecordStep(uint32_t mode, int captureMode, int namedDevice, int peakLeft, int peakRight) {
    if (mode == AUTO_RECORD_OFF) return AUTO_ACTION_NONE;
    int t = namedDevice ? int(g_auto.threshold) : FALLBACK_THRESHOLD;
    if (captureMode == CAPTURE_WAITING) {
        g_auto.soundCounter = (peakLeft > t && peakRight > t) ? uint16_t(g_auto.soundCounter + 1) : 0;
        if (g_auto.soundCounter <= g_auto.startCount) return AUTO_ACTION_NONE;
        g_auto.soundCounter = 0;
        return AUTO_ACTION_START;
    }
    if (captureMode == CAPTURE_WRITING && mode == AUTO_RECORD_START_AND_END) {
        g_auto.soundCounter = (peakLeft < t && peakRight < t) ? uint16_t(g_auto.soundCounter + 1) : 0;
        if (g_auto.soundCounter <= g_auto.endCount) return AUTO_ACTION_NONE;
        g_auto.soundCounter = 0;
        return AUTO_ACTION_SPLIT;
    }
    return AUTO_ACTION_NONE;
}

int AutoRecordPreRollBuffers() { return g_auto.startCount + PRE_ROLL_EXTRA; }

void ResetAutoRecordCounter() { g_auto.soundCounter = 0; }

void ResetAutoRecordForTest() { g_auto = AutoRecordState(); }
