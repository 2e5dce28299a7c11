// Auto recording: starts writing when sound reaches the input and, in one mode, ends the file when
// it stops. The mode itself is the engine setting "RecAutoRecording"; this module keeps the
// recorder's silence threshold and the start and end counts, and the capture step (capture.cpp)
// decides on them every step, since the counter and the ring indices are its own.
#pragma once
#include <cstdint>

// threshold: peak value (unsigned 16-bit) below which a channel counts as silent.
// startCount, endCount: 0 to 3, capture steps of sound (silence) needed beyond the first.
void GetAutoLevels(uint16_t* thresholdOut, uint16_t* startCountOut, uint16_t* endCountOut);
void SetAutoLevels(uint16_t threshold, uint16_t startCount, uint16_t endCount);

void ResetAutoRecordForTest();  // back to the start values
