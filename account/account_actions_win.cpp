#include "account/account.h"

#include <shellapi.h>

#include "app/app_state.h"
#include "app/vendor.h"
#include "account/account_text.h"
#include "checker/screen_text.h"
#include "service/request_worker.h"

void on_pin_button(HWND hwnd) {
  wchar_t identifier[ACCOUNT_IDENTIFIER_CAPACITY];
  char utf8[ACCOUNT_IDENTIFIER_UTF8_CAPACITY];
  ZeroMemory(identifier, sizeof(identifier));
  ZeroMemory(utf8, sizeof(utf8));
  GetWindowTextW(g_app.identifier_edit, identifier, ACCOUNT_IDENTIFIER_READ_LIMIT);
  if (identifier[0] != L'\0') screen_to_utf8(identifier, utf8, sizeof(utf8));
  if (utf8[0] == '\0') {
    MessageBoxW(hwnd, empty_identifier_prompt(g_app.pin_sent), ACCOUNT_BOX_CAPTION,
                MB_ICONINFORMATION);
    return;
  }
  // One SendPin or VerifyPin at a time: the answer turns the button back on.
  EnableWindow(g_app.pin_button, FALSE);
  int started;
  if (g_app.pin_sent == 1) {
    started = start_service_request(REQUEST_VERIFY_PIN, g_app.challenge_id, utf8);
  } else {
    started = start_service_request(REQUEST_SEND_PIN, utf8, nullptr);
  }
  if (started == 0) {
    // Without a worker no answer comes, and the button would stay off for the whole run.
    EnableWindow(g_app.pin_button, TRUE);
    MessageBoxW(hwnd, ACCOUNT_NOT_STARTED, ACCOUNT_SIGN_IN_CAPTION, MB_ICONWARNING);
  }
}

void open_pricing_page(HWND hwnd) {
  wchar_t address[320];
  ZeroMemory(address, sizeof(address));
  copy_wide(address, 319, CALLWARDEN_PRICING_URL_W);
  ShellExecuteW(hwnd, L"open", address, nullptr, nullptr, SW_SHOWNORMAL);
}
