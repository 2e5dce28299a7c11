// Record file writers. WAVE goes through the shared WAVE writer, whose header stays true while
// the recording grows; MPEG goes through the encoder library into a plain stream written one
// encoder pass at a time, so the file ends on a frame boundary after every pass.
#include "record/record_writer.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "playback/mpeg_libraries.h"
#include "record/capture.h"
#include "record/record_disk.h"

namespace {
enum { BUFFER_MS_DIVISOR = 10 };  // a buffer holds a tenth of a second

struct EncoderCounters {
    int32_t waiting;    // PCM bytes waiting in the accumulation buffer
    int32_t consumed;   // PCM bytes consumed in this pass
    int32_t produced;   // MPEG bytes produced in this pass
    int32_t freeSpace;  // free bytes in the output buffer
    int32_t minInput;   // Encode is called again while this much PCM waits
};

struct WriterModule {
    char path[RECORD_PATH_BYTES];  // target file; empty = no target
    int targetKind;                // TARGET_*
    RecordFormat format;           // as the deck set it
    int formatSet;
    PcmFormat pcm;        // the PCM format record
    WaveWriter wave;      // the open WAVE file
    std::FILE* mpegFile;  // the open MPEG file
    alignas(8) uint8_t encoderContext[TAVENC_CONTEXT_BYTES];
    std::vector<uint8_t> accumulation;  // PCM waiting for the encoder, two buffers long
    std::vector<uint8_t> output;        // MPEG of one pass, two buffers long
    EncoderCounters enc;
    uint16_t encoderOutput;  // the encoder has produced output in this recording
    uint32_t pcmBytesWritten;
    uint32_t mpegBytesWritten;
};
WriterModule g_writer;

uint32_t BufferBytesOf(const PcmFormat& f) {
    return (uint32_t)(f.bitsPerSample / 8) * (f.sampleRate / BUFFER_MS_DIVISOR) * f.channels;
}

uint32_t EncoderStyle() {
    uint32_t style;
    std::memcpy(&style, g_writer.encoderContext + TAVENC_OUTPUT_STYLE_WORD * 4, 4);
    return style;
}

void ResetEncoderCounters() {
    g_writer.enc = EncoderCounters{};
    g_writer.enc.freeSpace = (int32_t)g_writer.output.size();
    g_writer.enc.minInput = TAVENC_MIN_INPUT_BYTES;
}

// One encode call at the current counters; 0 when the encoder fails.
int EncodeOnce() {
    EncoderCounters& e = g_writer.enc;
    uint8_t* outStart = g_writer.output.data() + e.produced;
    uint8_t* out = outStart;
    const uint8_t* inStart = g_writer.accumulation.data() + e.consumed;
    const uint8_t* in = inStart;
    uint32_t produced = 0, consumed = 0;
    if (!EncoderEncode(&out, outStart + e.freeSpace, &produced, &in, inStart + e.waiting, &consumed)) return 0;
    if (produced > (uint32_t)e.freeSpace || consumed > (uint32_t)e.waiting) return 0;  // a library gone wrong
    e.produced += (int32_t)produced;
    e.freeSpace -= (int32_t)produced;
    e.consumed += (int32_t)consumed;
    e.waiting -= (int32_t)consumed;
    g_writer.encoderOutput = 1;
    if (EncoderStyle() != TAVENC_OUTPUT_STYLE_HELD) {
        uint8_t* flushStart = g_writer.output.data() + e.produced;
        uint8_t* flushOut = flushStart;
        uint32_t flushed = 0;
        EncoderFlush(&flushOut, flushStart + e.freeSpace, &flushed);
        if (flushed > (uint32_t)e.freeSpace) return 0;
        e.produced += (int32_t)flushed;
        e.freeSpace -= (int32_t)flushed;
    }
    return 1;
}

int WriteMpegBuffer(const uint8_t* data, uint32_t bytes, uint16_t* firstData) {
    EncoderCounters& e = g_writer.enc;
    if (g_writer.accumulation.empty() || g_writer.output.empty()) return RECORD_WRITE_ENCODER_FAILED;
    if (bytes > g_writer.accumulation.size() - (size_t)e.waiting) return RECORD_WRITE_ENCODER_FAILED;
    std::memcpy(g_writer.accumulation.data() + e.waiting, data, bytes);
    e.waiting += (int32_t)bytes;
    e.freeSpace = (int32_t)g_writer.output.size();
    e.consumed = e.produced = 0;
    int result = RECORD_WRITE_OK;
    if (!EncodeOnce()) {
        result = RECORD_WRITE_ENCODER_FAILED;
    } else {
        while (e.waiting >= e.minInput)
            if (!EncodeOnce()) {
                result = RECORD_WRITE_ENCODER_FAILED;
                break;
            }
    }
    std::memmove(g_writer.accumulation.data(), g_writer.accumulation.data() + e.consumed, (size_t)e.waiting);
    if (e.produced > 0 && *firstData == 0) *firstData = 1;
    if (!g_writer.mpegFile && !OpenRecordFile()) return RECORD_WRITE_FAILED;
    size_t written = std::fwrite(g_writer.output.data(), 1, (size_t)e.produced, g_writer.mpegFile);
    if (written != (size_t)e.produced) return RECORD_WRITE_FAILED;
    if (result != RECORD_WRITE_OK) return result;
    g_writer.pcmBytesWritten += bytes;
    g_writer.mpegBytesWritten += (uint32_t)written;
    return g_writer.mpegBytesWritten > RECORD_SIZE_LIMIT ? RECORD_WRITE_LIMIT : RECORD_WRITE_OK;
}

int WriteWaveBuffer(const uint8_t* data, uint32_t bytes, uint16_t* firstData) {
    if (*firstData == 0) *firstData = 1;
    if (!g_writer.wave.file && !OpenRecordFile()) return RECORD_WRITE_FAILED;
    uint32_t before = g_writer.wave.dataBytes;
    int ok = WaveAppend(&g_writer.wave, data, bytes);
    g_writer.pcmBytesWritten += g_writer.wave.dataBytes - before;
    if (!ok) return RECORD_WRITE_FAILED;
    return g_writer.pcmBytesWritten >= RECORD_SIZE_LIMIT ? RECORD_WRITE_LIMIT : RECORD_WRITE_OK;
}
}  // namespace

int SetRecordFormat(const RecordFormat& format) {
    g_writer.format = format;
    g_writer.formatSet = 1;
    g_writer.pcm = MakePcmFormat(format.channels, format.sampleRate, format.bits);
    if (format.kind >= 1 && format.kind <= RECORD_KIND_MPEG_LAST)
        return EncoderSetInfo(g_writer.encoderContext, int32_t(format.kind | uint32_t(format.mode) << 16),
                              (int32_t)format.sampleRate,
                              (int32_t)format.bitrateKbps) != 0;
    if (format.kind == RECORD_KIND_PCM && g_writer.wave.file) {
        if (WaveRewriteFormat(&g_writer.wave, g_writer.pcm)) return 1;
        WaveClose(&g_writer.wave, g_writer.path);
        std::remove(g_writer.path);
        g_writer.path[0] = 0;
        g_writer.targetKind = TARGET_NONE;
        return 0;
    }
    return 1;
}

int SetRecordTarget(const char* path) {
    if (g_writer.path[0] || !path || !path[0]) return 0;
    if (std::strlen(path) >= sizeof g_writer.path) return 0;
    uint16_t kind = g_writer.format.kind;
    if (kind == RECORD_KIND_PCM)
        g_writer.targetKind = TARGET_WAVE;
    else if (kind <= RECORD_KIND_MPEG_LAST)
        g_writer.targetKind = TARGET_MPEG;
    else
        return 0;
    std::strcpy(g_writer.path, path);
    return 1;
}

int GetRecordTarget(char* pathOut) {
    std::strcpy(pathOut, g_writer.path);
    return 1;
}

int OpenRecordFile() {
    if (!g_writer.path[0] || g_writer.targetKind == TARGET_NONE) return 0;
    if (g_writer.targetKind == TARGET_WAVE) {
        if (g_writer.wave.file) return 1;
        return WaveCreate(&g_writer.wave, g_writer.path, g_writer.pcm, BufferBytesOf(g_writer.pcm));
    }
    if (g_writer.mpegFile) return 1;
    g_writer.mpegFile = std::fopen(g_writer.path, "wb");
    if (!g_writer.mpegFile) return 0;
    // Unbuffered: every encoder pass goes to the file whole, so a crash leaves whole frames.
    std::setvbuf(g_writer.mpegFile, nullptr, _IONBF, 0);
    return 1;
}

int CloseDataChunk() {
    if (g_writer.targetKind != TARGET_WAVE || !g_writer.wave.file) return 1;
    return WaveRefreshHeader(&g_writer.wave);
}

int CloseRecordFile(int release) {
    if (g_writer.targetKind == TARGET_NONE && !g_writer.path[0]) {
        if (release) ReleaseCaptureRing();
        return 0;
    }
    if (g_writer.wave.file) WaveClose(&g_writer.wave, g_writer.path);
    if (g_writer.mpegFile) {
        if (g_writer.encoderOutput && EncoderStyle() == TAVENC_OUTPUT_STYLE_HELD && !g_writer.output.empty()) {
            uint8_t* out = g_writer.output.data();
            uint32_t produced = 0;
            EncoderFlush(&out, out + g_writer.output.size(), &produced);
            if (produced <= g_writer.output.size()) std::fwrite(g_writer.output.data(), 1, produced, g_writer.mpegFile);
        }
        SyncFileToDisk(g_writer.mpegFile);
        std::fclose(g_writer.mpegFile);
        g_writer.mpegFile = nullptr;
    }
    g_writer.targetKind = TARGET_NONE;
    g_writer.path[0] = 0;
    if (release) ReleaseCaptureRing();
    return 1;
}

int WriteBuffer(const uint8_t* data, uint32_t bytes, uint16_t* firstDataInOut) {
    if (g_writer.targetKind == TARGET_WAVE) return WriteWaveBuffer(data, bytes, firstDataInOut);
    if (g_writer.targetKind == TARGET_MPEG) return WriteMpegBuffer(data, bytes, firstDataInOut);
    return RECORD_WRITE_FAILED;
}

void ResetEncoderForWriting() {
    EncoderReset(g_writer.encoderContext);
    ResetEncoderCounters();
    g_writer.encoderOutput = 0;
}

void ClearEncoderOutputFlag() { g_writer.encoderOutput = 0; }

int AllocateEncoderBuffers() {
    size_t bytes = 2 * (size_t)BufferBytesOf(g_writer.pcm);
    try {
        g_writer.accumulation.assign(bytes, 0);
        g_writer.output.assign(bytes, 0);
    } catch (...) {
        FreeEncoderBuffers();
        return 0;
    }
    ResetEncoderCounters();
    return 1;
}

void FreeEncoderBuffers() {
    std::vector<uint8_t>().swap(g_writer.accumulation);
    std::vector<uint8_t>().swap(g_writer.output);
}

const PcmFormat& RecordPcmFormat() { return g_writer.pcm; }
uint32_t RecordBufferBytes() { return BufferBytesOf(g_writer.pcm); }
int RecordTargetKind() { return g_writer.targetKind; }
uint32_t PcmBytesWritten() { return g_writer.pcmBytesWritten; }
uint32_t MpegBytesWritten() { return g_writer.mpegBytesWritten; }
void ZeroByteCounters() { g_writer.pcmBytesWritten = g_writer.mpegBytesWritten = 0; }

void ResetRecordWriterForTest() {
    if (g_writer.wave.file) std::fclose(g_writer.wave.file);
    if (g_writer.mpegFile) std::fclose(g_writer.mpegFile);
    g_writer = WriterModule{};
}

void SetByteCountersForTest(uint32_t pcmBytes, uint32_t mpegBytes) {
    g_writer.pcmBytesWritten = pcmBytes;
    g_writer.mpegBytesWritten = mpegBytes;
}
