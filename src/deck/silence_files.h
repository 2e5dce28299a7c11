// The three silence files the track gap plays: "Sil32.$$$", "Sil44.$$$" and "Sil48.$$$", six
// seconds of 16-bit stereo digital silence at 32000, 44100 and 48000 Hz, written at engine
// start-up into the default folder and deleted at shutdown.
#pragma once
#include <cstdint>

enum { SILENCE_FILE_COUNT = 3, SILENCE_PATH_BYTES = 260 };

// Writes one silence file: a RIFF/WAVE header and 24 blocks of `rate` zero bytes. 0 on any
// open or short write (the file may stay partly written; the caller deletes it).
int MakeSilenceFile(const char* path, uint32_t rate);

// Builds the three paths in folder (with a trailing separator or none) and writes the files in
// the order 32000, 44100, 48000. Returns 0 when all were written, else the start-up error
// number of the first failure (8, 9, 10), after deleting the files written so far.
int WriteSilenceFiles(const char* folder);
void DeleteSilenceFiles();

// Path of the silence file for a rate: 44100 and 48000 have their own, every other rate 32000.
const char* SilenceFilePath(uint32_t rate);

// The folder the files go to: the user's documents folder, else the program's folder (the
// native build uses the temporary folder).
void DefaultSilenceFolder(char* folderOut, int bytes);
