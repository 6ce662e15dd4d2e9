#pragma once
// Conversions between the service's UTF-8 and the screen's UTF-16, through the platform,
// that always end at a whole character instead of failing when the text is too long.
#include <windows.h>

// UTF-8 to UTF-16 into a zeroed `out` of `capacity` units, at most `max_units` of them
// (never more than capacity - 1). CP_UTF8 first, CP_ACP when that yields nothing.
void utf8_to_screen(const char* text, wchar_t* out, size_t capacity, size_t max_units);

// UTF-16 to UTF-8 into a zeroed `out`, at most capacity - 1 bytes and a NUL.
void screen_to_utf8(const wchar_t* text, char* out, size_t capacity);
