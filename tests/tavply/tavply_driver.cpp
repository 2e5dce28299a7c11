// tavply_driver.exe: plays one file through tavply.dll the way the deck does (run-time
// binding of all fifteen names, device by name) and prints what the calls report, one line
// per poll, for the end-to-end test:
//   tavply_driver <file> <device name> [<at ms> <seek to ms>]
//   lines: "open <result>", "info <length ms> <rate>", "poll <elapsed> <status> <position> <l> <r>",
//          "seek <result>", "end <status>"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>

#include "tavply_api.h"

namespace {

const char* const NAMES[15] = {
    "MpegAudioPlayCheckInfo", "MpegAudioPlayInit",      "MpegAudioPlayTerm",        "MpegAudioPlaySetThread",
    "MpegAudioPlayOpen",      "MpegAudioPlayClose",     "MpegAudioPlayGetInfo",     "MpegAudioPlayStart",
    "MpegAudioPlayStop",      "MpegAudioPlayPause",     "MpegAudioPlaySetPosition", "MpegAudioPlayGetPosition",
    "MpegAudioPlayGetLevel",  "MpegAudioPlayGetStatus", "MpegAudioPlayHandler",
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: tavply_driver file device [atMs seekMs]\n");
        return 2;
    }
    HMODULE lib = LoadLibraryA("tavply.dll");
    if (!lib) {
        std::printf("load failed\n");
        return 3;
    }
    void* fn[15];
    for (int i = 0; i < 15; ++i) {
        fn[i] = reinterpret_cast<void*>(GetProcAddress(lib, NAMES[i]));
        if (!fn[i]) {
            std::printf("missing %s\n", NAMES[i]);
            return 3;
        }
    }
    auto checkInfo = reinterpret_cast<MpegAudioPlayCheckInfoFn>(fn[0]);
    auto init = reinterpret_cast<MpegAudioPlayInitFn>(fn[1]);
    auto term = reinterpret_cast<MpegAudioPlayTermFn>(fn[2]);
    auto open = reinterpret_cast<MpegAudioPlayOpenFn>(fn[4]);
    auto close = reinterpret_cast<MpegAudioPlayCloseFn>(fn[5]);
    auto start = reinterpret_cast<MpegAudioPlayStartFn>(fn[7]);
    auto setPosition = reinterpret_cast<MpegAudioPlaySetPositionFn>(fn[10]);
    auto getPosition = reinterpret_cast<MpegAudioPlayGetPositionFn>(fn[11]);
    auto getLevel = reinterpret_cast<MpegAudioPlayGetLevelFn>(fn[12]);
    auto getStatus = reinterpret_cast<MpegAudioPlayGetStatusFn>(fn[13]);

    static uint8_t info[TAVPLY_INFO_BYTES], ext[TAVPLY_EXT_BYTES];
    int32_t r = checkInfo(argv[1], info, ext);
    uint32_t lengthMs = 0, rate = 0;
    std::memcpy(&lengthMs, info + TAVPLY_INFO_LENGTH_MS, 4);
    std::memcpy(&rate, info + TAVPLY_INFO_SAMPLE_RATE, 4);
    std::printf("info %d %u %u\n", r, lengthMs, rate);
    init();
    r = open(argv[1], argv[2]);
    std::printf("open %d\n", r);
    std::fflush(stdout);
    if (r != 0) return 1;
    long seekAt = argc > 4 ? std::atol(argv[3]) : -1;
    uint32_t seekTo = argc > 4 ? uint32_t(std::atol(argv[4])) : 0;
    DWORD t0 = GetTickCount();
    start();
    int32_t status = 0;
    for (;;) {
        DWORD elapsed = GetTickCount() - t0;
        uint32_t pos = 0;
        uint16_t levels[2] = {0, 0};
        getStatus(&status);
        getPosition(&pos);
        getLevel(levels);
        std::printf("poll %lu %d %u %u %u\n", (unsigned long)elapsed, status, pos, levels[0], levels[1]);
        std::fflush(stdout);
        if (status != TAVPLY_STATUS_PLAYING || elapsed > lengthMs + 20000) break;
        if (seekAt >= 0 && long(elapsed) >= seekAt) {
            std::printf("seek %d\n", setPosition(seekTo));
            seekAt = -1;
        }
        Sleep(20);
    }
    std::printf("end %d\n", status);
    close();
    term();
    FreeLibrary(lib);
    return 0;
}
