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

#define PLAYER_FN(slot, type)  (reinterpret_cast<type>(g_libs.player[slot]))
#define ENCODER_FN(slot, type) (reinterpret_cast<type>(g_libs.encoder[slot]))

int32_t PlayerCheckInfo(const char* path, void* info, void* ext) {
    if (!g_libs.playerPresent || !g_libs.player[P_CHECK_INFO]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_CHECK_INFO, MpegAudioPlayCheckInfoFn)(path, info, ext);
}
int32_t PlayerInit() {
    if (!g_libs.playerPresent || !g_libs.player[P_INIT]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_INIT, MpegAudioPlayInitFn)();
}
int32_t PlayerTerm() {
    if (!g_libs.playerPresent || !g_libs.player[P_TERM]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_TERM, MpegAudioPlayTermFn)();
}
int32_t PlayerOpen(const char* path, const char* deviceName) {
    if (!g_libs.playerPresent || !g_libs.player[P_OPEN]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_OPEN, MpegAudioPlayOpenFn)(path, deviceName);
}
int32_t PlayerClose() {
    if (!g_libs.playerPresent || !g_libs.player[P_CLOSE]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_CLOSE, MpegAudioPlayCloseFn)();
}
int32_t PlayerStart() {
    if (!g_libs.playerPresent || !g_libs.player[P_START]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_START, MpegAudioPlayStartFn)();
}
int32_t PlayerStop() {
    if (!g_libs.playerPresent || !g_libs.player[P_STOP]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_STOP, MpegAudioPlayStopFn)();
}
int32_t PlayerSetPosition(uint32_t ms) {
    if (!g_libs.playerPresent || !g_libs.player[P_SET_POSITION]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_SET_POSITION, MpegAudioPlaySetPositionFn)(ms);
}
int32_t PlayerGetPosition(uint32_t* msOut) {
    if (!g_libs.playerPresent || !g_libs.player[P_GET_POSITION]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_GET_POSITION, MpegAudioPlayGetPositionFn)(msOut);
}
int32_t PlayerGetLevel(uint16_t* levelsOut) {
    if (!g_libs.playerPresent || !g_libs.player[P_GET_LEVEL]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_GET_LEVEL, MpegAudioPlayGetLevelFn)(levelsOut);
}
int32_t PlayerGetStatus(int32_t* statusOut) {
    if (!g_libs.playerPresent || !g_libs.player[P_GET_STATUS]) return MPEG_UNAVAILABLE;
    return PLAYER_FN(P_GET_STATUS, MpegAudioPlayGetStatusFn)(statusOut);
}

int32_t EncoderSetInfo(void* context, int32_t kind, int32_t sampleRate, int32_t bitrateKbps) {
    if (!g_libs.encoderPresent || !g_libs.encoder[E_SET_INFO]) return 0;
    return ENCODER_FN(E_SET_INFO, MpegAudioEncodeSetInfoFn)(context, kind, sampleRate, bitrateKbps);
}
int32_t EncoderReset(void* context) {
    if (!g_libs.encoderPresent || !g_libs.encoder[E_RESET]) return 0;
    return ENCODER_FN(E_RESET, MpegAudioEncodeResetFn)(context);
}
int32_t EncoderEncode(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut, const uint8_t** inPtr,
                      const uint8_t* inEnd, uint32_t* consumedOut) {
    if (!g_libs.encoderPresent || !g_libs.encoder[E_ENCODE]) return 0;
    return ENCODER_FN(E_ENCODE, MpegAudioEncodeFn)(outPtr, outEnd, producedOut, inPtr, inEnd, consumedOut);
}
int32_t EncoderFlush(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut) {
    if (!g_libs.encoderPresent || !g_libs.encoder[E_FLUSH]) return 0;
    return ENCODER_FN(E_FLUSH, MpegAudioEncodeFlushFn)(outPtr, outEnd, producedOut);
}
