// Face setters: the only way the engine changes what the main window's face shows. Each keeps
// its value and reports whether it changed; only a change redraws its element (face_redraw.h),
// except the ticker text and the levels, which redraw on every call. The values are plain data
// here, readable by the renderer and by tests.
#pragma once
#include <cstdint>

enum { FACE_TICKER_BYTES = 256 };

// The time digits: bit 31 set shows the time left (with a minus sign), clear the time elapsed.
const uint32_t FACE_TIME_LEFT_BIT = 0x80000000u;

// Ticker modes.
enum { TICKER_SCROLL = 0, TICKER_PAUSE = 1, TICKER_FIXED = 2, TICKER_CENTRED = 4 };

// Peak modes of the level meters.
enum { PEAKS_FALL = 1, PEAKS_HOLD = 2 };

struct FaceValues {
    uint32_t repeatMode;                 // Repeat button: 0, 1, 2
    uint32_t recordFormat;               // lit format button: 0 PCM, 1..3 MPEG layer (or the track's kind)
    uint32_t formatIsRecord;             // 1: the format lamp shows the record format
    uint32_t inputSelect;                // 1 IN1, 0 IN2
    uint32_t rateHz;                     // rate display; 1 shows the special glyph
    uint32_t rateIsRecord;               // 1: the rate is the record rate (lit row)
    char tickerText[FACE_TICKER_BYTES];  // status line
    uint32_t tickerMode;                 // TICKER_*
    uint32_t timeMs;                     // time digits, with FACE_TIME_LEFT_BIT
    int32_t levels[4];                   // level, peak of the first meter, level, peak of the second (dB)
    uint32_t muteState;
    uint32_t positionBar;  // position slider 0..1000
    uint32_t volumeBar;    // volume slider 0..255 (left channel)
    uint32_t closeLit;     // power mode on the Close button
    uint32_t deviceAux;
    // meter ballistics
    int32_t shownLevel[2];  // last shown level of each meter
    int32_t heldPeak[2];    // held peak of each meter
    int32_t holdCount[2];   // updates left before the peak may move
    int32_t peakMode;       // PEAKS_FALL or PEAKS_HOLD
    int32_t metersStarted;  // the first level update of the run has happened
};

const FaceValues& Face();  // what the face shows now
void ResetFaceForTest();

int ShowRepeatMode(uint32_t mode);
int ShowRecordFormat(uint32_t format, uint32_t isRecord);
int ShowInputSelect(uint32_t input);
int ShowRate(uint32_t rateHz, uint32_t isRecord);
int ShowTickerText(const char* text);  // copies the text; always redraws
int SetTickerMode(uint32_t mode);
int ShowTime(uint32_t ms);  // 0 when the value stays within the same half second
// Levels in dB (callers pass the levels; the peaks come from the ballistics).
int ShowLevels(int32_t left, int32_t leftPeak, int32_t right, int32_t rightPeak);
void SetPeakMode(int mode);  // resets shown levels and peaks to -1000
int ShowMute(uint32_t on);
int SetPositionBar(uint32_t value);
int SetVolumeBar(uint32_t left, uint32_t right);
int ShowCloseLit(uint32_t mode);
int SetDeviceAux(uint32_t value);
