// Run-time binding of the MPEG player and encoder libraries: the name tables, the presence
// flags, the function table and the wrappers that refuse to call a library that is not loaded.
// Loading itself is platform work (mpeg_libraries_win32.cpp / mpeg_libraries_native.cpp).
#include "playback/mpeg_libraries.h"
#include <cstring>

const char* const PLAYER_EXPORT_NAMES[PLAYER_NAME_COUNT] = {
    "MpegAudioPlayCheckInfo", "MpegAudioPlayInit",      "MpegAudioPlayTerm",        "MpegAudioPlaySetThread",
    "MpegAudioPlayOpen",      "MpegAudioPlayClose",     "MpegAudioPlayGetInfo",     "MpegAudioPlayStart",
    "MpegAudioPlayStop",      "MpegAudioPlayPause",     "MpegAudioPlaySetPosition", "MpegAudioPlayGetPosition",
    "MpegAudioPlayGetLevel",  "MpegAudioPlayGetStatus", "MpegAudioPlayHandler",
};
const char* const ENCODER_EXPORT_NAMES[ENCODER_NAME_COUNT] = {
    "MpegAudioEncodeGetFatalError",   "MpegAudioEncodeSetInfo", "MpegAudioEncodeReset",
    "MpegAudioEncodeSetCategoryCode", "MpegAudioEncode",        "MpegAudioEncodeFlush",
};

namespace {
// Slots in the function tables, in the order of the name tables above.
enum {
    P_CHECK_INFO,
    P_INIT,
    P_TERM,
    P_SET_THREAD,
    P_OPEN,
    P_CLOSE,
    P_GET_INFO,
    P_START,
    P_STOP,
    P_PAUSE,
    P_SET_POSITION,
    P_GET_POSITION,
    P_GET_LEVEL,
    P_GET_STATUS,
    P_HANDLER
};
enum { E_GET_FATAL_ERROR, E_SET_INFO, E_RESET, E_SET_CATEGORY, E_ENCODE, E_FLUSH };

struct MpegLibraries {
    void* playerModule;  // library handle (null natively or when missing)
    void* encoderModule;
    void* player[PLAYER_NAME_COUNT];  // resolved entry points; all null when unavailable
    void* encoder[ENCODER_NAME_COUNT];
    int playerPresent;  // 1 when every player name resolved
    int encoderPresent;
    int withholdPlayer;   // tests: behave as if tavply.dll were missing
    int withholdEncoder;  // tests: ... tavenc.dll
};
MpegLibraries g_libs;
}  // namespace

void LoadMpegLibraries() {
    FreeMpegLibraries();
    if (!g_libs.withholdPlayer)
        g_libs.playerPresent =
            BindLibrary("tavply.dll", PLAYER_EXPORT_NAMES, PLAYER_NAME_COUNT, g_libs.player, &g_libs.playerModule);
    if (!g_libs.withholdEncoder)
        g_libs.encoderPresent =
            BindLibrary("tavenc.dll", ENCODER_EXPORT_NAMES, ENCODER_NAME_COUNT, g_libs.encoder, &g_libs.encoderModule);
}

void FreeMpegLibraries() {
    UnbindLibrary(g_libs.playerModule);
    UnbindLibrary(g_libs.encoderModule);
    MpegLibraries cleared = MpegLibraries();
    cleared.withholdPlayer = g_libs.withholdPlayer;
    cleared.withholdEncoder = g_libs.withholdEncoder;
    g_libs = cleared;
}

int PlayerPresent() { return g_libs.playerPresent; }
int EncoderPresent() { return g_libs.encoderPresent; }

void SetMpegLibrariesForTest(int playerPresent, int encoderPresent) {
    g_libs.withholdPlayer = !playerPresent;
    g_libs.withholdEncoder = !encoderPresent;
    if (!playerPresent) {
        std::memset(g_libs.player, 0, sizeof g_libs.player);
        g_libs.playerPresent = 0;
    }
    if (!encoderPresent) {
        std::memset(g_libs.encoder, 0, sizeof g_libs.encoder);
        g_libs.encoderPresent = 0;
    }
}

void SetPlayerFunctionsForTest(void* const* functions) {
    for (int i = 0; i < PLAYER_NAME_COUNT; ++i) g_libs.player[i] = functions ? functions[i] : nullptr;
    g_libs.playerPresent = functions != nullptr;
}

namespace {

// The library's answer into codeOut; 1 when it means success.
int PlayerAnswer(int32_t code, int32_t* codeOut) {
    if (codeOut) *codeOut = code;
    return code == 0;
}
int EncoderAnswer(int32_t code, int32_t* codeOut) {
    if (codeOut) *codeOut = code;
    return code != 0;
}
int Unavailable(int32_t* codeOut) {
    if (codeOut) *codeOut = MPEG_UNAVAILABLE;
    return 0;
}

}  // namespace

// Calls the name in slot of the player (or encoder) with the given arguments, or answers
// "unavailable" without a call when the library or the name is missing.
template <typename Fn, typename... Args>
int CallPlayer(int slot, int32_t* codeOut, Args... args) {
    if (!g_libs.playerPresent || !g_libs.player[slot]) return Unavailable(codeOut);
    return PlayerAnswer(reinterpret_cast<Fn>(g_libs.player[slot])(args...), codeOut);
}
template <typename Fn, typename... Args>
int CallEncoder(int slot, int32_t* codeOut, Args... args) {
    if (!g_libs.encoderPresent || !g_libs.encoder[slot]) return Unavailable(codeOut);
    return EncoderAnswer(reinterpret_cast<Fn>(g_libs.encoder[slot])(args...), codeOut);
}

int PlayerCheckInfo(const char* path, void* info, void* ext, int32_t* codeOut) {
    return CallPlayer<MpegAudioPlayCheckInfoFn>(P_CHECK_INFO, codeOut, path, info, ext);
}
int PlayerInit(int32_t* codeOut) { return CallPlayer<MpegAudioPlayInitFn>(P_INIT, codeOut); }
int PlayerTerm(int32_t* codeOut) { return CallPlayer<MpegAudioPlayTermFn>(P_TERM, codeOut); }
int PlayerOpen(const char* path, const char* deviceName, int32_t* codeOut) {
    return CallPlayer<MpegAudioPlayOpenFn>(P_OPEN, codeOut, path, deviceName);
}
int PlayerClose(int32_t* codeOut) { return CallPlayer<MpegAudioPlayCloseFn>(P_CLOSE, codeOut); }
int PlayerStart(int32_t* codeOut) { return CallPlayer<MpegAudioPlayStartFn>(P_START, codeOut); }
int PlayerStop(int32_t* codeOut) { return CallPlayer<MpegAudioPlayStopFn>(P_STOP, codeOut); }
int PlayerSetPosition(uint32_t ms, int32_t* codeOut) {
    return CallPlayer<MpegAudioPlaySetPositionFn>(P_SET_POSITION, codeOut, ms);
}
int PlayerGetPosition(uint32_t* msOut, int32_t* codeOut) {
    return CallPlayer<MpegAudioPlayGetPositionFn>(P_GET_POSITION, codeOut, msOut);
}
int PlayerGetLevel(uint16_t* levelsOut, int32_t* codeOut) {
    return CallPlayer<MpegAudioPlayGetLevelFn>(P_GET_LEVEL, codeOut, levelsOut);
}
int PlayerGetStatus(int32_t* statusOut, int32_t* codeOut) {
    return CallPlayer<MpegAudioPlayGetStatusFn>(P_GET_STATUS, codeOut, statusOut);
}

int EncoderSetInfo(void* context, int32_t kind, int32_t sampleRate, int32_t bitrateKbps, int32_t* codeOut) {
    return CallEncoder<MpegAudioEncodeSetInfoFn>(E_SET_INFO, codeOut, context, kind, sampleRate, bitrateKbps);
}
int EncoderReset(void* context, int32_t* codeOut) {
    return CallEncoder<MpegAudioEncodeResetFn>(E_RESET, codeOut, context);
}
int EncoderEncode(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut, const uint8_t** inPtr, const uint8_t* inEnd,
                  uint32_t* consumedOut, int32_t* codeOut) {
    return CallEncoder<MpegAudioEncodeFn>(E_ENCODE, codeOut, outPtr, outEnd, producedOut, inPtr, inEnd, consumedOut);
}
int EncoderFlush(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut, int32_t* codeOut) {
    return CallEncoder<MpegAudioEncodeFlushFn>(E_FLUSH, codeOut, outPtr, outEnd, producedOut);
}
