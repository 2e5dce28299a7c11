// Bounded text copy (see bounded_copy.h).
#include "base/bounded_copy.h"

#include <cstdint>

size_t CopyBounded(char* out, size_t outBytes, const char* text, size_t length) {
    if (outBytes == 0) return 0;
    size_t n = 0;
    if (text)
        for (; n < length && n + 1 < outBytes && text[n] != 0; ++n) out[n] = text[n];
    out[n] = 0;
    return n;
}

size_t CopyBoundedString(char* out, size_t outBytes, const char* text) {
    return CopyBounded(out, outBytes, text, SIZE_MAX);
}
