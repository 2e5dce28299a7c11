// Seekable PCM source over a reader (see mpa_source.h).
#include "mpa_source.h"

#include <cstring>

namespace {

// Frames decoded and thrown away before a seek target: the reservoir reaches back at most 511
// bytes, and the IMDCT overlap and synthesis history need one more frame each.
const size_t SEEK_PREROLL_FRAMES = 10;

// Decodes the next frame into src->pcm, converting to the source's channel count. Returns 0
// when there is none.
int DecodeNextFrame(MpaSource* src) {
    if (src->nextFrame >= src->info.frames) return 0;
    MpaHeader h;
    if (!MpaNextFrame(&src->window, &src->info.first, &src->nextOffset, &h)) return 0;
    const uint8_t* frame = MpaWindowAt(&src->window, src->nextOffset, size_t(h.frameBytes));
    size_t index = src->nextFrame++;
    src->nextOffset += uint64_t(h.frameBytes);
    // the usual case (the frame has the stream's channel count) decodes straight into pcm
    float tmp[MPA_MAX_SAMPLES * 2];
    float* dst = h.channels == src->channels ? src->pcm : tmp;
    int n = frame ? MpaDecodeFrame(&src->dec, frame, size_t(h.frameBytes), dst, &h) : 0;
    if (n <= 0) {
        n = src->info.first.samples;
        std::memset(tmp, 0, sizeof(float) * size_t(n) * 2);
        h.channels = src->channels;
    }
    if (src->dec.lastError != MPA_OK) ++src->concealed;
    if (n > MPA_MAX_SAMPLES) n = MPA_MAX_SAMPLES;
    if (h.channels == src->channels) {
        if (dst != src->pcm) std::memcpy(src->pcm, dst, sizeof(float) * size_t(n) * size_t(src->channels));
    } else if (src->channels == 2) {
        for (int i = 0; i < n; ++i) src->pcm[2 * i] = src->pcm[2 * i + 1] = tmp[i];
    } else {
        for (int i = 0; i < n; ++i) src->pcm[i] = 0.5f * (tmp[2 * i] + tmp[2 * i + 1]);
    }
    src->pcmSamples = n;
    src->pcmUsed = 0;
    src->decodedPos = uint64_t(index) * uint64_t(src->info.first.samples);
    return 1;
}

// Puts the frame cursor on frame `target`, from the nearest index entry before it.
void MoveToFrame(MpaSource* src, size_t target) {
    const MpaFrameIndex& ix = src->index;
    size_t slot = target / ix.stride;
    if (slot >= ix.count) slot = ix.count ? ix.count - 1 : 0;
    src->nextFrame = ix.count ? slot * ix.stride : 0;
    src->nextOffset = ix.count ? ix.offset[slot] : src->info.audioStart;
    MpaHeader h;
    while (src->nextFrame < target && MpaNextFrame(&src->window, &src->info.first, &src->nextOffset, &h)) {
        src->nextOffset += uint64_t(h.frameBytes);
        ++src->nextFrame;
    }
}

}  // namespace

int MpaSourceOpenReader(MpaSource* src, const MpaReader& r) {
    src->reader = r;
    if (!MpaScanStream(&src->reader, &src->info, 1, &src->index)) return 0;
    MpaWindowInit(&src->window, &src->reader, src->info.audioEnd, MPA_WINDOW_BYTES);
    src->channels = src->info.first.channels;
    src->sampleRate = src->info.first.sampleRate;
    MpaDecoderInit(&src->dec);
    src->dec.freeBytes = src->info.first.freeBytes;
    src->nextFrame = 0;
    src->nextOffset = src->index.count ? src->index.offset[0] : src->info.audioEnd;
    src->position = 0;
    src->decodedPos = 0;
    src->pcmSamples = 0;
    src->pcmUsed = 0;
    src->concealed = 0;
    return 1;
}

int MpaSourceOpen(MpaSource* src, const uint8_t* data, size_t size) {
    src->file.reset();
    return MpaSourceOpenReader(src, MpaMemoryReader(data, size));
}

int MpaSourceOpenFile(MpaSource* src, const char* path) {
    src->file.reset(path && path[0] ? std::fopen(path, "rb") : nullptr);
    MpaReader r;
    if (!src->file || !MpaFileReader(src->file.get(), &r)) {
        src->file.reset();
        return 0;
    }
    return MpaSourceOpenReader(src, r);
}

size_t MpaSourceRead(MpaSource* src, float* out, size_t count) {
    size_t done = 0;
    int nch = src->channels;
    while (done < count && src->position < src->info.samples) {
        if (src->pcmUsed >= src->pcmSamples) {
            if (!DecodeNextFrame(src)) break;
            continue;
        }
        // samples of this frame before the gapless start are dropped
        uint64_t at = src->decodedPos + uint64_t(src->pcmUsed);
        if (at < src->info.skipSamples) {
            uint64_t drop = src->info.skipSamples - at;
            uint64_t left = uint64_t(src->pcmSamples - src->pcmUsed);
            int d = int(drop < left ? drop : left);
            src->pcmUsed += d;
            continue;
        }
        size_t take = size_t(src->pcmSamples - src->pcmUsed);
        if (take > count - done) take = count - done;
        uint64_t remain = src->info.samples - src->position;
        if (take > remain) take = size_t(remain);
        std::memcpy(out + done * size_t(nch), src->pcm + size_t(src->pcmUsed) * size_t(nch),
                    sizeof(float) * take * size_t(nch));
        src->pcmUsed += int(take);
        done += take;
        src->position += take;
    }
    return done;
}

int MpaSourceSeek(MpaSource* src, uint64_t sample) {
    if (sample > src->info.samples) sample = src->info.samples;
    uint64_t target = sample + src->info.skipSamples;  // in decoded samples
    uint64_t spf = uint64_t(src->info.first.samples);
    size_t frame = size_t(target / spf);
    size_t first = frame > SEEK_PREROLL_FRAMES ? frame - SEEK_PREROLL_FRAMES : 0;
    MpaDecoderResetStream(&src->dec);
    src->pcmSamples = src->pcmUsed = 0;
    MoveToFrame(src, first);
    while (src->nextFrame < frame && DecodeNextFrame(src)) {}
    src->pcmSamples = src->pcmUsed = 0;
    src->position = sample;
    if (src->nextFrame == frame && DecodeNextFrame(src)) src->pcmUsed = int(target - src->decodedPos);
    return 1;
}
