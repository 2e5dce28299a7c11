// Native media window: there is no MCI here, so the length comes from the file's own data
// (WAVE chunks, MIDI tempo map), as the platform's wave and sequencer devices would report it.
#include "media/media_window.h"
#include "media/midi_reader.h"
#include "media/riff_chunks.h"

namespace {
struct WindowState {
    int exists = 1;  // tests may pretend the playback windows were not created yet
};
WindowState g_window;
}  // namespace

int MediaWindowExists() { return g_window.exists; }
void SetMediaWindowExistsForTest(int exists) { g_window.exists = exists; }

uint32_t MediaWindowLength(const char* path) {
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    uint32_t ms = 0;
    if (WaveLengthMs(&r, &ms)) return ms;
    if (MidiLengthMs(&r, &ms)) return ms;
    return 0;
}
