// Stand-in encoder library for the loader tests, built without its last export
// (MpegAudioEncodeFlush), so loading it must fail and free it again.
#include "tavenc_api.h"

#define EXPORT extern "C" __declspec(dllexport)

EXPORT int32_t TAV_CALL MpegAudioEncodeGetFatalError(void*) { return 0; }
EXPORT int32_t TAV_CALL MpegAudioEncodeSetInfo(void*, int32_t, int32_t, int32_t) { return 1234; }
EXPORT int32_t TAV_CALL MpegAudioEncodeReset(void*) { return 1; }
EXPORT int32_t TAV_CALL MpegAudioEncodeSetCategoryCode(void*, int32_t) { return 1; }
EXPORT int32_t TAV_CALL MpegAudioEncode(uint8_t**, uint8_t*, uint32_t*, const uint8_t**, const uint8_t*, uint32_t*) {
    return 1;
}
