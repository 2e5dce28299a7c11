// Frame decoder entry: header, CRC skip, dispatch by layer, and concealment of frames that
// cannot be decoded (written as silence with the history cleared, so no burst of noise follows).
#include "mpa_decoder.h"

#include <cmath>
#include <cstring>

#include "mpa_internal.h"

namespace {
const float MPA_MAX_LEVEL = 3.0f;  // times full scale
}

void MpaDecoderInit(MpaDecoder* dec) {
    std::memset(dec, 0, sizeof *dec);
    MpaHuffInit(dec);
    MpaSynthInit(dec);
    MpaImdctInit(dec);
    MpaStereoInit(dec);
    MpaLayer3Init(dec);
    MpaDecoderResetStream(dec);
}

void MpaDecoderResetStream(MpaDecoder* dec) {
    std::memset(dec->synthBuf, 0, sizeof dec->synthBuf);
    dec->synthPos = 0;
    std::memset(dec->overlap, 0, sizeof dec->overlap);
    dec->reservoirBytes = 0;
    dec->lastError = MPA_OK;
}

int MpaDecodeFrame(MpaDecoder* dec, const uint8_t* frame, size_t bytes, float* pcmOut, MpaHeader* headerOut) {
    MpaHeader h;
    if (!frame || bytes < MPA_HEADER_BYTES || !MpaParseHeader(MpaHeaderWord(frame), &h)) {
        dec->lastError = MPA_ERR_HEADER;
        return 0;
    }
    if (headerOut) *headerOut = h;
    int err = MPA_OK;
    if (bytes < size_t(h.frameBytes)) {
        err = MPA_ERR_TRUNCATED;
    } else {
        MpaBits bits;
        size_t skip = MPA_HEADER_BYTES + (h.crc ? 2 : 0);
        MpaBitsInit(&bits, frame + skip, size_t(h.frameBytes) - skip);
        if (h.layer == 1)
            err = MpaDecodeLayer1(dec, &h, &bits, pcmOut);
        else if (h.layer == 2)
            err = MpaDecodeLayer2(dec, &h, &bits, pcmOut);
        else
            err = MpaDecodeLayer3(dec, &h, frame, size_t(h.frameBytes), pcmOut);
    }
    if (err == MPA_OK) {
        // Damage the side information cannot reveal still shows as absurd levels: no real
        // stream decodes far beyond full scale, so such a frame is concealed rather than played.
        const size_t count = size_t(h.samples) * size_t(h.channels);
        int sane = 1;  // also false for NaN
        for (size_t i = 0; i < count; ++i) sane &= std::fabs(pcmOut[i]) < MPA_MAX_LEVEL;
        if (!sane) err = MPA_ERR_DATA;
    }
    if (err != MPA_OK) {
        // Conceal: silence for this frame; layer III keeps the reservoir it could fill.
        int keep = dec->reservoirBytes;
        std::memset(pcmOut, 0, sizeof(float) * size_t(h.samples) * size_t(h.channels));
        MpaDecoderResetStream(dec);
        if (err == MPA_ERR_RESERVOIR) dec->reservoirBytes = keep;
    }
    dec->lastError = err;
    return h.samples;
}
