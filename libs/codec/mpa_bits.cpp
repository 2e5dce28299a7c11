// Bit reader set-up (the reads themselves are inline in mpa_bits.h for speed).
#include "mpa_bits.h"

void MpaBitsInit(MpaBits* bits, const uint8_t* data, size_t bytes) {
    bits->data = data;
    bits->bitCount = data ? bytes * 8 : 0;
    bits->pos = 0;
    bits->overrun = 0;
}
