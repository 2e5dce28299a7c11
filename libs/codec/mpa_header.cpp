// Frame header decoding: sync, version, layer, bit rate, sample rate, mode and frame size.
#include "mpa_header.h"

#include "mpa_tables.h"

int MpaParseHeader(uint32_t word, MpaHeader* out, int freeBytes) {
    if ((word & 0xFFE00000u) != 0xFFE00000u) return 0;
    int versionBits = (word >> 19) & 3;
    int layerCode = (word >> 17) & 3;
    int bitrateIndex = (word >> 12) & 15;
    int srIndex = (word >> 10) & 3;
    if (versionBits == 1 || layerCode == 0 || bitrateIndex == 15 || srIndex == 3) return 0;
    const bool free = bitrateIndex == 0;
    if (free && (freeBytes < MPA_MIN_FREE_BYTES || freeBytes > MPA_MAX_FREE_BYTES)) return 0;
    MpaHeader h{};
    h.versionIndex = versionBits == 3 ? MPA_MPEG1 : versionBits == 2 ? MPA_MPEG2 : MPA_MPEG25;
    h.versionBit = (word >> 19) & 1;
    h.layerCode = layerCode;
    h.layer = 4 - layerCode;
    h.crc = ((word >> 16) & 1) == 0;
    h.bitrateIndex = bitrateIndex;
    int lsf = h.versionIndex == MPA_MPEG1 ? 0 : 1;
    h.bitrateKbps = MPA_BITRATE_KBPS[lsf][h.layer - 1][bitrateIndex];
    h.sampleRateIndex = srIndex;
    h.sampleRate = MPA_SAMPLE_RATE[h.versionIndex][srIndex];
    h.padding = (word >> 9) & 1;
    h.privateBit = (word >> 8) & 1;
    h.mode = (word >> 6) & 3;
    h.modeExtension = (word >> 4) & 3;
    h.copyright = (word >> 3) & 1;
    h.original = (word >> 2) & 1;
    h.emphasis = word & 3;
    h.channels = h.mode == MPA_MODE_MONO ? 1 : 2;
    h.samples = MPA_FRAME_SAMPLES[h.versionIndex][h.layer - 1];
    if (free) {
        // the size the stream scan measured; the bit rate follows from it (layer I pads by a
        // four-byte slot)
        h.freeBytes = freeBytes;
        h.frameBytes = freeBytes + h.padding * (h.layer == 1 ? 4 : 1);
        h.bitrateKbps = int((int64_t(freeBytes) * 8 * int64_t(h.sampleRate) + int64_t(h.samples) * 500) /
                            (int64_t(h.samples) * 1000));
    } else if (h.layer == 1) {
        h.frameBytes = (12000 * h.bitrateKbps / int(h.sampleRate) + h.padding) * 4;
    } else {
        // bytes = samples/8 * bitrate / rate; layer III at low rates has 576 samples per frame
        int slotsPerKbit = h.samples / 8 * 1000;
        h.frameBytes = int(int64_t(slotsPerKbit) * h.bitrateKbps / h.sampleRate) + h.padding;
    }
    if (h.frameBytes < MPA_MIN_FREE_BYTES) return 0;  // not even a header and side information
    *out = h;
    return 1;
}

int MpaSameStream(const MpaHeader* a, const MpaHeader* b) {
    return a->versionIndex == b->versionIndex && a->layer == b->layer && a->sampleRateIndex == b->sampleRateIndex &&
           (a->freeBytes != 0) == (b->freeBytes != 0);
}

int MpaIsFreeFormat(uint32_t word) {
    MpaHeader h;
    return ((word >> 12) & 15) == 0 && MpaParseHeader(word, &h, MPA_MAX_FREE_BYTES);
}
