// Auto recording's stored levels. They start at the choices the dialog marks as recommended:
// "Silence" (threshold 16), start after 0.3 seconds (count 2), end after 0.2 seconds (count 1).
#include "record/auto_record.h"

namespace {
struct AutoRecordState {
    uint16_t threshold = 16;  // peak value
    uint16_t startCount = 2;  // capture steps of sound beyond the first
    uint16_t endCount = 1;    // capture steps of silence beyond the first
};
AutoRecordState g_auto;
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

void ResetAutoRecordForTest() { g_auto = AutoRecordState(); }
