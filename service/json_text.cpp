#include "service/json_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// No escape is longer than this, so stopping at capacity - 7 never cuts one.
const size_t kLongestEscape = 6;

bool is_blank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

const char* skip_blanks(const char* p) {
  while (is_blank(*p))
    p++;
  return p;
}

void append_byte(char* out, size_t capacity, size_t* n, char c) {
  if (*n + 1 < capacity) out[(*n)++] = c;
}

// Appends the UTF-8 form of a \u value only when all of it fits.
void append_code_unit(char* out, size_t capacity, size_t* n, unsigned long v) {
  unsigned char bytes[3];
  size_t length;
  if (v <= 0x7F) {
    bytes[0] = static_cast<unsigned char>(v);
    length = 1;
  } else if (v <= 0x7FF) {
    bytes[0] = static_cast<unsigned char>(0xC0 | (v >> 6));
    bytes[1] = static_cast<unsigned char>(0x80 | (v & 0x3F));
    length = 2;
  } else if (v <= 0xFFFF) {
    bytes[0] = static_cast<unsigned char>(0xE0 | (v >> 12));
    bytes[1] = static_cast<unsigned char>(0x80 | ((v >> 6) & 0x3F));
    bytes[2] = static_cast<unsigned char>(0x80 | (v & 0x3F));
    length = 3;
  } else {
    return; // only a minus sign in the four characters gets here
  }
  if (*n + length >= capacity) return;
  for (size_t i = 0; i < length; i++)
    out[(*n)++] = static_cast<char>(bytes[i]);
}

} // namespace

void json_escape(const char* source, char* out, size_t capacity) {
  static const char hex[] = "0123456789abcdef";
  if (capacity == 0) return;
  size_t n = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(source);
  while (*p != 0 && n + kLongestEscape + 1 < capacity) {
    const unsigned char c = *p++;
    switch (c) {
    case '"':
      out[n++] = '\\';
      out[n++] = '"';
      break;
    case '\\':
      out[n++] = '\\';
      out[n++] = '\\';
      break;
    case '\n':
      out[n++] = '\\';
      out[n++] = 'n';
      break;
    case '\r':
      out[n++] = '\\';
      out[n++] = 'r';
      break;
    case '\t':
      out[n++] = '\\';
      out[n++] = 't';
      break;
    default:
      if (c < 0x20) {
        out[n++] = '\\';
        out[n++] = 'u';
        out[n++] = '0';
        out[n++] = '0';
        out[n++] = hex[c >> 4];
        out[n++] = hex[c & 0x0F];
      } else {
        out[n++] = static_cast<char>(c);
      }
      break;
    }
  }
  out[n] = '\0';
}

const char* json_find_value(const char* body, const char* key) {
  if (body == nullptr || key == nullptr) return nullptr;
  // Keys are short fixed names; a longer one is cut here, as it always was.
  char pattern[96];
  snprintf(pattern, sizeof(pattern), "\"%s\"", key);
  const size_t pattern_length = strlen(pattern);
  const char* search = body;
  for (;;) {
    const char* hit = strstr(search, pattern);
    if (hit == nullptr) return nullptr;
    const char* p = skip_blanks(hit + pattern_length);
    if (*p == ':') return skip_blanks(p + 1);
    // A string value equal to the key: look further on.
    search = hit + pattern_length;
  }
}

const char* json_read_string(const char* quote, char* out, size_t capacity) {
  size_t n = 0;
  const char* p = quote + 1;
  while (*p != '"' && *p != '\0') {
    if (*p != '\\') {
      append_byte(out, capacity, &n, *p);
      p++;
      continue;
    }
    const char e = p[1];
    if (e == '\0') {
      p++;
      break;
    }
    if (e == '"' || e == '\\' || e == '/') {
      append_byte(out, capacity, &n, e);
      p += 2;
    } else if (e == 'n') {
      // Answers are shown in Windows edit controls and message boxes, which want CR LF.
      if (n + 2 < capacity) {
        out[n++] = '\r';
        out[n++] = '\n';
      }
      p += 2;
    } else if (e == 't') {
      append_byte(out, capacity, &n, ' ');
      p += 2;
    } else if (e == 'u') {
      if (p[2] != '\0' && p[3] != '\0' && p[4] != '\0' && p[5] != '\0') {
        char digits[5] = {p[2], p[3], p[4], p[5], '\0'};
        append_code_unit(out, capacity, &n, strtoul(digits, nullptr, 16));
        p += 6;
      } else {
        p += 2;
      }
    } else {
      p += 2;
    }
  }
  if (capacity > 0) out[n] = '\0';
  return *p == '"' ? p + 1 : p;
}

void json_get_string(const char* body, const char* key, char* out, size_t capacity) {
  if (capacity == 0) return;
  out[0] = '\0';
  const char* v = json_find_value(body, key);
  if (v == nullptr || *v != '"') return;
  json_read_string(v, out, capacity);
}

int32_t json_get_int(const char* body, const char* key) {
  const char* v = json_find_value(body, key);
  if (v == nullptr) return 0;
  if (*v == '"') v++;
  const bool negative = *v == '-';
  if (negative)
    v++;
  else if (*v < '0' || *v > '9')
    return 0;
  // Accumulate towards the sign and stop at the 32-bit bound: the answer is
  // untrusted and may hold any number of digits.
  int64_t value = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  while (*v >= '0' && *v <= '9') {
    value = value * 10 + (*v - '0');
    if (value >= limit) {
      value = limit;
      break;
    }
    v++;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int json_is_false(const char* body, const char* key) {
  const char* v = json_find_value(body, key);
  return v != nullptr && strncmp(v, "false", 5) == 0 ? 1 : 0;
}

int json_get_bool(const char* body, const char* key) {
  const char* v = json_find_value(body, key);
  if (v == nullptr) return 0;
  if (strncmp(v, "true", 4) == 0) return 1;
  if (strncmp(v, "false", 5) == 0) return 0;
  return *v == '1' ? 1 : 0;
}
