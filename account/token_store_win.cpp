#include "account/token_store.h"

#include <windows.h>
#include <cwchar>

#include "account/account_text.h"
#include "checker/screen_text.h"

bool store_auth_token(const char* token) {
  wchar_t wide[ACCOUNT_TOKEN_UNITS];
  utf8_to_screen(token, wide, ARRAYSIZE(wide), ARRAYSIZE(wide) - 1);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, ACCOUNT_TOKEN_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD bytes = static_cast<DWORD>((wcslen(wide) + 1) * sizeof(wchar_t));
  const LONG written = RegSetValueExW(key, ACCOUNT_TOKEN_VALUE, 0, REG_SZ,
                                      reinterpret_cast<const BYTE*>(wide), bytes);
  RegCloseKey(key);
  return written == ERROR_SUCCESS;
}
