// Whole-file reads for the player library (portable: standard C file I/O only).
#pragma once
#include <cstdint>
#include <vector>

// Reads the file at path into *out. Returns 1 on success, 0 when it cannot be opened or read.
int TavReadWholeFile(const char* path, std::vector<uint8_t>* out);
