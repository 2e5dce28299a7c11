// Calling interface of the MPEG audio encoder library tavenc.dll, shared by the library and the
// program's run-time binding. Results: non-zero means success (unlike the player library).
#pragma once
#include <cstdint>

enum : uint32_t {
    TAVENC_CONTEXT_BYTES = 48,     // the caller's context block
    TAVENC_OUTPUT_STYLE_WORD = 1,  // index of the 32-bit word holding the output style
    TAVENC_OUTPUT_STYLE_HELD = 3,  // style 3: Flush only at the end of the stream
    TAVENC_MIN_INPUT_BYTES = 4608  // the writer calls Encode again while this much PCM waits
};

#ifndef TAV_CALL
#ifdef _WIN32
#define TAV_CALL __stdcall
#else
#define TAV_CALL
#endif
#endif

// SetInfo's kind: bits 0..7 the layer (1, 2, 3; 4 is refused), bits 8..15 the channel count
// (0 = 2, the deck's stereo capture), bits 16..31 ignored. Input is 16-bit interleaved PCM.
extern "C" {
typedef int32_t(TAV_CALL* MpegAudioEncodeGetFatalErrorFn)(void* context);
typedef int32_t(TAV_CALL* MpegAudioEncodeSetInfoFn)(void* context, int32_t kind, int32_t sampleRate,
                                                    int32_t bitrateKbps);
typedef int32_t(TAV_CALL* MpegAudioEncodeResetFn)(void* context);
typedef int32_t(TAV_CALL* MpegAudioEncodeSetCategoryCodeFn)(void* context, int32_t code);
// Encode and Flush take no context: they work on the context block given to the last
// MpegAudioEncodeSetInfo / MpegAudioEncodeReset (the library keeps that address).
typedef int32_t(TAV_CALL* MpegAudioEncodeFn)(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut,
                                             const uint8_t** inPtr, const uint8_t* inEnd, uint32_t* consumedOut);
typedef int32_t(TAV_CALL* MpegAudioEncodeFlushFn)(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut);
}

// The library's exports: portable code (tavenc_core), linked directly by the native build and
// exported by tavenc.dll.
extern "C" {
int32_t TAV_CALL MpegAudioEncodeGetFatalError(void* context);
int32_t TAV_CALL MpegAudioEncodeSetInfo(void* context, int32_t kind, int32_t sampleRate, int32_t bitrateKbps);
int32_t TAV_CALL MpegAudioEncodeReset(void* context);
int32_t TAV_CALL MpegAudioEncodeSetCategoryCode(void* context, int32_t code);
int32_t TAV_CALL MpegAudioEncode(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut, const uint8_t** inPtr,
                                 const uint8_t* inEnd, uint32_t* consumedOut);
int32_t TAV_CALL MpegAudioEncodeFlush(uint8_t** outPtr, uint8_t* outEnd, uint32_t* producedOut);
}
