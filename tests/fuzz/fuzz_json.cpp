// Feeds arbitrary text to every JSON helper and checks what must always hold:
// outputs stay terminated inside their capacity, pointers stay inside the input,
// and escaping then decoding gives back the source as the reader maps it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "service/json_text.h"

namespace {

const char* const kKeys[] = {"ok", "error", "reasons", "risk_score", "a", ""};

void require(bool condition) {
  if (!condition) abort();
}

// Exactly `capacity` bytes, so AddressSanitizer sees any write past the end.
char* make_output(size_t capacity) {
  char* out = static_cast<char*>(malloc(capacity));
  memset(out, 0x5A, capacity);
  return out;
}

void require_terminated(const char* out, size_t capacity) {
  require(memchr(out, '\0', capacity) != nullptr);
}

// What the reader makes of the escaper's output for one source byte.
std::string decoded_form(unsigned char c) {
  if (c == '\n') return "\r\n";
  if (c == '\t') return " ";
  if (c == '\r') return "";
  return std::string(1, static_cast<char>(c));
}

void check_escape_round_trip(const std::string& source, size_t capacity) {
  char* escaped = make_output(capacity);
  json_escape(source.c_str(), escaped, capacity);
  require_terminated(escaped, capacity);
  const size_t escaped_length = strlen(escaped);
  if (capacity >= 8) require(escaped_length + 1 <= capacity - 1);
  // Valid JSON string content: no raw control byte, every quote escaped.
  for (size_t i = 0; i < escaped_length; i++) {
    const unsigned char c = static_cast<unsigned char>(escaped[i]);
    require(c >= 0x20);
    if (c == '\\') {
      i++;
      require(i < escaped_length);
    } else {
      require(c != '"');
    }
  }

  const std::string quoted = "\"" + std::string(escaped) + "\"";
  char* decoded = make_output(escaped_length + 1);
  const char* end = json_read_string(quoted.c_str(), decoded, escaped_length + 1);
  require(end == quoted.c_str() + quoted.size());

  std::string expected;
  for (unsigned char c : source)
    expected += decoded_form(c);
  const std::string got(decoded);
  require(expected.compare(0, got.size(), got) == 0);
  // Nothing was cut unless the escaper reached its limit.
  if (capacity >= 8 && escaped_length + 7 < capacity) require(got == expected);
  free(decoded);
  free(escaped);
}

void check_read_string(const char* text, size_t length, size_t capacity) {
  char* out = make_output(capacity);
  const char* end = json_read_string(text, out, capacity);
  require(end > text && end <= text + length);
  require(*end == '\0' || end[-1] == '"');
  require_terminated(out, capacity);
  free(out);
}

void check_lookups(const char* body, size_t length, const char* key, size_t capacity) {
  const char* v = json_find_value(body, key);
  if (v != nullptr) {
    require(v >= body && v <= body + length);
    const std::string pattern = "\"" + std::string(key) + "\"";
    require(v >= body + pattern.size() + 1);
  }
  char* out = make_output(capacity);
  json_get_string(body, key, out, capacity);
  require_terminated(out, capacity);
  if (v == nullptr || *v != '"') require(out[0] == '\0');
  free(out);

  const int32_t number = json_get_int(body, key);
  if (v == nullptr) require(number == 0);
  const int flag = json_get_bool(body, key);
  require(flag == 0 || flag == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t capacity = 1 + data[0] % 64;
  const char* key = kKeys[data[1] % (sizeof(kKeys) / sizeof(kKeys[0]))];
  // The text as a NUL-terminated copy of exactly its own size.
  const size_t length = strnlen(reinterpret_cast<const char*>(data + 2), size - 2);
  char* text = static_cast<char*>(malloc(length + 1));
  memcpy(text, data + 2, length);
  text[length] = '\0';

  check_escape_round_trip(std::string(text, length), capacity < 8 ? capacity + 8 : capacity);
  check_escape_round_trip(std::string(text, length), capacity);
  if (length > 0) check_read_string(text, length, capacity); // its first byte stands as the quote
  check_lookups(text, length, key, capacity);
  free(text);
  return 0;
}
