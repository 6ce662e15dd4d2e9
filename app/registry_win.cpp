#include <windows.h>

#include "app/startup.h"

bool read_registry_string(HKEY root, const wchar_t* subkey, const wchar_t* value_name, char* out,
                          size_t out_capacity) {
  if (out == nullptr || out_capacity == 0) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  // 638 bytes offered into 640, so a NUL unit always follows whatever was stored.
  wchar_t buffer[320];
  ZeroMemory(buffer, sizeof(buffer));
  DWORD type = 0;
  DWORD size = 638;
  const LONG status =
      RegQueryValueExW(key, value_name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (buffer[0] == L'\0') return false;
  out[0] = '\0';
  // A text whose UTF-8 form does not fit counts as absent rather than half-converted.
  const int written = WideCharToMultiByte(CP_UTF8, 0, buffer, -1, out,
                                          static_cast<int>(out_capacity), nullptr, nullptr);
  if (written <= 0) out[0] = '\0';
  out[out_capacity - 1] = '\0';
  return out[0] != '\0';
}
