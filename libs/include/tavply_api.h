// Calling interface of the MPEG audio player library tavply.dll, shared by the library itself,
// the program's run-time binding and the native build (which links the decoder directly).
// Results: 0 means success for every call.
#pragma once
#include <cstdint>

// Information record filled by MpegAudioPlayCheckInfo: 624 bytes, all fields little-endian
// 32-bit unless said. The program reads the fields marked (*); the others are the library's own
// description of the stream for tools and tests.
enum : uint32_t {
    TAVPLY_INFO_BYTES = 624,
    TAVPLY_INFO_PATH = 0,             // the path as given, zero-terminated (260 bytes)
    TAVPLY_INFO_RECORD_BYTES = 512,   // 624, the size this library fills
    TAVPLY_INFO_CHANNELS = 520,       // 1 or 2
    TAVPLY_INFO_MODE = 524,           // channel mode: 0 stereo, 1 joint, 2 dual, 3 mono
    TAVPLY_INFO_FRAMES = 528,         // audio frames (a VBR header frame not counted)
    TAVPLY_INFO_AUDIO_START = 532,    // file offset of the first frame
    TAVPLY_INFO_FLAGS = 540,          // TAVPLY_FLAG_* below
    TAVPLY_INFO_VERSION_INDEX = 556,  // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    TAVPLY_INFO_MODE_EXTENSION = 560,
    TAVPLY_INFO_EMPHASIS = 564,
    TAVPLY_INFO_CRC = 568,            // 1 when frames carry a CRC
    TAVPLY_INFO_FRAME_SAMPLES = 572,  // samples per channel per frame
    TAVPLY_INFO_ENCODER_DELAY = 576,  // samples, from a LAME extension (0 when none)
    TAVPLY_INFO_ENCODER_PADDING = 580,
    TAVPLY_INFO_PRIVATE = 592,
    TAVPLY_INFO_SAMPLES_LOW = 608,  // samples per channel after gapless trimming, low 32 bits
    TAVPLY_INFO_SAMPLES_HIGH = 612,
    TAVPLY_INFO_FIRST_BITRATE = 616,  // kbit/s of the first audio frame
    // fields the program reads (*)
    TAVPLY_INFO_STREAM = 516,        // TAVPLY_STREAM_MPEG_AUDIO for an MPEG audio stream
    TAVPLY_INFO_STREAM_BYTES = 536,  // audio stream size in bytes
    TAVPLY_INFO_LENGTH_MS = 544,     // length in ms
    TAVPLY_INFO_VERSION_BIT = 548,   // ID bit of the frame header (1 = MPEG-1)
    TAVPLY_INFO_LAYER_CODE = 552,    // layer as coded in the header (3 = layer I ... 1 = layer III)
    TAVPLY_INFO_COPYRIGHT = 584,     // 16-bit
    TAVPLY_INFO_ORIGINAL = 588,      // 16-bit
    TAVPLY_INFO_SAMPLE_RATE = 596,   // Hz
    TAVPLY_INFO_BITRATE = 600,       // kbit/s (the average for VBR streams)
    TAVPLY_INFO_LAYER = 604,         // 1..3
    // Extended record: at least 2564 bytes; +2560 (*) the four channel-status bytes of the file's
    // title trailer (all zero when it has none). +0 the raw ID3v1 tag (zero when none), +128 the
    // size of the title trailer's chunk area, +132 as much of that area as fits before +2560.
    TAVPLY_EXT_BYTES = 2564,
    TAVPLY_EXT_ID3V1 = 0,
    TAVPLY_EXT_TRAILER_BYTES = 128,
    TAVPLY_EXT_TRAILER = 132,
    TAVPLY_EXT_CHANNEL_STATUS = 2560,
};

// The stream kind the information call reports for MPEG audio.
enum { TAVPLY_STREAM_MPEG_AUDIO = 2 };

enum : uint32_t {  // bits of TAVPLY_INFO_FLAGS
    TAVPLY_FLAG_VBR = 1,
    TAVPLY_FLAG_VBR_HEADER = 2,
    TAVPLY_FLAG_GAPLESS = 4,
    TAVPLY_FLAG_ID3V2 = 8,
    TAVPLY_FLAG_ID3V1 = 16,
    TAVPLY_FLAG_TRAILER = 32,
    TAVPLY_FLAG_CHANNEL_STATUS = 64,
};

// Results of the calls other than 0 (success).
enum : int32_t {
    TAVPLY_ERR_ARGUMENT = 1,  // null pointer or empty path
    TAVPLY_ERR_OPEN = 2,      // the file cannot be read
    TAVPLY_ERR_FORMAT = 3,    // not an MPEG audio stream
    TAVPLY_ERR_STATE = 4,     // not initialised, nothing open, or already open
    TAVPLY_ERR_DEVICE = 5,    // the wave-out device cannot be opened
};

enum : int32_t {  // values of MpegAudioPlayGetStatus
    TAVPLY_STATUS_NOT_READY = 0,
    TAVPLY_STATUS_PLAYING = 1,
    TAVPLY_STATUS_STOPPED = 2,
    TAVPLY_STATUS_PAUSED = 3,
};

#define TAVPLY_POSITION_END 0x7FFFFFFF

#ifdef _WIN32
#define TAV_CALL __stdcall
#else
#define TAV_CALL
#endif

extern "C" {
typedef int32_t(TAV_CALL* MpegAudioPlayCheckInfoFn)(const char* path, void* info, void* ext);
typedef int32_t(TAV_CALL* MpegAudioPlayInitFn)(void);
typedef int32_t(TAV_CALL* MpegAudioPlayTermFn)(void);
typedef int32_t(TAV_CALL* MpegAudioPlaySetThreadFn)(int32_t priority);
typedef int32_t(TAV_CALL* MpegAudioPlayOpenFn)(const char* path, const char* deviceName);
typedef int32_t(TAV_CALL* MpegAudioPlayCloseFn)(void);
typedef int32_t(TAV_CALL* MpegAudioPlayGetInfoFn)(void* info, void* ext);
typedef int32_t(TAV_CALL* MpegAudioPlayStartFn)(void);
typedef int32_t(TAV_CALL* MpegAudioPlayStopFn)(void);
typedef int32_t(TAV_CALL* MpegAudioPlayPauseFn)(void);
typedef int32_t(TAV_CALL* MpegAudioPlaySetPositionFn)(uint32_t ms);
typedef int32_t(TAV_CALL* MpegAudioPlayGetPositionFn)(uint32_t* msOut);
typedef int32_t(TAV_CALL* MpegAudioPlayGetLevelFn)(uint16_t* levelsOut);  // two 16-bit peaks
typedef int32_t(TAV_CALL* MpegAudioPlayGetStatusFn)(int32_t* statusOut);
typedef int32_t(TAV_CALL* MpegAudioPlayHandlerFn)(void* hwnd, uint32_t msg, uintptr_t wp, intptr_t lp);
}

// The library's exports. The native build links the portable implementation (tavply_core) and
// calls MpegAudioPlayCheckInfo directly; the program on Windows resolves every name at run time.
extern "C" {
int32_t TAV_CALL MpegAudioPlayCheckInfo(const char* path, void* info, void* ext);
int32_t TAV_CALL MpegAudioPlayInit(void);
int32_t TAV_CALL MpegAudioPlayTerm(void);
int32_t TAV_CALL MpegAudioPlaySetThread(int32_t priority);
int32_t TAV_CALL MpegAudioPlayOpen(const char* path, const char* deviceName);
int32_t TAV_CALL MpegAudioPlayClose(void);
int32_t TAV_CALL MpegAudioPlayGetInfo(void* info, void* ext);
int32_t TAV_CALL MpegAudioPlayStart(void);
int32_t TAV_CALL MpegAudioPlayStop(void);
int32_t TAV_CALL MpegAudioPlayPause(void);
int32_t TAV_CALL MpegAudioPlaySetPosition(uint32_t ms);
int32_t TAV_CALL MpegAudioPlayGetPosition(uint32_t* msOut);
int32_t TAV_CALL MpegAudioPlayGetLevel(uint16_t* levelsOut);
int32_t TAV_CALL MpegAudioPlayGetStatus(int32_t* statusOut);
int32_t TAV_CALL MpegAudioPlayHandler(void* hwnd, uint32_t msg, uintptr_t wp, intptr_t lp);
}
