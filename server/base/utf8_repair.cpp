#include "base/utf8_repair.h"

namespace {

// Length of the well-formed sequence at `pos`, or 0.
size_t valid_sequence_length(const std::string& text, size_t pos) {
  unsigned char lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F; // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[pos + i]);
    unsigned char min = i == 1 ? low : 0x80;
    unsigned char max = i == 1 ? high : 0xBF;
    if (c < min || c > max) return 0;
  }
  return length;
}

} // namespace

std::string repair_utf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    size_t length = valid_sequence_length(text, pos);
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++pos;
    } else {
      out.append(text, pos, length);
      pos += length;
    }
  }
  return out;
}
