#pragma once
// Bounded text helpers for the texts the checker and the account line put on screen.
// wchar_t holds UTF-16 units on Windows; natively (32-bit wchar_t) a unit above 0xFFFF
// is read as the code point itself, so the same code runs and is tested on both.
#include <cstddef>

// How many leading units of `text` go to UTF-8 in at most `max_bytes` bytes without
// splitting a character. A lone surrogate counts as U+FFFD (3 bytes), as the platform
// converts it; a high surrogate that ends the text has lost its pair and is left out.
size_t utf16_units_within_utf8_bytes(const wchar_t* text, size_t max_bytes);

// How many leading bytes of the UTF-8 `text` go to UTF-16 in at most `max_units` units
// without splitting a character. A byte that starts no well-formed sequence counts as
// one unit (the platform makes at most one U+FFFD of it).
size_t utf8_bytes_within_utf16_units(const char* text, size_t max_units);

// Appends `text` at out[*length], keeping the whole within capacity - 1 units and
// terminated. A cut never leaves half of a surrogate pair. Returns 0 when cut.
int append_wide(wchar_t* out, size_t capacity, size_t* length, const wchar_t* text);

// Appends a signed decimal, as "%d" would print it.
int append_decimal(wchar_t* out, size_t capacity, size_t* length, int value);

// Appends the pieces in order into an emptied `out` until one is cut, so nothing of a
// later piece follows a cut.
void join_wide(const wchar_t* const* pieces, size_t count, wchar_t* out, size_t capacity);
