// Face setters: store each face value and say whether it changed. The meter ballistics live here
// because the meters show what the ballistics make of the levels, not the raw levels.
#include "display/face_setters.h"

#include <cstring>

#include "base/bounded_copy.h"
#include "display/face_redraw.h"
#include "hardware/slider.h"
#include "resources/resource.h"

namespace {
enum { METER_FALL_DB = 2, PEAK_HOLD_UPDATES = 5, METER_FLOOR = -1000 };

struct FaceModule {
    FaceValues v;
};
FaceModule g_face;

int Store(uint32_t& slot, uint32_t value) {
    if (slot == value) return 0;
    slot = value;
    return 1;
}

// Stores and, when the value changed, redraws the element that shows it.
int StoreAndRedraw(uint32_t& slot, uint32_t value, int element) {
    if (!Store(slot, value)) return 0;
    RedrawFaceElement(element);
    return 1;
}

void ResetBallistics() {
    for (int m = 0; m < 2; ++m) {
        g_face.v.shownLevel[m] = METER_FLOOR;
        g_face.v.heldPeak[m] = METER_FLOOR;
        g_face.v.holdCount[m] = 0;
    }
}

// One meter: the level falls at most 2 dB per update; the peak is held for 5 updates, then
// drops to the level (peak mode 1) or stays (peak mode 2).
void Ballistics(int m, int32_t level, int32_t* shownOut, int32_t* peakOut) {
    FaceValues& v = g_face.v;
    if (level < v.shownLevel[m] - METER_FALL_DB) level = v.shownLevel[m] - METER_FALL_DB;
    v.shownLevel[m] = level;
    if (level > v.heldPeak[m]) {
        v.heldPeak[m] = level;
        v.holdCount[m] = PEAK_HOLD_UPDATES;
    } else if (--v.holdCount[m] <= 0) {
        if (v.peakMode == PEAKS_FALL) v.heldPeak[m] = level;
        v.holdCount[m] = PEAK_HOLD_UPDATES;
    }
    *shownOut = level;
    *peakOut = v.heldPeak[m];
}
}  // namespace

const FaceValues& Face() { return g_face.v; }

void ResetFaceForTest() {
    g_face = FaceModule{};
    g_face.v.inputSelect = 1;
    ResetBallistics();
}

int ShowRepeatMode(uint32_t mode) { return StoreAndRedraw(g_face.v.repeatMode, mode, FACE_EL_REPEAT); }

int ShowRecordFormat(uint32_t format, uint32_t isRecord) {
    int changed = Store(g_face.v.recordFormat, format);
    changed |= Store(g_face.v.formatIsRecord, isRecord ? 1 : 0);
    if (changed) RedrawFaceElement(FACE_EL_FORMAT);
    return changed;
}

int ShowInputSelect(uint32_t input) { return StoreAndRedraw(g_face.v.inputSelect, input, FACE_EL_INPUT); }

int ShowRate(uint32_t rateHz, uint32_t isRecord) {
    int changed = Store(g_face.v.rateHz, rateHz);
    changed |= Store(g_face.v.rateIsRecord, isRecord ? 1 : 0);
    if (changed) RedrawFaceElement(FACE_EL_RATE);
    return changed;
}

int ShowTickerText(const char* text) {
    if (text != g_face.v.tickerText) {
        CopyBoundedString(g_face.v.tickerText, FACE_TICKER_BYTES, text);
    }
    RedrawFaceElement(FACE_EL_TICKER);
    return 1;
}

int SetTickerMode(uint32_t mode) { return Store(g_face.v.tickerMode, mode); }

int ShowTime(uint32_t ms) {
    // Only whole half seconds reach the digits.
    if (g_face.v.timeMs / 500 == ms / 500) return 0;
    g_face.v.timeMs = ms;
    RedrawFaceElement(FACE_EL_TIME);
    return 1;
}

int ShowLevels(int32_t left, int32_t leftPeak, int32_t right, int32_t rightPeak) {
    if (!g_face.v.metersStarted) {
        g_face.v.metersStarted = 1;
        SetPeakMode(PEAKS_FALL);
    }
    Ballistics(0, left, &g_face.v.levels[0], &g_face.v.levels[1]);
    Ballistics(1, right, &g_face.v.levels[2], &g_face.v.levels[3]);
    RedrawFaceElement(FACE_EL_METERS);
    return 1;
}

void SetPeakMode(int mode) {
    g_face.v.metersStarted = 1;
    g_face.v.peakMode = mode;
    ResetBallistics();
}

int ShowMute(uint32_t on) { return StoreAndRedraw(g_face.v.muteState, on, FACE_EL_MUTE); }

int SetPositionBar(uint32_t value) {
    if (!Store(g_face.v.positionBar, value & 0xFFFF)) return 0;
    SetSliderValue(IDC_SLIDER_POSITION, (int)g_face.v.positionBar);
    return 1;
}

int SetVolumeBar(uint32_t left, uint32_t right) {
    if (!Store(g_face.v.volumeBar, left)) return 0;
    SetSliderValue(IDC_SLIDER_VOLUME, (int)left);
    return 1;
}

int ShowCloseLit(uint32_t mode) { return StoreAndRedraw(g_face.v.closeLit, mode, FACE_EL_CLOSE); }
int SetDeviceAux(uint32_t value) { return Store(g_face.v.deviceAux, value); }
