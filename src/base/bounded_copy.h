// Bounded text copy: every fixed-size text buffer of the program is filled through here, so a
// source that is too long or lacks its zero byte is cut, never overrun, and always terminated.
#pragma once
#include <cstddef>

// Copies text into out (capacity outBytes, terminator included), stopping at the first zero byte,
// after `length` bytes or when out is full. Returns the number of bytes copied; out is left
// untouched only when outBytes is 0.
size_t CopyBounded(char* out, size_t outBytes, const char* text, size_t length);

// The same for a zero-terminated source.
size_t CopyBoundedString(char* out, size_t outBytes, const char* text);
