// Stand-in player library for the loader tests: every export answers a fixed value. Built twice,
// once complete and once without MpegAudioPlayGetStatus (FIXTURE_WITHOUT_STATUS).
#include "tavply_api.h"

#define EXPORT extern "C" __declspec(dllexport)

EXPORT int32_t TAV_CALL MpegAudioPlayCheckInfo(const char*, void*, void*) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlayInit(void) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlayTerm(void) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlaySetThread(int32_t) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlayOpen(const char*, const char* device) { return device && *device ? 0 : 5; }
EXPORT int32_t TAV_CALL MpegAudioPlayClose(void) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlayGetInfo(void*, void*) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlayStart(void) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlayStop(void) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlayPause(void) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlaySetPosition(uint32_t) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioPlayGetPosition(uint32_t* ms) {
    *ms = 1234;
    return 0;
}
EXPORT int32_t TAV_CALL MpegAudioPlayGetLevel(uint16_t* levels) {
    levels[0] = 1;
    levels[1] = 2;
    return 0;
}
#ifndef FIXTURE_WITHOUT_STATUS
EXPORT int32_t TAV_CALL MpegAudioPlayGetStatus(int32_t* status) {
    *status = TAVPLY_STATUS_PAUSED;
    return 0;
}
#endif
EXPORT int32_t TAV_CALL MpegAudioPlayHandler(void*, uint32_t, uintptr_t, intptr_t) { return 0; }
