#include <windows.h>

#include "app/app_state.h"
#include "protection/blocker_rules.h"
#include "protection/guardian_lock.h"
#include "protection/protection_report.h"
#include "protection/protection_reports.h"
#include "protection/protection.h"
#include "protection/protection_clock.h"
#include "protection/protection_texts.h"
#include "service/request_worker.h"
#include "ui/controls.h"

static void start_override_now(void) {
  g_app.override_until = override_end_tick(protection_now());
  if (g_app.main_window) InvalidateRect(g_app.main_window, nullptr, TRUE);
}

static bool confirmed(HWND owner, const wchar_t* text, const wchar_t* caption) {
  // No is the default button: a confirmation pressed through in a hurry changes nothing.
  return MessageBoxW(owner, text, caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void toggle_blocker(HWND hwnd) {
  if (g_app.blocker_enabled) {
    // Locked by the family: the PIN first, then the design's confirmation, then the service.
    const bool locked = guardian_lock_on();
    if (locked && !guardian_pin_ready(hwnd, GUARDIAN_PAUSE)) return;
    if (!confirmed(hwnd, PAUSE_CONFIRM_TEXT, PAUSE_CONFIRM_CAPTION)) return;
    if (locked) {
      verify_guardian_pin(GUARDIAN_PAUSE);
      return;
    }
    pause_blocker_now();
    return;
  }
  // Turning the blocker on ends any override, running or not, and never asks.
  g_app.blocker_enabled = 1;
  g_app.override_until = 0;
  refresh_controls();
  report_protection(REPORT_RESUMED);
}

static void request_guardian_override(HWND hwnd) {
  // Only 15 characters are read: enough to tell a PIN from anything longer.
  wchar_t typed[16];
  ZeroMemory(typed, sizeof(typed));
  if (g_app.message_edit) GetWindowTextW(g_app.message_edit, typed, ARRAYSIZE(typed));
  typed[ARRAYSIZE(typed) - 1] = L'\0';

  if (!is_valid_override_pin(typed)) {
    MessageBoxW(hwnd, OVERRIDE_PIN_PROMPT_TEXT, OVERRIDE_PIN_PROMPT_CAPTION, MB_ICONINFORMATION);
    if (g_app.message_edit) SetFocus(g_app.message_edit);
    return;
  }

  char pin[16];
  ZeroMemory(pin, sizeof(pin));
  WideCharToMultiByte(CP_UTF8, 0, typed, -1, pin, sizeof(pin) - 1, nullptr, nullptr);
  pin[sizeof(pin) - 1] = '\0';
  // The PIN leaves the screen at once; the service's answer decides the rest.
  if (g_app.message_edit) SetWindowTextW(g_app.message_edit, L"");
  start_service_request(REQUEST_VERIFY_OVERRIDE_PIN, pin, nullptr);
}

void request_override(HWND hwnd) {
  // The command may come from the tray menu while the window is hidden.
  ShowWindow(hwnd, SW_RESTORE);
  SetForegroundWindow(hwnd);
  if (g_app.signed_in) {
    request_guardian_override(hwnd);
    return;
  }
  if (confirmed(hwnd, OVERRIDE_CONFIRM_TEXT, OVERRIDE_CONFIRM_CAPTION)) start_override_now();
}

// Service text is UTF-8; text that does not convert is tried as the ANSI code page.
static void service_text_to_wide(const char* text, wchar_t* out, int capacity) {
  ZeroMemory(out, static_cast<size_t>(capacity) * sizeof(wchar_t));
  if (MultiByteToWideChar(CP_UTF8, 0, text, -1, out, capacity - 1) == 0) {
    ZeroMemory(out, static_cast<size_t>(capacity) * sizeof(wchar_t));
    MultiByteToWideChar(CP_ACP, 0, text, -1, out, capacity - 1);
  }
  out[capacity - 1] = L'\0';
}

void on_override_pin_result(const ServiceResult* result) {
  if (result == nullptr) return;
  if (!result->ok) {
    // The service's own words when it gave some: it knows why the PIN was refused.
    char error[sizeof(result->error)];
    CopyMemory(error, result->error, sizeof(error));
    error[sizeof(error) - 1] = '\0';
    const char* shown = error[0] != '\0' ? error : OVERRIDE_PIN_REFUSED_DEFAULT;
    wchar_t message[512];
    service_text_to_wide(shown, message, ARRAYSIZE(message));
    MessageBoxW(g_app.main_window, message, OVERRIDE_PIN_REFUSED_CAPTION, MB_ICONWARNING);
    return;
  }
  // The hour counts from this answer, whatever happened while it was on its way.
  start_override_now();
  MessageBoxW(g_app.main_window, OVERRIDE_PIN_ACCEPTED_TEXT, OVERRIDE_PIN_ACCEPTED_CAPTION,
              MB_ICONINFORMATION);
}
