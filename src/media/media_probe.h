// Media probe: tells for a path what kind of sound file it is, how it is coded, how long it plays
// and where its titles live.
#pragma once
#include <cstdint>
#include "media/media_file.h"

// Media kinds (MediaInfo::kind).
enum MediaKind {
    MEDIA_WAVE = 0,  // WAVE file, any format tag
    MEDIA_MP1 = 1,   // MPEG audio layer 1
    MEDIA_MP2 = 2,   // layer 2
    MEDIA_MP3 = 3,   // layer 3
    MEDIA_MPEG = 4,  // MPEG audio, layer not told (never set by the probe)
    MEDIA_MIDI = 5,  // ".mid" (MThd) or RIFF "RMID"
};

// Play kinds (GetPlayKind).
enum PlayKind {
    PLAY_NONE = 0,         // not recognised
    PLAY_RIFF = 1,         // RIFF file, played through the media control window
    PLAY_MPEG = 2,         // MPEG frame sync at the very start
    PLAY_MIDI = 3,         // Standard MIDI file
    PLAY_MPEG_OFFSET = 4,  // MPEG sync 128, 256, 384 or 512 bytes in
};

// Title containers (GetTitleContainer): where the titles of a file are kept.
enum TitleContainer {
    TITLES_NONE = 0,         // other RIFF form, or no trailer and no ID3v1 tag
    TITLES_WAVE = 1,         // RIFF "WAVE": titles in chunks
    TITLES_TRAILER = 2,      // title trailer ending "MEXT" at the very end
    TITLES_ID3 = 3,          // ID3v1 tag only
    TITLES_ID3_TRAILER = 4,  // ID3v1 tag with a title trailer just before it
    TITLES_MIDI = 5,         // Standard MIDI file
    TITLES_RMID = 6,         // RIFF "RMID"
};

// Description of one file, filled by GetMediaInfo.
struct MediaInfo {
    uint16_t kind;           // MediaKind
    uint16_t formatTag;      // WAVE format tag (1 = PCM); 0 for other kinds
    uint16_t channels;       // WAVE channel count; 0 for MPEG and MIDI
    uint32_t sampleRate;     // Hz (WAVE, MPEG); 1 for MIDI/RMID
    uint16_t bitsPerSample;  // WAVE only
    uint32_t lengthMs;       // playing time
    uint32_t bitRate;        // MPEG kbit/s; 0 otherwise
    uint16_t copyBit;        // MPEG copyright bit as the player library reports it
    uint16_t origBit;        // MPEG original/copy bit as the player library reports it
};

enum {
    MEDIA_TEXT_BYTES = 64,  // buffer for FormatMediaText and FormatMediaLine
    MEDIA_LINE_FIRST = 0,   // FormatMediaLine: the first file's line
    MEDIA_LINE_SECOND = 1,  //                  the second file's line
    WRITABLE_MISSING = 1,   // CheckWritable reasons
    WRITABLE_LOCKED = 2,
};

// 1 when the record was filled; 0 when the file does not exist, cannot be opened or is not
// recognised. An MPEG layer other than 1..3 leaves infoOut->kind as the caller had it.
int GetMediaInfo(const char* path, MediaInfo* infoOut);

// 1 and the play kind (PLAY_NONE when not recognised); 0 when the file does not exist, cannot
// be opened or is shorter than 8 bytes.
int GetPlayKind(const char* path, int* kindOut);

// 1 and the playing time in ms (0 when it cannot be told); 0 with 0 stored when the play kind
// is PLAY_NONE or the file does not exist.
int GetMediaLength(const char* path, uint32_t* lengthMsOut);

// 1 and the TitleContainer; 0 when the file cannot be opened or a header read comes back short.
int GetTitleContainer(const char* path, int* containerOut);

// Tag Editor format text, e.g. " MP2, 44kHz, Stereo " (textOut holds MEDIA_TEXT_BYTES).
// 0 when GetMediaInfo fails or the kind is MEDIA_MPEG or MEDIA_MIDI.
int FormatMediaText(const char* path, char* textOut);

// Combine page format line of `info` (which: MEDIA_LINE_FIRST or MEDIA_LINE_SECOND) into
// lineOut (MEDIA_TEXT_BYTES). 0 and an empty line for MEDIA_MIDI or an unknown kind.
int FormatMediaLine(const MediaInfo* info, int which, char* lineOut);

// 1 when a directory search for the path finds an entry (a file or a folder).
int FileExists(const char* path);

// 1 when the file exists and can be opened for writing; else 0 with reasonOut
// WRITABLE_MISSING or WRITABLE_LOCKED.
int CheckWritable(const char* path, int* reasonOut);

// Clears the information record the last probe kept (tests).
void ResetMediaProbe();

// ---- The probe on any data (a file or a memory buffer), for the calls above and the fuzzers ----
enum { PROBE_HEADER_BYTES = 8 };  // bytes every probe reads from the start
// RIFF/MIDI part of the probe: fills info for "MThd", RIFF "WAVE" and RIFF "RMID" data.
// lengthMs of MIDI files is left 0 (the caller asks the media control window).
int ProbeRiffOrMidi(const ByteReader* r, MediaInfo* infoOut);
int PlayKindOf(const ByteReader* r, int* kindOut);
int TitleContainerOf(const ByteReader* r, int* containerOut);
