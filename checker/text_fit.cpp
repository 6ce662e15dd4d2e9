#include "checker/text_fit.h"

#include <cstdint>
#include <cstdio>
#include <type_traits>

// The unit's value without sign extension (wchar_t is signed natively).
static uint32_t unit_at(const wchar_t* text, size_t index) {
  return static_cast<std::make_unsigned<wchar_t>::type>(text[index]);
}

static bool is_high_surrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
static bool is_low_surrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

size_t utf16_units_within_utf8_bytes(const wchar_t* text, size_t max_bytes) {
  if (text == nullptr) return 0;
  size_t units = 0;
  size_t bytes = 0;
  for (;;) {
    const uint32_t unit = unit_at(text, units);
    if (unit == 0) break;
    size_t step = 1;
    size_t need;
    if (unit < 0x80) {
      need = 1;
    } else if (unit < 0x800) {
      need = 2;
    } else if (is_high_surrogate(unit)) {
      const uint32_t next = unit_at(text, units + 1);
      if (next == 0) break;
      if (is_low_surrogate(next)) {
        need = 4;
        step = 2;
      } else {
        need = 3;
      }
    } else if (unit < 0x10000 || unit > 0x10FFFF) {
      need = 3; // BMP character, lone low surrogate, or (natively) no character at all
    } else {
      need = 4; // natively: a code point beyond the BMP in one unit
    }
    if (bytes + need > max_bytes) break;
    bytes += need;
    units += step;
  }
  return units;
}

static bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed sequence that starts at `s`, or 0 when there is none.
static size_t well_formed_length(const unsigned char* s) {
  const unsigned char lead = s[0];
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return is_continuation(s[1]) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
    if (s[1] < low || s[1] > high) return 0;
    return is_continuation(s[2]) ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
    if (s[1] < low || s[1] > high) return 0;
    return (is_continuation(s[2]) && is_continuation(s[3])) ? 4 : 0;
  }
  return 0;
}

size_t utf8_bytes_within_utf16_units(const char* text, size_t max_units) {
  if (text == nullptr) return 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  size_t bytes = 0;
  size_t units = 0;
  while (s[bytes] != 0) {
    size_t length = well_formed_length(s + bytes);
    size_t need = length == 4 ? 2 : 1;
    if (length == 0) length = 1;
    if (units + need > max_units) break;
    units += need;
    bytes += length;
  }
  return bytes;
}

int append_wide(wchar_t* out, size_t capacity, size_t* length, const wchar_t* text) {
  if (capacity == 0) return 0;
  size_t n = *length;
  int whole = 1;
  if (text != nullptr) {
    for (size_t i = 0; text[i] != L'\0'; i++) {
      if (n + 1 >= capacity) {
        whole = 0;
        break;
      }
      out[n++] = text[i];
    }
  }
  // Half a surrogate pair would show as a box; drop it with the rest of the cut.
  if (!whole && n > *length && is_high_surrogate(unit_at(out, n - 1))) n--;
  out[n] = L'\0';
  *length = n;
  return whole;
}

int append_decimal(wchar_t* out, size_t capacity, size_t* length, int value) {
  char digits[16];
  snprintf(digits, sizeof(digits), "%d", value);
  wchar_t wide[16];
  size_t i = 0;
  for (; digits[i] != '\0'; i++)
    wide[i] = static_cast<wchar_t>(digits[i]);
  wide[i] = L'\0';
  return append_wide(out, capacity, length, wide);
}

void join_wide(const wchar_t* const* pieces, size_t count, wchar_t* out, size_t capacity) {
  if (capacity == 0) return;
  size_t length = 0;
  out[0] = L'\0';
  for (size_t i = 0; i < count; i++) {
    if (!append_wide(out, capacity, &length, pieces[i])) break;
  }
}
