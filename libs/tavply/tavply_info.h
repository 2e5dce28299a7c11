// Information records of the player library, filled from a stream's layout and the bytes of
// its tags (portable: standard C file I/O only).
#pragma once
#include <cstdint>

#include "mpa_stream.h"

// Fills the information record and its extension for the stream s behind r (the file at path).
void TavFillInfo(const char* path, const MpaReader* r, const MpaStreamInfo& s, uint8_t* rec, uint8_t* ext);
