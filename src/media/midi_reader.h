// Standard MIDI files (and the RMID form around one): the title scan of the first track and the
// playing time from the tempo map. Bounded like every reader here, so a corrupt file gives some
// answer or none, never a hang.
#pragma once
#include <cstdint>
#include "media/media_file.h"

enum {
    MIDI_WINDOW_BYTES = 20480,  // title scan: bytes read per window
    MIDI_WINDOW_STEP = 16384,   //             distance between windows
};

// MIDI meta events: 0xFF, the type, a variable-length length, the bytes.
enum MidiMeta {
    MIDI_META_EVENT = 0xFF,
    MIDI_META_TEXT = 0x01,
    MIDI_META_COPYRIGHT = 0x02,
    MIDI_META_TRACK_NAME = 0x03,
    MIDI_META_END_OF_TRACK = 0x2F,
    MIDI_META_TEMPO = 0x51,
};

// The title of the first track: its track name, else its copyright, else its first text event;
// titleOut holds TITLE_BYTES. 1 when found.
int ScanMidiTitle(const ByteReader* r, char* titleOut);
// Playing time from the tempo map (Standard MIDI or RMID); 1 when the file was understood.
int MidiLengthMs(const ByteReader* r, uint32_t* msOut);
