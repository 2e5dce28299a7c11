// Frame positions in MPEG audio files (see mpeg_frames.h). The header search reads the file
// through a 64 KB window, so sliding one byte at a time costs no file read per step.
#include "tools/mpeg_frames.h"
#include <cstring>
#include <memory>
#include <system_error>
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

namespace {

const uint32_t WALK_BLOCK_BYTES = 1 << 20;

void PutBe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; i++) p[i] = uint8_t(v >> (24 - 8 * i));
}
const uint32_t VBR_TOC_ENTRIES = 100;
const uint32_t VBR_FLAGS = 0x7;                                     // frame count, byte count and seek table present
const uint32_t VBR_FIELDS_BYTES = 4 + 4 + 4 + 4 + VBR_TOC_ENTRIES;  // id, flags, frames, bytes, table

// Bytes of layer III side information behind the header: MPEG-1 or 2, mono or not.
uint32_t SideInfoBytes(const MpaHeader* h) {
    int mono = h->mode == MPA_MODE_MONO;
    return h->versionIndex == 0 ? (mono ? 17 : 32) : (mono ? 9 : 17);
}

// Where each frame of the spans starts in the new file, counted from the end of the header
// frame; *firstOut gets the first frame's header; *varyOut 1 when the bit rates differ.
int WalkFrames(const FrameSpan* spans, int count, int firstOnly, std::vector<uint64_t>* starts, uint64_t* bytesOut,
               MpaHeader* firstOut, int* varyOut) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[WALK_BLOCK_BYTES]);
    uint64_t out = 0;
    *varyOut = 0;
    for (int i = 0; i < count; i++) {
        const FrameSpan& sp = spans[i];
        uint64_t blockAt = 0, blockLength = 0, pos = sp.from;
        while (pos + MPA_HEADER_BYTES <= sp.to) {
            if (pos < blockAt || pos + MPA_HEADER_BYTES > blockAt + blockLength) {
                blockAt = pos;
                blockLength = ReadMediaFile(sp.file, pos, block.get(), WALK_BLOCK_BYTES);
                if (blockLength < MPA_HEADER_BYTES) return 0;
            }
            MpaHeader h;
            const uint8_t* p = block.get() + (pos - blockAt);
            int valid = MpaParseHeader(MpaHeaderWord(p), &h) && h.frameBytes > 0 &&
                        pos + uint64_t(h.frameBytes) <= sp.to && (starts->empty() || MpaSameStream(firstOut, &h));
            if (!valid) {  // bytes between frames are carried along, never counted as a frame
                pos++;
                continue;
            }
            if (starts->empty()) *firstOut = h;
            if (h.bitrateIndex != firstOut->bitrateIndex) *varyOut = 1;
            starts->push_back(out + (pos - sp.from));
            if (firstOnly) return 1;
            pos += uint64_t(h.frameBytes);
        }
        out += sp.to - sp.from;
    }
    *bytesOut = out;
    return !starts->empty();
}

}  // namespace

int PlanVbrHeaderFrame(const FrameSpan* spans, int count, std::vector<uint8_t>* frameOut) {
    frameOut->clear();
    std::vector<uint64_t> starts;
    uint64_t bytes = 0;
    MpaHeader first;
    int vary = 0;
    if (!WalkFrames(spans, count, 1, &starts, &bytes, &first, &vary) || first.layer != 3) return 0;
    // The first frame's header without CRC and padding, at the smallest bit rate that holds the
    // side information and the fields.
    uint32_t word = (0xFFFu << 20) | (uint32_t(first.versionBit) << 19) | (1u << 17) | (1u << 16) |
                    (uint32_t(first.sampleRateIndex) << 10) | (uint32_t(first.privateBit) << 8) |
                    (uint32_t(first.mode) << 6) | (uint32_t(first.modeExtension) << 4) |
                    (uint32_t(first.copyright) << 3) | (uint32_t(first.original) << 2) | uint32_t(first.emphasis);
    uint32_t fieldsAt = MPA_HEADER_BYTES + SideInfoBytes(&first);
    const int BIT_RATE_INDEXES = 15;
    MpaHeader h;
    int index = 1;
    for (; index < BIT_RATE_INDEXES; index++)
        if (MpaParseHeader(word | (uint32_t(index) << 12), &h) && uint32_t(h.frameBytes) >= fieldsAt + VBR_FIELDS_BYTES)
            break;
    if (index == BIT_RATE_INDEXES) return 0;
    frameOut->assign(size_t(h.frameBytes), 0);
    PutBe32(frameOut->data(), word | (uint32_t(index) << 12));
    return 1;
}

int FillVbrHeaderFrame(const FrameSpan* spans, int count, std::vector<uint8_t>* frame) {
    std::vector<uint64_t> starts;
    uint64_t bytes = 0;
    MpaHeader first, self;
    int vary = 0;
    if (frame->size() < MPA_HEADER_BYTES || !MpaParseHeader(MpaHeaderWord(frame->data()), &self) ||
        !WalkFrames(spans, count, 0, &starts, &bytes, &first, &vary))
        return 0;
    uint64_t headBytes = frame->size(), total = bytes + headBytes;
    if (total > 0xFFFFFFFFu) total = 0xFFFFFFFFu;  // the field has 32 bits; players then estimate
    uint8_t* x = frame->data() + MPA_HEADER_BYTES + SideInfoBytes(&self);
    std::memcpy(x, vary ? "Xing" : "Info", 4);
    PutBe32(x + 4, VBR_FLAGS);
    PutBe32(x + 8, uint32_t(starts.size()));
    PutBe32(x + 12, uint32_t(total));
    // Entry i: where the frame at i percent of the frames starts, in 256ths of the file.
    for (uint32_t i = 0; i < VBR_TOC_ENTRIES; i++) {
        uint64_t at = headBytes + starts[size_t(uint64_t(i) * starts.size() / VBR_TOC_ENTRIES)];
        uint64_t entry = at * 256 / total;
        x[16 + i] = uint8_t(entry > 255 ? 255 : entry);
    }
    return 1;
}

void StartVbrHeaderFill(const FrameSpan* spans, int count, std::vector<uint8_t>* frame, VbrHeaderFill* fill) {
    fill->result = 0;
    try {
        fill->walker = std::thread([=] { fill->result = FillVbrHeaderFrame(spans, count, frame); });
    } catch (const std::system_error&) {
        fill->result = FillVbrHeaderFrame(spans, count, frame);  // no thread to be had: walk here
    }
}

int FinishVbrHeaderFill(VbrHeaderFill* fill) {
    if (fill->walker.joinable()) fill->walker.join();
    return fill->result;
}
