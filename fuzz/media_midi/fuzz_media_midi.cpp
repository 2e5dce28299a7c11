// Fuzzes the MIDI title scan and the tempo-map length of MIDI and RMID data.
#include <cstdint>
#include <cstring>
#include "media/midi_reader.h"
#include "media/titles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader r = MemoryReader(data, size);
    char title[TITLE_BYTES];
    if (ScanMidiTitle(&r, title) && std::strlen(title) >= TITLE_BYTES) __builtin_trap();
    uint32_t ms;
    MidiLengthMs(&r, &ms);
    return 0;
}
