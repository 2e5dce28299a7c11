// Frame decoder entry: header, CRC check, dispatch by layer, and concealment of frames that
// cannot be decoded (written as silence with the history cleared, so no burst of noise follows).
// A frame that decodes validly is played as it is, however loud: hot masters clip on purpose,
// and a jump from quiet to full scale is music, not damage. Only a failed CRC or side
// information that contradicts itself or the frame marks a frame as damaged.
#include "mpa_decoder.h"

#include <cstring>

#include "mpa_internal.h"

namespace {

const uint16_t MPA_CRC_POLY = 0x8005;  // x^16 + x^15 + x^2 + 1
const uint16_t MPA_CRC_INIT = 0xFFFF;
const size_t MPA_CRC_BYTES = 2;

// CRC-16 of `count` bits from data, most significant bit first, continuing from crc.
uint16_t CrcBits(uint16_t crc, const uint8_t* data, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        int bit = (data[i >> 3] >> (7 - (i & 7))) & 1;
        int top = (crc >> 15) & 1;
        crc = uint16_t(crc << 1);
        if (top ^ bit) crc ^= MPA_CRC_POLY;
    }
    return crc;
}

// 1 when the frame carries no CRC or its CRC matches: it covers the header's last two bytes and
// the side information (layer III) or the bit allocation (layers I and II).
int CrcMatches(const MpaHeader* h, const uint8_t* frame) {
    if (!h->crc) return 1;
    const uint8_t* data = frame + MPA_HEADER_BYTES + MPA_CRC_BYTES;
    const size_t dataBytes = size_t(h->frameBytes) - MPA_HEADER_BYTES - MPA_CRC_BYTES;
    size_t bits = h->layer == 3 ? size_t(MpaLayer3SideInfoBytes(h)) * 8 : MpaLayer12ProtectedBits(h, data, dataBytes);
    if (bits > dataBytes * 8) return 0;
    uint16_t crc = CrcBits(MPA_CRC_INIT, frame + 2, 16);
    crc = CrcBits(crc, data, bits);
    return crc == ((uint16_t(frame[4]) << 8) | frame[5]);
}

}  // namespace

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
    if (!frame || bytes < MPA_HEADER_BYTES || !MpaParseHeader(MpaHeaderWord(frame), &h, dec->freeBytes)) {
        dec->lastError = MPA_ERR_HEADER;
        return 0;
    }
    if (headerOut) *headerOut = h;
    int err = MPA_OK;
    if (bytes < size_t(h.frameBytes)) {
        err = MPA_ERR_TRUNCATED;
    } else if (!CrcMatches(&h, frame)) {
        // The side information cannot be trusted; the main data can, and later frames may
        // point back into it.
        err = MPA_ERR_CRC;
        if (h.layer == 3) MpaLayer3KeepMainData(dec, &h, frame, size_t(h.frameBytes));
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
    if (err != MPA_OK) {
        // Conceal: silence for this frame, and no history of it in the filter banks. Layer III
        // keeps the reservoir when the frame's main data was not at fault.
        const int keep = dec->reservoirBytes;
        std::memset(pcmOut, 0, sizeof(float) * size_t(h.samples) * size_t(h.channels));
        MpaDecoderResetStream(dec);
        if (err == MPA_ERR_RESERVOIR || err == MPA_ERR_CRC) dec->reservoirBytes = keep;
    }
    dec->lastError = err;
    return h.samples;
}
