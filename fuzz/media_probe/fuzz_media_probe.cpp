// Fuzzes the probe's header readers: RIFF/MIDI recognition, play kind, title container and
// the WAVE length.
#include <cstdint>
#include "media/media_probe.h"
#include "media/riff_chunks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader r = MemoryReader(data, size);
    MediaInfo info{};
    ProbeRiffOrMidi(&r, &info);
    int kind, container;
    PlayKindOf(&r, &kind);
    TitleContainerOf(&r, &container);
    uint32_t ms;
    WaveLengthMs(&r, &ms);
    return 0;
}
