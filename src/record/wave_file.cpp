// The PCM WAVE writer. Every file operation goes through the three helpers below, so a test can
// make any one of them fail and check what is left on the disk.
#include "record/wave_file.h"

#include <cstring>

#include "base/byte_order.h"
#include "record/record_disk.h"

namespace {
enum {
    RIFF_CHUNK_HEADER_BYTES = 8,  // id and size
    FMT_RECORD_AT = 20,           // after "RIFF" size "WAVE" "fmt " size
};

struct WaveFaults {
    int countdown;      // operations until the one that fails; 0 = never
    int fullCountdown;  // appends until the disk is full; 0 = never
    int diskFull;       // the disk is full: appends, flushes and the close fail from now on
};
WaveFaults g_faults;

// 1 when this operation is the one a test asked to fail.
int FaultNow() { return g_faults.countdown > 0 && --g_faults.countdown == 0; }

// appending: the write grows the file (a full disk refuses it) rather than overwriting the header.
size_t FileWrite(std::FILE* f, const void* data, size_t bytes, int appending) {
    if (appending && !g_faults.diskFull && g_faults.fullCountdown > 0 && --g_faults.fullCountdown == 0) {
        g_faults.diskFull = 1;
        // The disk fills part way through, and the runtime reports the write as failed without
        // saying how much of it reached the file.
        std::fwrite(data, 1, bytes / 2 + 1, f);
        return 0;
    }
    if (appending && g_faults.diskFull) return 0;
    if (FaultNow()) return std::fwrite(data, 1, bytes / 2, f);
    return std::fwrite(data, 1, bytes, f);
}

int FileClose(std::FILE* f) {
    int ok = std::fclose(f) == 0;
    return g_faults.diskFull ? 0 : ok;
}

int FileSeek(std::FILE* f, long offset) {
    if (FaultNow()) return 0;
    return std::fseek(f, offset, SEEK_SET) == 0;
}

int FileSync(std::FILE* f) {
    if (FaultNow() || g_faults.diskFull) return 0;
    return SyncFileToDisk(f);
}

void PutFormat(uint8_t* p, const PcmFormat& f, uint32_t fmtBytes) {
    PutLe16(p, f.formatTag);
    PutLe16(p + 2, f.channels);
    PutLe32(p + 4, f.sampleRate);
    PutLe32(p + 8, f.avgBytesPerSec);
    PutLe16(p + 12, f.blockAlign);
    PutLe16(p + 14, f.bitsPerSample);
    if (fmtBytes == WAVE_FMT_BYTES) PutLe16(p + 16, 0);  // extra size
}

long DataSizeAt(const WaveWriter* w) { return (long)w->headerBytes - 4; }

// Seeks to offset, writes bytes and returns to the end of the data written so far.
int PatchAt(WaveWriter* w, long offset, const uint8_t* bytes, size_t count) {
    int ok = FileSeek(w->file, offset) && FileWrite(w->file, bytes, count, 0) == count;
    ok = FileSeek(w->file, (long)(w->headerBytes + w->dataBytes)) && ok;
    if (!ok) w->failed = 1;
    return ok;
}
}  // namespace

PcmFormat MakePcmFormat(uint16_t channels, uint32_t sampleRate, uint16_t bits) {
    PcmFormat f{};
    f.formatTag = WAVE_FORMAT_PCM;
    f.channels = channels;
    f.sampleRate = sampleRate;
    f.blockAlign = (uint16_t)(channels * bits / 8);
    f.avgBytesPerSec = sampleRate * f.blockAlign;
    f.bitsPerSample = bits;
    return f;
}

int WaveCreate(WaveWriter* w, const char* path, const PcmFormat& format, uint32_t initialDataBytes, uint32_t fmtBytes) {
    *w = WaveWriter{};
    if (fmtBytes != WAVE_FMT_SHORT_BYTES) fmtBytes = WAVE_FMT_BYTES;
    w->format = format;
    w->refreshBytes = format.avgBytesPerSec ? format.avgBytesPerSec : 1;
    w->headerDataBytes = initialDataBytes;
    w->headerBytes = WAVE_HEADER_BYTES - WAVE_FMT_BYTES + fmtBytes;
    uint8_t h[WAVE_HEADER_BYTES];
    std::memcpy(h, "RIFF", 4);
    PutLe32(h + WAVE_RIFF_SIZE_AT, w->headerBytes - RIFF_CHUNK_HEADER_BYTES + initialDataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLe32(h + 16, fmtBytes);
    PutFormat(h + FMT_RECORD_AT, format, fmtBytes);
    std::memcpy(h + FMT_RECORD_AT + fmtBytes, "data", 4);
    PutLe32(h + DataSizeAt(w), initialDataBytes);

    std::FILE* f = std::fopen(path, "wb");
    if (!f) return 0;
    std::setvbuf(f, nullptr, _IONBF, 0);
    if (FileWrite(f, h, w->headerBytes, 1) != w->headerBytes) {
        FileClose(f);
        std::remove(path);
        return 0;
    }
    w->file = f;
    return 1;
}

int WaveAppend(WaveWriter* w, const uint8_t* data, uint32_t bytes) {
    if (!w->file || w->failed) return 0;
    size_t written = FileWrite(w->file, data, bytes, 1);
    uint32_t block = w->format.blockAlign ? w->format.blockAlign : 1;
    w->dataBytes += (uint32_t)written / block * block;
    if (written != bytes) {
        w->failed = 1;
        return 0;
    }
    if (w->headerDataBytes != w->dataBytes &&
        (w->dataBytes - w->headerDataBytes >= w->refreshBytes || w->dataBytes <= bytes))
        return WaveRefreshHeader(w);
    return 1;
}

int WaveRefreshHeader(WaveWriter* w) {
    if (!w->file) return 0;
    uint8_t size[4];
    PutLe32(size, w->dataBytes);
    int ok = PatchAt(w, DataSizeAt(w), size, 4);
    PutLe32(size, w->headerBytes - RIFF_CHUNK_HEADER_BYTES + w->dataBytes);
    ok = PatchAt(w, WAVE_RIFF_SIZE_AT, size, 4) && ok;
    if (ok) w->headerDataBytes = w->dataBytes;
    if (!FileSync(w->file)) {
        w->failed = 1;
        ok = 0;
    }
    return ok;
}

int WaveRewriteFormat(WaveWriter* w, const PcmFormat& format) {
    if (!w->file) return 0;
    uint8_t record[WAVE_FMT_BYTES];
    uint32_t fmtBytes = w->headerBytes - (WAVE_HEADER_BYTES - WAVE_FMT_BYTES);
    PutFormat(record, format, fmtBytes);
    if (!PatchAt(w, FMT_RECORD_AT, record, fmtBytes)) return 0;
    w->format = format;
    w->refreshBytes = format.avgBytesPerSec ? format.avgBytesPerSec : 1;
    return 1;
}

int WaveClose(WaveWriter* w, const char* /*path*/) {
    if (!w->file) return 0;
    int hadFailed = w->failed;
    w->failed = 0;  // the header is worth one more try even after a failed write
    int ok = WaveRefreshHeader(w);
    if (hadFailed || !ok) {
        // A write that failed half-way left a torn tail after the counted audio; the runtime
        // need not say how much of it reached the file. It is cut through the open stream before
        // the close, whatever the flushes said: once a write has failed on a full disk they fail
        // too, and the header already holds the counted size.
        TruncateOpenFile(w->file, w->headerBytes + (uint64_t)w->dataBytes);
        ok = 0;
    }
    if (!FileClose(w->file)) ok = 0;
    w->file = nullptr;
    return ok;
}

void SetWaveFailureForTest(int nthOperation) { g_faults = WaveFaults{nthOperation, 0, 0}; }
void SetWaveDiskFullForTest(int nthAppend) { g_faults = WaveFaults{0, nthAppend, 0}; }
