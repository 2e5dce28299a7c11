// The native build has no DLLs: the portable decoder and encoder are linked in when their
// libraries are part of the build, and "loading" takes their entry points directly. Only the
// player's file check is bound (the native build plays nothing); the encoder is bound whole.
#include "base/native_calls.h"
#include "playback/mpeg_libraries.h"
#include <cstring>
#include <string>

int BindLibrary(const char* fileName, const char* const* names, int count, void** fnOut, void** moduleOut) {
    for (int i = 0; i < count; ++i) fnOut[i] = nullptr;
    *moduleOut = nullptr;
    NoteNativeCall(std::string("BindLibrary ") + fileName);
    if (std::strcmp(fileName, "tavply.dll") == 0) {
#ifdef QD_HAVE_TAVPLY_CORE
        fnOut[0] = reinterpret_cast<void*>(&MpegAudioPlayCheckInfo);
        return 1;
#else
        return 0;
#endif
    }
    if (std::strcmp(fileName, "tavenc.dll") == 0) {
#ifdef QD_HAVE_TAVENC_CORE
        void* const all[ENCODER_NAME_COUNT] = {
            reinterpret_cast<void*>(&MpegAudioEncodeGetFatalError),
            reinterpret_cast<void*>(&MpegAudioEncodeSetInfo),
            reinterpret_cast<void*>(&MpegAudioEncodeReset),
            reinterpret_cast<void*>(&MpegAudioEncodeSetCategoryCode),
            reinterpret_cast<void*>(&MpegAudioEncode),
            reinterpret_cast<void*>(&MpegAudioEncodeFlush),
        };
        if (count != ENCODER_NAME_COUNT) return 0;
        for (int i = 0; i < count; ++i) fnOut[i] = all[i];
        return 1;
#else
        return 0;
#endif
    }
    return 0;
}

void UnbindLibrary(void*) { NoteNativeCall("UnbindLibrary"); }
