// Frame positions in MPEG audio files (see mpeg_frames.h). The header search reads the file
// through a 64 KB window, so sliding one byte at a time costs no file read per step.
#include "tools/mpeg_frames.h"
#include <cstring>
#include <memory>
#include "base/byte_order.h"
#include "mpa_header.h"
#include "playback/mpeg_libraries.h"

namespace {

const uint32_t SEARCH_WINDOW_BYTES = 1 << 16;

// 1 when the 4 bytes at p are a header of the stream described by info.
int IsStreamHeader(const uint8_t* p, const MpegStreamInfo* info, MpaHeader* headerOut) {
    // The sync, then the version bit and the layer as the stream codes them.
    if (p[0] != 0xFF || (p[1] & 0xF0) != 0xF0) return 0;
    if (uint32_t((p[1] >> 3) & 1) != info->versionBit || 4u - ((p[1] >> 1) & 3) != info->layer) return 0;
    // Two bytes match inside audio data often enough; a real header also has a bit rate and the
    // stream's sampling rate, and is followed by the next frame's header.
    return MpaParseHeader(MpaHeaderWord(p), headerOut) && headerOut->sampleRate == info->sampleRate;
}

}  // namespace

int GetMpegStreamInfo(const char* path, MpegStreamInfo* infoOut) {
    std::memset(infoOut, 0, sizeof *infoOut);
    std::unique_ptr<uint8_t[]> info(new uint8_t[TAVPLY_INFO_BYTES]());
    std::unique_ptr<uint8_t[]> ext(new uint8_t[TAVPLY_EXT_BYTES]());
    if (!PlayerCheckInfo(path, info.get(), ext.get()) ||
        GetLe32(info.get() + TAVPLY_INFO_STREAM) != TAVPLY_STREAM_MPEG_AUDIO)
        return 0;
    const uint8_t* in = info.get();
    infoOut->sampleRate = GetLe32(in + TAVPLY_INFO_SAMPLE_RATE);
    infoOut->bitRate = GetLe32(in + TAVPLY_INFO_BITRATE);
    infoOut->layer = GetLe32(in + TAVPLY_INFO_LAYER);
    infoOut->versionBit = GetLe32(in + TAVPLY_INFO_VERSION_BIT);
    infoOut->layerCode = GetLe32(in + TAVPLY_INFO_LAYER_CODE);
    infoOut->audioStart = GetLe32(in + TAVPLY_INFO_AUDIO_START);
    infoOut->streamBytes = GetLe32(in + TAVPLY_INFO_STREAM_BYTES);
    infoOut->vbrHeader = (GetLe32(in + TAVPLY_INFO_FLAGS) & TAVPLY_FLAG_VBR_HEADER) != 0;
    infoOut->id3v2 = (GetLe32(in + TAVPLY_INFO_FLAGS) & TAVPLY_FLAG_ID3V2) != 0;
    return infoOut->sampleRate != 0 && infoOut->bitRate != 0 && infoOut->layer >= 1 && infoOut->layer <= 3;
}

uint32_t MpegSamplesPerFrame(const MpegStreamInfo* info) {
    if (info->layer == 1) return SAMPLES_PER_FRAME_LAYER1;
    return info->layer == 3 && info->versionBit == 0 ? SAMPLES_PER_FRAME_LOW_RATE : SAMPLES_PER_FRAME;
}

uint64_t MpegBytePosition(const MpegStreamInfo* info, uint32_t ms) {
    if (info->sampleRate == 0) return 0;
    uint32_t perFrame = MpegSamplesPerFrame(info);
    uint64_t samples = uint64_t(double(ms) * info->sampleRate * 0.001);
    uint64_t frames = samples / perFrame;
    uint64_t byte = uint64_t(double(frames * perFrame) / info->sampleRate * info->bitRate * 125 + 0.5);
    if (info->layer == 1) byte &= ~uint64_t(3);
    if (byte != 0 && byte < info->streamBytes) byte -= 4;
    return byte;
}

uint32_t MpegFrameLength(const MpegStreamInfo* info) {
    if (info->sampleRate == 0) return 0;
    uint32_t perFrame = MpegSamplesPerFrame(info);
    return uint32_t(double(perFrame) / info->sampleRate * info->bitRate * 125 + 0.5);
}

int FindMpegFrameIn(const MediaFile* file, uint64_t* position, const MpegStreamInfo* info, uint32_t* frameBytesOut) {
    uint64_t size = MediaFileSize(file);
    std::unique_ptr<uint8_t[]> window(new uint8_t[SEARCH_WINDOW_BYTES]);
    uint64_t at = *position;
    while (at + MPA_HEADER_BYTES <= size) {
        uint32_t got = ReadMediaFile(file, at, window.get(), SEARCH_WINDOW_BYTES);
        if (got < MPA_HEADER_BYTES) return 0;
        for (uint32_t i = 0; i + MPA_HEADER_BYTES <= got; i++) {
            MpaHeader header;
            if (!IsStreamHeader(window.get() + i, info, &header)) continue;
            uint64_t next = at + i + uint64_t(header.frameBytes);
            uint8_t nextBytes[MPA_HEADER_BYTES];
            MpaHeader nextHeader;
            // The last frame of the file has no follower; any other must have one.
            int follows = next + MPA_HEADER_BYTES > size
                              ? next <= size
                              : ReadMediaFile(file, next, nextBytes, MPA_HEADER_BYTES) == MPA_HEADER_BYTES &&
                                    (IsStreamHeader(nextBytes, info, &nextHeader) ||
                                     next >= info->audioStart + info->streamBytes);
            if (follows) {
                *position = at + i;
                if (frameBytesOut) *frameBytesOut = uint32_t(header.frameBytes);
                return 1;
            }
        }
        if (got < SEARCH_WINDOW_BYTES) return 0;
        at += got - (MPA_HEADER_BYTES - 1);
    }
    return 0;
}

int FindMpegFrame(const char* path, uint64_t* position, const MpegStreamInfo* info) {
    MediaFileGuard f;
    if (!OpenMediaFile(path, MF_READ, &f.file)) return 0;
    return FindMpegFrameIn(&f.file, position, info);
}

int SeekFirstMpegSync(const MediaFile* file, uint64_t* offsetOut) {
    *offsetOut = 0;
    for (int i = 0; i < MPEG_SYNC_OFFSET_COUNT; i++) {
        uint64_t at = uint64_t(i) * MPEG_SYNC_OFFSET_STEP;
        uint8_t b[2];
        if (ReadMediaFile(file, at, b, 2) != 2) return 0;
        if (b[0] == 0xFF && (b[1] & 0xF0) == 0xF0) {
            *offsetOut = at;
            return 1;
        }
    }
    return 0;
}

uint64_t FirstAudioFrame(const MediaFile* file, const MpegStreamInfo* info) {
    if (!info->vbrHeader) return info->audioStart;
    uint64_t next = info->audioStart + 1;
    return FindMpegFrameIn(file, &next, info) ? next : info->audioStart;
}
