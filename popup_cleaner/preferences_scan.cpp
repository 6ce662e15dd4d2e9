#include "popup_cleaner/preferences_scan.h"

#include <cstring>

#include "app/vendor.h"

const char* const trusted_domains[TRUSTED_DOMAIN_COUNT + 1] = {
    CALLWARDEN_VENDOR_DOMAIN,
    "google.com",
    "google.co.uk",
    "microsoft.com",
    "live.com",
    "office.com",
    "outlook.com",
    "bbc.co.uk",
    "gov.uk",
    "",
};

namespace {

const char kExceptionsToken[] = "\"exceptions\"";
const char kNotificationsToken[] = "\"notifications\"";
const char kSettingToken[] = "\"setting\"";
const size_t kNotificationsLength = sizeof(kNotificationsToken) - 1;
const size_t kSettingLength = sizeof(kSettingToken) - 1;

// A "setting" needs its token, at least one more byte and the value; shorter values hold none.
const size_t kShortestSettingValue = 11;

const size_t kKeyCapacity = 256;

bool is_blank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

size_t skip_blanks(const char* text, size_t i) {
  while (is_blank(text[i]))
    i++;
  return i;
}

// From the byte after an opening quote to the byte after the closing one. A text that ends
// inside the string gives the position of its terminating NUL.
size_t skip_string(const char* text, size_t i) {
  for (;;) {
    const char c = text[i];
    if (c == '\0') return i;
    if (c == '"') return i + 1;
    if (c == '\\') {
      if (text[i + 1] == '\0') return i + 1;
      i += 2;
    } else {
      i++;
    }
  }
}

// Reads a member key from the byte after its opening quote. Escapes are not decoded: the
// backslash is dropped and the byte after it kept, which is all the trusted test needs.
size_t read_key(const char* text, size_t i, char* key, size_t* key_length) {
  size_t n = 0;
  for (;;) {
    char c = text[i];
    if (c == '\0') break;
    if (c == '"') {
      i++;
      break;
    }
    if (c == '\\' && text[i + 1] != '\0') {
      c = text[i + 1];
      i += 2;
    } else {
      i++;
    }
    if (n + 1 < kKeyCapacity) key[n++] = c;
  }
  key[n] = '\0';
  *key_length = n;
  return i;
}

// The position just past the object that opens at `i`, or the end of the text.
size_t object_end(const char* text, size_t i) {
  size_t depth = 0;
  for (;;) {
    const char c = text[i];
    if (c == '\0') return i;
    if (c == '"') {
      i = skip_string(text, i + 1);
      continue;
    }
    if (c == '{') {
      depth++;
    } else if (c == '}') {
      depth--;
      if (depth == 0) return i + 1;
    }
    i++;
  }
}

bool is_trusted(const char* key, size_t key_length) {
  char lower[kKeyCapacity];
  for (size_t i = 0; i < key_length; i++) {
    const char c = key[i];
    lower[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  lower[key_length] = '\0';
  for (size_t d = 0; trusted_domains[d][0] != '\0'; d++) {
    if (strstr(lower, trusted_domains[d]) != nullptr) return true;
  }
  return false;
}

bool ends_setting_value(char c) {
  return c == ',' || c == '}' || c == ' ' || c == '\r' || c == '\n';
}

// The position of the first qualifying "setting" 1 in [start, end), or 0 when there is none
// (position 0 can never hold it: the notifications object opens after the token).
size_t find_granted_setting(const char* text, size_t start, size_t end) {
  if (end - start < kShortestSettingValue) return 0;
  const size_t last = end - kShortestSettingValue;
  for (size_t p = start; p <= last; p++) {
    if (memcmp(text + p, kSettingToken, kSettingLength) != 0) continue;
    size_t x = p + kSettingLength;
    // Line breaks are deliberately not passed over here, unlike the structural whitespace.
    while (x < end && (text[x] == '\t' || text[x] == ' ' || text[x] == ':'))
      x++;
    if (x >= end) continue;
    if (text[x] != '1') continue;
    if (!ends_setting_value(text[x + 1])) continue;
    return x;
  }
  return 0;
}

// The position of the notifications object's opening brace, or 0 when there is none.
size_t find_notifications_object(const char* text) {
  const char* exceptions = strstr(text, kExceptionsToken);
  const char* notifications = strstr(exceptions ? exceptions : text, kNotificationsToken);
  if (notifications == nullptr) return 0;
  const char* brace = strchr(notifications + kNotificationsLength, '{');
  if (brace == nullptr) return 0;
  return static_cast<size_t>(brace - text);
}

} // namespace

bool preferences_size_acceptable(uint64_t size) {
  return size - PREFERENCES_MIN_SIZE <= PREFERENCES_MAX_SIZE - PREFERENCES_MIN_SIZE;
}

int scan_preferences_text(char* text, bool apply) {
  if (text == nullptr) return 0;
  const size_t brace = find_notifications_object(text);
  if (brace == 0) return 0;

  int count = 0;
  size_t depth = 1;
  size_t i = brace + 1;
  char key[kKeyCapacity];
  for (;;) {
    const char c = text[i];
    if (c == '\0') break;
    if (c == '{') {
      depth++;
      i++;
      continue;
    }
    if (c == '}') {
      if (depth == 1) break;
      depth--;
      i++;
      continue;
    }
    if (c != '"') {
      i++;
      continue;
    }
    if (depth > 1) {
      i = skip_string(text, i + 1);
      continue;
    }

    size_t key_length = 0;
    i = read_key(text, i + 1, key, &key_length);
    i = skip_blanks(text, i);
    if (text[i] == ':') i++;
    i = skip_blanks(text, i);
    if (text[i] == '\0') break;
    if (text[i] != '{') {
      // Not an object, so not a site entry; the byte after it may begin the next member.
      i++;
      continue;
    }
    const size_t end = object_end(text, i);
    if (key_length > 0 && !is_trusted(key, key_length)) {
      const size_t grant = find_granted_setting(text, i, end);
      if (grant != 0) {
        count++;
        if (apply) text[grant] = '2';
      }
    }
    i = end;
  }
  return count;
}
