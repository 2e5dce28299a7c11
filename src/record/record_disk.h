// The record file's disk: free space for the capture step's checks, and pushing a file's written
// bytes through to the medium so a recording survives a power cut. The native build can be told
// what free space to report.
#pragma once
#include <cstdint>
#include <cstdio>

// Free and total bytes of the disk holding path. 0 when it cannot be asked.
int RecordDiskSpace(const char* path, uint64_t* freeOut, uint64_t* totalOut);

// Flushes the stream and asks the system to write it to the disk. 0 on failure.
int SyncFileToDisk(std::FILE* file);

// Cuts the open file to its first `bytes` bytes (through the stream's own handle, which works
// when the disk is full and no second handle is needed). 0 on failure.
int TruncateOpenFile(std::FILE* file, uint64_t bytes);

// Native build only: report these figures instead of the real disk's (free 0 and total 0 = real).
void SetFakeDiskSpace(uint64_t freeBytes, uint64_t totalBytes);
// Native build only: the size the last file synced had at that moment, so tests can tell that a
// file was synced after its last write.
uint64_t LastSyncedSize();
