// libFuzzer entry over the MPEG audio stream parser and decoder: the quick head-and-tail layout,
// the source (tags, trailer, VBR header, frame walk, seeking) and single frames fed straight
// to the decoder.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "mpa_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MpaReader reader = MpaMemoryReader(data, size);
    MpaStreamInfo quick;
    MpaScanStream(&reader, &quick, 0);
    static MpaSource* src = new MpaSource();  // reused: the record is large
    if (MpaSourceOpen(src, data, size)) {
        float pcm[1152 * 2];
        size_t total = 0;
        while (total < 200000) {
            size_t n = MpaSourceRead(src, pcm, 1152);
            if (n == 0) break;
            total += n;
        }
        MpaSourceSeek(src, src->info.samples / 2);
        MpaSourceRead(src, pcm, 1152);
    }
    // the same bytes as one frame, with whatever history this decoder has
    static MpaDecoder* dec = [] {
        MpaDecoder* d = new MpaDecoder();
        MpaDecoderInit(d);
        return d;
    }();
    float out[MPA_MAX_SAMPLES * 2];
    MpaHeader h;
    MpaDecodeFrame(dec, data, size, out, &h);
    return 0;
}
