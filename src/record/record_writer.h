// Record file writers: the target file and its format (WAVE or MPEG layer 1..3).
#pragma once
#include <cstdint>

enum { RECORD_PATH_BYTES = 260 };

// kindAndMode = kind | mode << 16 (kind 0 PCM, 1..3 MPEG layer); unused is not read.
int SetRecordFormat(uint32_t kindAndMode, uint32_t channels, uint32_t rate, uint32_t bits, uint32_t unused,
                    uint32_t bitrateKbps);
int SetRecordTarget(const char* path);  // only when no target is set; 1 on success
int GetRecordTarget(char* pathOut);     // RECORD_PATH_BYTES; empty when no file is prepared
int OpenRecordFile();
int CloseDataChunk();
int CloseRecordFile(int release);  // 0 only when no target was set

void ResetRecordWriterForTest();
