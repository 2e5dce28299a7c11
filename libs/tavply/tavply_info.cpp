// MpegAudioPlayCheckInfo: describes an MPEG audio file in the library's information records
// (layout in tavply_api.h). Portable, so the native build uses the same call as the program.
// The deck's playlist asks this for every entry again and again, so only the file's head and
// tail are read: a constant bit-rate file without a VBR header gets its nominal length from
// the stream bytes and the bit rate, as other players show it. The open track's record
// (MpegAudioPlayGetInfo) comes from the player's frame walk instead and is exact.
#include <cstdio>
#include <cstring>
#include <memory>

#include "mpa_stream.h"
#include "tavply_api.h"
#include "tavply_info.h"
#include "mpa_source.h"

namespace {

void Put32(uint8_t* rec, uint32_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) rec[offset + i] = uint8_t(v >> (8 * i));
}

void Put16(uint8_t* rec, uint32_t offset, uint16_t v) {
    rec[offset] = uint8_t(v);
    rec[offset + 1] = uint8_t(v >> 8);
}

}  // namespace

void TavFillInfo(const char* path, const MpaReader* r, const MpaStreamInfo& s, uint8_t* rec, uint8_t* x) {
    std::memset(rec, 0, TAVPLY_INFO_BYTES);
    std::memset(x, 0, TAVPLY_EXT_BYTES);
    size_t pathLen = std::strlen(path);
    std::memcpy(rec + TAVPLY_INFO_PATH, path, pathLen < 259 ? pathLen : 259);
    Put32(rec, TAVPLY_INFO_RECORD_BYTES, TAVPLY_INFO_BYTES);
    Put32(rec, TAVPLY_INFO_STREAM, TAVPLY_STREAM_MPEG_AUDIO);
    Put32(rec, TAVPLY_INFO_CHANNELS, uint32_t(s.first.channels));
    Put32(rec, TAVPLY_INFO_MODE, uint32_t(s.first.mode));
    Put32(rec, TAVPLY_INFO_FRAMES, s.frames);
    Put32(rec, TAVPLY_INFO_AUDIO_START, uint32_t(s.audioStart));
    Put32(rec, TAVPLY_INFO_STREAM_BYTES, uint32_t(s.audioEnd - s.audioStart));
    uint32_t flags =
        (s.vbr ? uint32_t(TAVPLY_FLAG_VBR) : 0u) | (s.hasVbrHeader ? uint32_t(TAVPLY_FLAG_VBR_HEADER) : 0u) |
        (s.hasGapless ? uint32_t(TAVPLY_FLAG_GAPLESS) : 0u) | (s.id3v2Bytes ? uint32_t(TAVPLY_FLAG_ID3V2) : 0u) |
        (s.hasId3v1 ? uint32_t(TAVPLY_FLAG_ID3V1) : 0u) | (s.trailerBytes ? uint32_t(TAVPLY_FLAG_TRAILER) : 0u) |
        (s.hasChannelStatus ? uint32_t(TAVPLY_FLAG_CHANNEL_STATUS) : 0u);
    Put32(rec, TAVPLY_INFO_FLAGS, flags);
    Put32(rec, TAVPLY_INFO_LENGTH_MS, s.lengthMs);
    Put32(rec, TAVPLY_INFO_VERSION_BIT, uint32_t(s.first.versionBit));
    Put32(rec, TAVPLY_INFO_LAYER_CODE, uint32_t(s.first.layerCode));
    Put32(rec, TAVPLY_INFO_VERSION_INDEX, uint32_t(s.first.versionIndex));
    Put32(rec, TAVPLY_INFO_MODE_EXTENSION, uint32_t(s.first.modeExtension));
    Put32(rec, TAVPLY_INFO_EMPHASIS, uint32_t(s.first.emphasis));
    Put32(rec, TAVPLY_INFO_CRC, uint32_t(s.first.crc));
    Put32(rec, TAVPLY_INFO_FRAME_SAMPLES, uint32_t(s.first.samples));
    Put32(rec, TAVPLY_INFO_ENCODER_DELAY, s.encoderDelay);
    Put32(rec, TAVPLY_INFO_ENCODER_PADDING, s.encoderPadding);
    Put16(rec, TAVPLY_INFO_COPYRIGHT, uint16_t(s.first.copyright));
    Put16(rec, TAVPLY_INFO_ORIGINAL, uint16_t(s.first.original));
    Put32(rec, TAVPLY_INFO_PRIVATE, uint32_t(s.first.privateBit));
    Put32(rec, TAVPLY_INFO_SAMPLE_RATE, s.first.sampleRate);
    Put32(rec, TAVPLY_INFO_BITRATE, s.averageKbps);
    Put32(rec, TAVPLY_INFO_LAYER, uint32_t(s.first.layer));
    Put32(rec, TAVPLY_INFO_SAMPLES_LOW, uint32_t(s.samples));
    Put32(rec, TAVPLY_INFO_SAMPLES_HIGH, uint32_t(s.samples >> 32));
    Put32(rec, TAVPLY_INFO_FIRST_BITRATE, uint32_t(s.first.bitrateKbps));

    uint64_t size = r->size;
    if (s.hasId3v1) MpaRead(r, size - MPA_ID3V1_BYTES, x + TAVPLY_EXT_ID3V1, MPA_ID3V1_BYTES);
    if (s.trailerBytes) {
        size_t areaLen = s.trailerBytes - MPA_TRAILER_FOOTER_BYTES;
        uint64_t trailerEnd = size - (s.hasId3v1 ? uint64_t(MPA_ID3V1_BYTES) : 0u);
        uint64_t areaAt = trailerEnd - s.trailerBytes;
        size_t room = TAVPLY_EXT_CHANNEL_STATUS - TAVPLY_EXT_TRAILER;
        Put32(x, TAVPLY_EXT_TRAILER_BYTES, uint32_t(areaLen));
        MpaRead(r, areaAt, x + TAVPLY_EXT_TRAILER, areaLen < room ? areaLen : room);
    }
    if (s.hasChannelStatus) std::memcpy(x + TAVPLY_EXT_CHANNEL_STATUS, s.channelStatus, 4);
}

extern "C" int32_t TAV_CALL MpegAudioPlayCheckInfo(const char* path, void* info, void* ext) {
    if (!path || !path[0] || !info || !ext) return TAVPLY_ERR_ARGUMENT;
    uint8_t* rec = static_cast<uint8_t*>(info);
    uint8_t* x = static_cast<uint8_t*>(ext);
    std::memset(rec, 0, TAVPLY_INFO_BYTES);
    std::memset(x, 0, TAVPLY_EXT_BYTES);
    std::unique_ptr<FILE, MpaFileCloser> file(std::fopen(path, "rb"));
    MpaReader r;
    if (!file || !MpaFileReader(file.get(), &r)) return TAVPLY_ERR_OPEN;
    MpaStreamInfo s;
    if (!MpaScanStream(&r, &s, 0)) return TAVPLY_ERR_FORMAT;
    TavFillInfo(path, &r, s, rec, x);
    return 0;
}
