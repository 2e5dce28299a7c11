// Media probe: recognises WAVE, MPEG audio, MIDI and RMID files, describes their coding and
// playing time, and tells where their titles live. MPEG files are recognised by the player
// library's information call; everything else by reading RIFF and MIDI headers.
#include "media/media_probe.h"
#include <cstdio>
#include <cstring>
#include "base/path_names.h"
#include "media/media_window.h"
#include "media/riff_chunks.h"
#include "playback/mpeg_libraries.h"

namespace {

const uint32_t MPEG_SYNC_OFFSETS[4] = {128, 256, 384, 512};  // later places a sync may start
const uint32_t WAVE_FMT_NO_BITS_BYTES = 14;                  // format tag .. block align (no bits per sample)
const uint32_t WAVE_FMT_BITS_BYTES = 16;                     // with bits per sample
const uint32_t TITLE_PROBE_BYTES = 12;

struct ProbeState {
    uint8_t info[TAVPLY_INFO_BYTES];  // the last GetMediaInfo call's information record
    uint8_t ext[TAVPLY_EXT_BYTES];    // and its extended record
};
ProbeState g_probe;

int IsMpegSync(const uint8_t* p) { return p[0] == 0xFF && (p[1] & 0xF0) == 0xF0; }

void FillMidi(MediaInfo* info) {
    info->kind = MEDIA_MIDI;
    info->formatTag = 0;
    info->channels = 0;
    info->sampleRate = 1;
    info->bitsPerSample = 0;
    info->lengthMs = 0;
    info->bitRate = 0;
    info->copyBit = 0;
    info->origBit = 0;
}

}  // namespace

void ResetMediaProbe() { std::memset(&g_probe, 0, sizeof g_probe); }

int FileExists(const char* path) { return PathFound(path); }

int CheckWritable(const char* path, int* reasonOut) {
    *reasonOut = 0;
    MediaFileGuard g;
    if (OpenMediaFile(path, MF_WRITE_CHECK, &g.file)) return 1;
    *reasonOut = PathFound(path) ? WRITABLE_LOCKED : WRITABLE_MISSING;
    return 0;
}

int ProbeRiffOrMidi(const ByteReader* r, MediaInfo* info) {
    uint8_t head[PROBE_HEADER_BYTES];
    if (ReadAt(r, 0, head, PROBE_HEADER_BYTES) != PROBE_HEADER_BYTES) return 0;
    if (IsFourCc(head, "MThd")) {
        FillMidi(info);
        return 1;
    }
    RiffChunk riff;
    if (!FindRiffForm(r, "WAVE", &riff)) {
        if (!FindRiffForm(r, "RMID", &riff)) return 0;
        FillMidi(info);
        return 1;
    }
    uint64_t cursor = 0;
    RiffChunk fmt, data;
    if (!FindNextChunk(r, &riff, "fmt ", &cursor, &fmt)) return 0;
    uint8_t f[WAVE_FMT_BITS_BYTES] = {0};
    uint32_t want = fmt.size < WAVE_FMT_BITS_BYTES ? fmt.size : WAVE_FMT_BITS_BYTES;
    uint32_t got = ReadAt(r, fmt.offset + CHUNK_HEADER_BYTES, f, want);
    if (got < WAVE_FMT_NO_BITS_BYTES || got < want) return 0;
    if (!FindNextChunk(r, &riff, "data", &cursor, &data)) return 0;
    uint32_t avgBytes = GetLe32(f + 8);
    info->kind = MEDIA_WAVE;
    info->formatTag = GetLe16(f);
    info->channels = GetLe16(f + 2);
    info->sampleRate = GetLe32(f + 4);
    info->bitsPerSample = got >= WAVE_FMT_BITS_BYTES ? GetLe16(f + 14) : 0;
    // Whole seconds only. A format that claims no bytes per second has no length we can tell.
    // A tiny rate under a huge chunk would wrap around in milliseconds: the length then stops at
    // the largest value there is.
    uint64_t ms = avgBytes ? uint64_t(data.size / avgBytes) * 1000 : 0;
    info->lengthMs = ms > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(ms);
    info->bitRate = 0;
    info->copyBit = 0;
    info->origBit = 0;
    return 1;
}

int GetMediaInfo(const char* path, MediaInfo* infoOut) {
    if (!PathFound(path)) return 0;
    if (PlayerCheckInfo(path, g_probe.info, g_probe.ext) &&
        GetLe32(g_probe.info + TAVPLY_INFO_STREAM) == TAVPLY_STREAM_MPEG_AUDIO) {
        const uint8_t* in = g_probe.info;
        uint32_t layer = GetLe32(in + TAVPLY_INFO_LAYER);
        if (layer >= 1 && layer <= 3) infoOut->kind = uint16_t(layer);
        infoOut->formatTag = 0;
        infoOut->channels = 0;
        infoOut->bitsPerSample = 0;
        infoOut->sampleRate = GetLe32(in + TAVPLY_INFO_SAMPLE_RATE);
        infoOut->lengthMs = GetLe32(in + TAVPLY_INFO_LENGTH_MS);
        infoOut->bitRate = GetLe32(in + TAVPLY_INFO_BITRATE);
        infoOut->copyBit = GetLe16(in + TAVPLY_INFO_COPYRIGHT);
        infoOut->origBit = GetLe16(in + TAVPLY_INFO_ORIGINAL);
        return 1;
    }
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    MediaInfo info = *infoOut;
    if (!ProbeRiffOrMidi(&r, &info)) return 0;
    if (info.kind == MEDIA_MIDI) {
        CloseMediaFile(&g.file);
        GetMediaLength(path, &info.lengthMs);
    }
    *infoOut = info;
    return 1;
}

int PlayKindOf(const ByteReader* r, int* kindOut) {
    *kindOut = PLAY_NONE;
    uint8_t head[PROBE_HEADER_BYTES];
    if (ReadAt(r, 0, head, PROBE_HEADER_BYTES) != PROBE_HEADER_BYTES) return 0;
    if (IsFourCc(head, "RIFF")) {
        *kindOut = PLAY_RIFF;
        return 1;
    }
    if (IsFourCc(head, "MThd")) {
        *kindOut = PLAY_MIDI;
        return 1;
    }
    if (IsMpegSync(head)) {
        *kindOut = PLAY_MPEG;
        return 1;
    }
    for (uint32_t at : MPEG_SYNC_OFFSETS) {
        if (ReadAt(r, at, head, PROBE_HEADER_BYTES) != PROBE_HEADER_BYTES) return 0;
        if (IsMpegSync(head)) {
            *kindOut = PLAY_MPEG_OFFSET;
            return 1;
        }
    }
    return 1;
}

int GetPlayKind(const char* path, int* kindOut) {
    *kindOut = PLAY_NONE;
    if (!PathFound(path)) return 0;
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    return PlayKindOf(&r, kindOut);
}

int GetMediaLength(const char* path, uint32_t* lengthMsOut) {
    *lengthMsOut = 0;
    int kind = PLAY_NONE;
    if (!GetPlayKind(path, &kind) || kind == PLAY_NONE) return 0;
    if (!MediaWindowExists()) return 1;
    uint8_t info[TAVPLY_INFO_BYTES], ext[TAVPLY_EXT_BYTES];
    if (PlayerCheckInfo(path, info, ext)) {
        *lengthMsOut = GetLe32(info + TAVPLY_INFO_LENGTH_MS);
        return 1;
    }
    if (!HasExtension(path, ".WAV") && !HasExtension(path, ".MID") && !HasExtension(path, ".RMI")) return 1;
    *lengthMsOut = MediaWindowLength(path);
    return 1;
}

int TitleContainerOf(const ByteReader* r, int* containerOut) {
    *containerOut = TITLES_NONE;
    uint8_t b[TITLE_PROBE_BYTES];
    if (ReadAt(r, 0, b, TITLE_PROBE_BYTES) != TITLE_PROBE_BYTES) return 0;
    if (IsFourCc(b, "RIFF")) {
        if (IsFourCc(b + 8, "WAVE"))
            *containerOut = TITLES_WAVE;
        else if (IsFourCc(b + 8, "RMID"))
            *containerOut = TITLES_RMID;
        return 1;
    }
    if (IsFourCc(b, "MThd")) {
        *containerOut = TITLES_MIDI;
        return 1;
    }
    uint64_t size = r->size;
    if (ReadAt(r, size - TITLE_PROBE_BYTES, b, TITLE_PROBE_BYTES) != TITLE_PROBE_BYTES) return 0;
    if (IsFourCc(b + 8, "MEXT")) {
        *containerOut = TITLES_TRAILER;
        return 1;
    }
    // No room for a tag means no tag; a tag with no room before it has no trailer.
    if (size < 128) return 1;
    if (ReadAt(r, size - 128, b, TITLE_PROBE_BYTES) != TITLE_PROBE_BYTES) return 0;
    if (std::memcmp(b, "TAG", 3) != 0) return 1;
    *containerOut = TITLES_ID3;
    if (size >= 128 + TITLE_PROBE_BYTES &&
        ReadAt(r, size - 128 - TITLE_PROBE_BYTES, b, TITLE_PROBE_BYTES) == TITLE_PROBE_BYTES && IsFourCc(b + 8, "MEXT"))
        *containerOut = TITLES_ID3_TRAILER;
    return 1;
}

int GetTitleContainer(const char* path, int* containerOut) {
    *containerOut = TITLES_NONE;
    MediaFileGuard g;
    if (!OpenMediaFile(path, MF_READ, &g.file)) return 0;
    ByteReader r = FileReader(&g.file);
    return TitleContainerOf(&r, containerOut);
}

int FormatMediaText(const char* path, char* textOut) {
    textOut[0] = 0;
    MediaInfo info;
    std::memset(&info, 0, sizeof info);
    if (!GetMediaInfo(path, &info)) return 0;
    char khz[16], bits[16];
    std::snprintf(khz, sizeof khz, "%dkHz", int(info.sampleRate / 1000));
    std::snprintf(bits, sizeof bits, "%dbit", int(info.bitsPerSample));
    const char* chans = info.channels == 1 ? "Mono" : "Stereo";
    switch (info.kind) {
    case MEDIA_WAVE: std::snprintf(textOut, MEDIA_TEXT_BYTES, " PCM, %s, %s, %s ", khz, bits, chans); return 1;
    case MEDIA_MP1: std::snprintf(textOut, MEDIA_TEXT_BYTES, " MP1, %s, %s ", khz, chans); return 1;
    case MEDIA_MP2: std::snprintf(textOut, MEDIA_TEXT_BYTES, " MP2, %s, %s ", khz, chans); return 1;
    case MEDIA_MP3: std::snprintf(textOut, MEDIA_TEXT_BYTES, " MP3, %s, %s ", khz, chans); return 1;
    default: return 0;
    }
}

int FormatMediaLine(const MediaInfo* info, int which, char* lineOut) {
    static const char* const KIND_WORDS[5] = {" PCM", " MP1", " MP2", " MP3", " MPEG"};  // by kind
    lineOut[0] = 0;
    if (info->kind > MEDIA_MPEG) return 0;
    // Built in steps on one buffer: kind, channels, rate, then bit rate or sample size.
    size_t n = std::snprintf(lineOut, MEDIA_TEXT_BYTES, "%s%s %d kHz", KIND_WORDS[info->kind],
                             info->channels == 1 ? " Mono  " : " Stereo", int(info->sampleRate / 1000));
    if (info->kind != MEDIA_WAVE)
        std::snprintf(lineOut + n, MEDIA_TEXT_BYTES - n, which == MEDIA_LINE_FIRST ? " %d kbits " : " %d kbits",
                      int(info->bitRate));
    else
        std::snprintf(lineOut + n, MEDIA_TEXT_BYTES - n, " %d bit", int(info->bitsPerSample));
    return 1;
}
