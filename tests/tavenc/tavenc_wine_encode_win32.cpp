// Windows driver for the end-to-end check under Wine: loads tavenc.dll by name exactly as the
// deck does (all six names must resolve), and encodes a WAVE file with the recorder's calling
// pattern (100 ms buffers, Encode again while 4608 bytes wait, Flush at the end for style 3).
//   tavenc_wine_encode in.wav out.mpa layer bitrate
// Exit status: 0 done, 2 usage, 3 library or name missing, 4 setting refused, 5 I/O or encode error.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tavenc_api.h"

namespace {

struct Library {
    HMODULE module = nullptr;
    ~Library() {
        if (module) FreeLibrary(module);
    }
};

template <typename Fn>
bool Resolve(HMODULE m, const char* name, Fn* out) {
    *out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    return *out != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    Library lib;
    lib.module = LoadLibraryA("tavenc.dll");
    if (!lib.module) return 3;
    MpegAudioEncodeGetFatalErrorFn getFatal;
    MpegAudioEncodeSetInfoFn setInfo;
    MpegAudioEncodeResetFn reset;
    MpegAudioEncodeSetCategoryCodeFn setCategory;
    MpegAudioEncodeFn encode;
    MpegAudioEncodeFlushFn flush;
    if (!Resolve(lib.module, "MpegAudioEncodeGetFatalError", &getFatal) ||
        !Resolve(lib.module, "MpegAudioEncodeSetInfo", &setInfo) ||
        !Resolve(lib.module, "MpegAudioEncodeReset", &reset) ||
        !Resolve(lib.module, "MpegAudioEncodeSetCategoryCode", &setCategory) ||
        !Resolve(lib.module, "MpegAudioEncode", &encode) || !Resolve(lib.module, "MpegAudioEncodeFlush", &flush))
        return 3;

    FILE* in = std::fopen(argv[1], "rb");
    if (!in) return 5;
    std::vector<uint8_t> wav;
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) wav.insert(wav.end(), chunk, chunk + n);
    std::fclose(in);
    // The test writes a canonical 44-byte header: 44.1 kHz stereo 16-bit.
    if (wav.size() < 44 || std::memcmp(wav.data(), "RIFF", 4) != 0) return 5;

    uint8_t context[TAVENC_CONTEXT_BYTES];
    const int32_t deckMode = 1 << 16;  // the mode word the deck records with
    if (!setInfo(context, std::atoi(argv[3]) | deckMode, 44100, std::atoi(argv[4]))) return 4;
    reset(context);
    uint32_t style;
    std::memcpy(&style, context + 4 * TAVENC_OUTPUT_STYLE_WORD, 4);

    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 5;
    const size_t bufferBytes = 17640;
    std::vector<uint8_t> acc(2 * bufferBytes), outBuf(2 * bufferBytes);
    size_t waiting = 0;
    int ok = 1;
    for (size_t off = 44; ok && off < wav.size(); off += bufferBytes) {
        size_t take = wav.size() - off < bufferBytes ? wav.size() - off : bufferBytes;
        std::memcpy(acc.data() + waiting, wav.data() + off, take);
        waiting += take;
        size_t produced = 0, consumed = 0;
        for (;;) {
            uint8_t* o = outBuf.data() + produced;
            const uint8_t* i = acc.data() + consumed;
            uint32_t p = 0, c = 0;
            if (!encode(&o, outBuf.data() + outBuf.size(), &p, &i, acc.data() + consumed + waiting, &c)) {
                ok = 0;
                break;
            }
            produced += p;
            consumed += c;
            waiting -= c;
            if (style != TAVENC_OUTPUT_STYLE_HELD) {
                o = outBuf.data() + produced;
                p = 0;
                flush(&o, outBuf.data() + outBuf.size(), &p);
                produced += p;
            }
            if (waiting < TAVENC_MIN_INPUT_BYTES) break;
        }
        std::memmove(acc.data(), acc.data() + consumed, waiting);
        if (produced && std::fwrite(outBuf.data(), 1, produced, out) != produced) ok = 0;
    }
    if (ok && style == TAVENC_OUTPUT_STYLE_HELD) {
        uint8_t* o = outBuf.data();
        uint32_t p = 0;
        flush(&o, outBuf.data() + outBuf.size(), &p);
        if (p && std::fwrite(outBuf.data(), 1, p, out) != p) ok = 0;
    }
    if (std::fclose(out) != 0) ok = 0;
    return ok && getFatal(context) == 0 ? 0 : 5;
}
