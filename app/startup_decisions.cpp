#include "app/startup_decisions.h"

#include <cstring>
#include <cwchar>

const TokenLocation token_locations[TOKEN_LOCATION_COUNT] = {
    {REGISTRY_CURRENT_USER, L"Software\\Olvex\\Callwarden", L"AuthToken", 1, 1},
    {REGISTRY_CURRENT_USER, L"Software\\Olvex\\Support", L"CareAuthToken", 1, 0},
    {REGISTRY_LOCAL_MACHINE, L"SOFTWARE\\Olvex\\Support", L"CareAuthToken", 1, 0},
    {REGISTRY_CURRENT_USER, L"Software\\Olvex\\Cloud", L"SyncToken", 0, 1},
};

bool has_tray_flag(const wchar_t* command_tail) {
  if (command_tail == nullptr) return false;
  return wcsstr(command_tail, L"--tray") != nullptr || wcsstr(command_tail, L"/tray") != nullptr;
}

int pick_screen_dpi(int logical_pixels_x) {
  return (logical_pixels_x >= 96 && logical_pixels_x <= 384) ? logical_pixels_x : 96;
}

static size_t utf8_length_of(uint32_t cp) {
  if (cp < 0x80) return 1;
  if (cp < 0x800) return 2;
  if (cp < 0x10000) return 3;
  return 4;
}

static uint32_t unit_at(const wchar_t* text, size_t i) {
  return static_cast<uint32_t>(static_cast<unsigned long>(text[i]));
}

size_t utf16_to_utf8(const wchar_t* text, char* out, size_t capacity) {
  if (capacity == 0) return 0;
  size_t n = 0;
  out[0] = '\0';
  if (text == nullptr) return 0;
  // wchar_t is 16 bits on Windows and 32 bits natively; both are read as UTF-16 units,
  // and a 32-bit unit above 0xFFFF natively is taken as the code point itself.
  for (size_t i = 0; text[i] != L'\0'; i++) {
    uint32_t cp = unit_at(text, i);
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      const uint32_t low = unit_at(text, i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i++;
      } else {
        cp = 0xFFFD;
      }
    } else if ((cp >= 0xDC00 && cp <= 0xDFFF) || cp > 0x10FFFF) {
      cp = 0xFFFD;
    }
    const size_t len = utf8_length_of(cp);
    if (n + len + 1 > capacity) break;
    if (len == 1) {
      out[n++] = static_cast<char>(cp);
    } else if (len == 2) {
      out[n++] = static_cast<char>(0xC0 | (cp >> 6));
      out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (len == 3) {
      out[n++] = static_cast<char>(0xE0 | (cp >> 12));
      out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out[n++] = static_cast<char>(0xF0 | (cp >> 18));
      out[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  out[n] = '\0';
  return n;
}

void pick_device_label(const wchar_t* name, char* out, size_t capacity) {
  if (capacity == 0) return;
  memset(out, 0, capacity);
  if (name == nullptr || name[0] == L'\0') {
    strncpy(out, "Windows PC", capacity - 1);
    return;
  }
  utf16_to_utf8(name, out, capacity);
  out[capacity - 1] = '\0';
}

static bool has_accepted_prefix(const char* text, const TokenLocation& row) {
  if (row.accepts_ocp && strncmp(text, "ocp_", 4) == 0) return true;
  if (row.accepts_ocld && strncmp(text, "ocld_", 5) == 0) return true;
  return false;
}

void discover_auth_token(RegistryReader read, void* context, char* out, size_t capacity) {
  if (capacity == 0) return;
  out[0] = '\0';
  char buffer[320];
  memset(buffer, 0, sizeof(buffer));
  for (const TokenLocation& row : token_locations) {
    if (!read(context, row.root, row.subkey, row.value_name, buffer, sizeof(buffer))) continue;
    buffer[sizeof(buffer) - 1] = '\0';
    if (!has_accepted_prefix(buffer, row)) continue;
    strncpy(out, buffer, capacity - 1);
    out[capacity - 1] = '\0';
    return;
  }
}

WindowPosition centre_in_work_area(int work_left, int work_top, int work_right, int work_bottom,
                                   int width, int height) {
  // 64-bit intermediates: a hostile work area must not overflow the subtraction.
  const long long x = work_left + (static_cast<long long>(work_right) - work_left - width) / 2;
  const long long y = work_top + (static_cast<long long>(work_bottom) - work_top - height) / 2;
  WindowPosition p;
  p.x = static_cast<int>(x);
  p.y = static_cast<int>(y);
  return p;
}

const wchar_t* command_tail_of(const wchar_t* command_line) {
  if (command_line == nullptr) return L"";
  const wchar_t* p = command_line;
  bool quoted = false;
  // The program name ends at the first blank or control character outside quotes.
  while (*p != L'\0') {
    if (*p == L'"') {
      quoted = !quoted;
    } else if (!quoted && static_cast<unsigned>(*p) <= 0x20) {
      break;
    }
    p++;
  }
  while (*p != L'\0' && static_cast<unsigned>(*p) <= 0x20)
    p++;
  return p;
}
