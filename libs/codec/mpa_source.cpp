// PCM source over an in-memory MPEG audio file (see mpa_source.h).
#include "mpa_source.h"

#include <cstring>

namespace {

// Frames decoded and thrown away before a seek target: the reservoir reaches back at most 511
// bytes, and the IMDCT overlap and synthesis history need one more frame each.
const size_t SEEK_PREROLL_FRAMES = 10;

// Decodes frame `index` into src->pcm, converting to the source's channel count.
void DecodeFrame(MpaSource* src, size_t index)
{
    size_t off = src->frames[index];
    size_t avail = src->info.audioEnd - off;
    float tmp[MPA_MAX_SAMPLES * 2];
    MpaHeader h;
    int n = MpaDecodeFrame(&src->dec, src->data + off, avail, tmp, &h);
    if (n <= 0) {
        n = src->info.first.samples;
        std::memset(tmp, 0, sizeof(float) * size_t(n) * 2);
        h.channels = src->channels;
    }
    if (src->dec.lastError != MPA_OK) ++src->concealed;
    if (n > MPA_MAX_SAMPLES) n = MPA_MAX_SAMPLES;
    if (h.channels == src->channels) {
        std::memcpy(src->pcm, tmp, sizeof(float) * size_t(n) * size_t(src->channels));
    } else if (src->channels == 2) {
        for (int i = 0; i < n; ++i) src->pcm[2 * i] = src->pcm[2 * i + 1] = tmp[i];
    } else {
        for (int i = 0; i < n; ++i) src->pcm[i] = 0.5f * (tmp[2 * i] + tmp[2 * i + 1]);
    }
    src->pcmSamples = n;
    src->pcmUsed = 0;
    src->decodedPos = uint64_t(index) * uint64_t(src->info.first.samples);
}

}  // namespace

int MpaSourceOpen(MpaSource* src, const uint8_t* data, size_t size)
{
    src->data = data;
    src->size = size;
    src->frames.clear();
    if (!MpaScanStream(data, size, &src->info, &src->frames)) return 0;
    src->channels = src->info.first.channels;
    src->sampleRate = src->info.first.sampleRate;
    MpaDecoderInit(&src->dec);
    src->nextFrame = 0;
    src->position = 0;
    src->decodedPos = 0;
    src->pcmSamples = 0;
    src->pcmUsed = 0;
    src->concealed = 0;
    return 1;
}

size_t MpaSourceRead(MpaSource* src, float* out, size_t count)
{
    size_t done = 0;
    int nch = src->channels;
    while (done < count && src->position < src->info.samples) {
        if (src->pcmUsed >= src->pcmSamples) {
            if (src->nextFrame >= src->frames.size()) break;
            DecodeFrame(src, src->nextFrame++);
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

int MpaSourceSeek(MpaSource* src, uint64_t sample)
{
    if (sample > src->info.samples) sample = src->info.samples;
    uint64_t target = sample + src->info.skipSamples;  // in decoded samples
    uint64_t spf = uint64_t(src->info.first.samples);
    size_t frame = size_t(target / spf);
    size_t first = frame > SEEK_PREROLL_FRAMES ? frame - SEEK_PREROLL_FRAMES : 0;
    MpaDecoderResetStream(&src->dec);
    src->pcmSamples = src->pcmUsed = 0;
    for (size_t i = first; i < frame && i < src->frames.size(); ++i) DecodeFrame(src, i);
    src->nextFrame = frame;
    src->pcmSamples = src->pcmUsed = 0;
    src->position = sample;
    if (frame < src->frames.size()) {
        DecodeFrame(src, src->nextFrame++);
        src->pcmUsed = int(target - src->decodedPos);
    }
    return 1;
}
