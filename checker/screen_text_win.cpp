#include "checker/screen_text.h"

#include "checker/text_fit.h"

void utf8_to_screen(const char* text, wchar_t* out, size_t capacity, size_t max_units) {
  if (capacity == 0) return;
  ZeroMemory(out, capacity * sizeof(wchar_t));
  if (max_units > capacity - 1) max_units = capacity - 1;
  // Only the part that fits is offered: a conversion that runs out of room fails and
  // leaves a half-written buffer behind.
  const size_t bytes = utf8_bytes_within_utf16_units(text, max_units);
  if (bytes == 0) return;
  int units = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(bytes), out,
                                  static_cast<int>(max_units));
  if (units <= 0) {
    units = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(bytes), out,
                                static_cast<int>(max_units));
  }
  if (units <= 0) {
    ZeroMemory(out, capacity * sizeof(wchar_t));
    return;
  }
  out[units] = L'\0';
}

void screen_to_utf8(const wchar_t* text, char* out, size_t capacity) {
  if (capacity == 0) return;
  ZeroMemory(out, capacity);
  const size_t units = utf16_units_within_utf8_bytes(text, capacity - 1);
  if (units == 0) return;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), out,
                                        static_cast<int>(capacity - 1), nullptr, nullptr);
  if (bytes <= 0) ZeroMemory(out, capacity);
  out[capacity - 1] = '\0';
}
