// The two MPEG audio libraries, loaded at start-up and freed at shutdown: the player
// (tavply.dll) and the encoder (tavenc.dll). Either may be missing; every wrapper below then
// fails at once without calling anything, so callers never test for presence themselves.
#pragma once
#include <cstdint>
#include "tavply_api.h"
#include "tavenc_api.h"

// Names resolved from each library, in the order they are looked up.
enum { PLAYER_NAME_COUNT = 15, ENCODER_NAME_COUNT = 6 };
extern const char* const PLAYER_EXPORT_NAMES[PLAYER_NAME_COUNT];
extern const char* const ENCODER_EXPORT_NAMES[ENCODER_NAME_COUNT];

// Loads both libraries (never fails the start-up); sets PlayerPresent and EncoderPresent.
void LoadMpegLibraries();
void FreeMpegLibraries();
int PlayerPresent();   // 1 when every player name resolved
int EncoderPresent();  // 1 when every encoder name resolved

// Loads one library from a given file and resolves the given names in order into fnOut. Any
// missing name frees the library and clears fnOut; returns 1 when all resolved. Used by the
// loader above and by the tests with fixture libraries.
int BindLibrary(const char* fileName, const char* const* names, int count, void** fnOut, void** moduleOut);
void UnbindLibrary(void* module);

// Every wrapper returns 1 when the call succeeded and 0 when it failed or the library is not
// loaded, whatever the library's own convention (the player answers 0 for success, the encoder
// non-zero). codeOut, when given, receives the library's own answer, or MPEG_UNAVAILABLE when
// nothing was called.
enum { MPEG_UNAVAILABLE = -1 };
int PlayerCheckInfo(const char* path, void* info, void* ext, int32_t* codeOut = nullptr);
int PlayerInit(int32_t* codeOut = nullptr);
int PlayerTerm(int32_t* codeOut = nullptr);
int PlayerOpen(const char* path, const char* deviceName, int32_t* codeOut = nullptr);
int PlayerClose(int32_t* codeOut = nullptr);
int PlayerStart(int32_t* codeOut = nullptr);
int PlayerStop(int32_t* codeOut = nullptr);
int PlayerSetPosition(uint32_t ms, int32_t* codeOut = nullptr);
int PlayerGetPosition(uint32_t* msOut, int32_t* codeOut = nullptr);
int PlayerGetLevel(uint16_t* levelsOut, int32_t* codeOut = nullptr);
int PlayerGetStatus(int32_t* statusOut, int32_t* codeOut = nullptr);

int EncoderSetInfo(void* context, int32_t kind, int32_t sampleRate, int32_t bitrateKbps, int32_t* codeOut = nullptr);
int EncoderReset(void* context, int32_t* codeOut = nullptr);
int EncoderEncode(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut, const uint8_t** inPtr, const uint8_t* inEnd,
                  uint32_t* consumedOut, int32_t* codeOut = nullptr);
int EncoderFlush(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut, int32_t* codeOut = nullptr);

// Tests only: pretend a library is missing, now and at every later load (the native build links
// both in); 1, 1 goes back to normal loading.
void SetMpegLibrariesForTest(int playerPresent, int encoderPresent);
// Tests only: a stand-in player, its entry points in the order of PLAYER_EXPORT_NAMES (null
// entries allowed); null goes back to no player.
void SetPlayerFunctionsForTest(void* const* functions);
