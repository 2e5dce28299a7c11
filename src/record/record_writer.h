// Record file writers: the target file and its format, and the two ways captured buffers reach
// the disk: a WAVE file (wave_file.h) or MPEG audio through the encoder library. The file is
// created by the first buffer written, so a standby that records nothing leaves no file.
#pragma once
#include <cstdint>

#include "record/wave_file.h"

enum { RECORD_PATH_BYTES = 260 };
enum { TARGET_NONE = 0, TARGET_WAVE = 1, TARGET_MPEG = 2 };
enum { RECORD_KIND_PCM = 0, RECORD_KIND_MPEG_LAST = 4 };  // kinds 1..4 are MPEG layers
enum : uint32_t { RECORD_SIZE_LIMIT = 0x7F600000 };       // the largest file a recording grows to

// What WriteBuffer asks of the capture step.
enum {
    RECORD_WRITE_OK = 0,
    RECORD_WRITE_LIMIT = 1,          // the size limit was reached: stop, the file is complete
    RECORD_WRITE_FAILED = 2,         // the file could not be created or written: stop
    RECORD_WRITE_ENCODER_FAILED = 3  // the encoder refused the audio: stop
};

// The format the deck records in (the former fifth argument of SetRecordFormat was never read
// and is gone).
struct RecordFormat {
    uint16_t kind;  // RECORD_KIND_PCM, or the MPEG layer 1..4
    uint16_t mode;  // the deck passes 1
    uint16_t channels;
    uint32_t sampleRate;  // Hz
    uint16_t bits;
    uint32_t bitrateKbps;  // MPEG only
};

// Stores the format. MPEG kinds ask the encoder (0 = refused, also without the library); PCM
// with a WAVE file already open rewrites its format record (0 = failed: the file is deleted).
int SetRecordFormat(const RecordFormat& format);
int SetRecordTarget(const char* path);  // only when no target is set; 1 on success
int GetRecordTarget(char* pathOut);     // RECORD_PATH_BYTES; empty when no file is prepared
int OpenRecordFile();
int CloseDataChunk();
int CloseRecordFile(int release);  // 0 only when no target was set

// The capture step's hand-over of one captured buffer. firstDataInOut goes 0 -> 1 with the
// first audio that reaches the file.
int WriteBuffer(const uint8_t* data, uint32_t bytes, uint16_t* firstDataInOut);
// MPEG: resets the encoder and its counters at the start of writing.
void ResetEncoderForWriting();
void ClearEncoderOutputFlag();
int AllocateEncoderBuffers();  // with the capture ring; 0 when they could not be had
void FreeEncoderBuffers();

const PcmFormat& RecordPcmFormat();  // zero until a format is set
uint32_t RecordBufferBytes();        // 100 ms of audio in the record format
int RecordTargetKind();
uint32_t PcmBytesWritten();
uint32_t MpegBytesWritten();
void ZeroByteCounters();

void ResetRecordWriterForTest();
void SetByteCountersForTest(uint32_t pcmBytes, uint32_t mpegBytes);  // as if that much was written
