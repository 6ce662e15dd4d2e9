#include <windows.h>

#include "app/app_state.h"
#include "protection/blocker_rules.h"
#include "protection/guardian_lock.h"
#include "protection/protection_report.h"
#include "protection/protection_reports.h"
#include "protection/protection_texts.h"
#include "service/request_worker.h"
#include "ui/controls.h"
#include "ui/tray.h"

namespace {

// Read as the override reads it: at most 15 characters, so a PIN is told from anything longer.
void read_typed(wchar_t* typed, int capacity) {
  ZeroMemory(typed, static_cast<size_t>(capacity) * sizeof(wchar_t));
  if (g_app.message_edit) GetWindowTextW(g_app.message_edit, typed, capacity);
  typed[capacity - 1] = L'\0';
}

const char* purpose_name(GuardianPurpose purpose) {
  if (purpose == GUARDIAN_REMOVE) return "remove";
  return purpose == GUARDIAN_CLOSE ? "close" : "pause";
}

// Service text is UTF-8; text that does not convert is tried as the ANSI code page.
void service_text_to_wide(const char* text, wchar_t* out, int capacity) {
  ZeroMemory(out, static_cast<size_t>(capacity) * sizeof(wchar_t));
  if (MultiByteToWideChar(CP_UTF8, 0, text, -1, out, capacity - 1) == 0) {
    ZeroMemory(out, static_cast<size_t>(capacity) * sizeof(wchar_t));
    MultiByteToWideChar(CP_ACP, 0, text, -1, out, capacity - 1);
  }
  out[capacity - 1] = L'\0';
}

} // namespace

bool guardian_lock_on(void) { return g_app.guardian_lock != 0 && g_app.auth_token[0] != '\0'; }

bool guardian_pin_ready(HWND hwnd, GuardianPurpose purpose) {
  wchar_t typed[16];
  read_typed(typed, ARRAYSIZE(typed));
  if (is_valid_override_pin(typed)) return true;
  MessageBoxW(hwnd, purpose == GUARDIAN_CLOSE ? LOCK_PIN_EXIT_TEXT : LOCK_PIN_PAUSE_TEXT,
              OVERRIDE_PIN_PROMPT_CAPTION, MB_ICONINFORMATION);
  if (g_app.message_edit) SetFocus(g_app.message_edit);
  return false;
}

void verify_guardian_pin(GuardianPurpose purpose) {
  wchar_t typed[16];
  read_typed(typed, ARRAYSIZE(typed));
  char pin[16];
  ZeroMemory(pin, sizeof(pin));
  WideCharToMultiByte(CP_UTF8, 0, typed, -1, pin, sizeof(pin) - 1, nullptr, nullptr);
  pin[sizeof(pin) - 1] = '\0';
  // The PIN leaves the screen at once; the service's answer decides the rest.
  if (g_app.message_edit) SetWindowTextW(g_app.message_edit, L"");
  verify_guardian_pin_text(pin, purpose);
  SecureZeroMemory(pin, sizeof(pin));
}

void verify_guardian_pin_text(const char* pin, GuardianPurpose purpose) {
  g_app.guardian_pending = purpose;
  start_service_request(REQUEST_VERIFY_GUARDIAN_LOCK, pin, purpose_name(purpose));
}

void on_guardian_lock_result(const ServiceResult* result) {
  const int purpose = g_app.guardian_pending;
  g_app.guardian_pending = GUARDIAN_NONE;
  if (result == nullptr || purpose == GUARDIAN_NONE) return;
  if (purpose == GUARDIAN_REMOVE) {
    // Asked by the copy that removes Callwarden, which speaks to the person itself; a PIN the
    // service did not accept, or no service to ask, leaves this program running.
    if (result->http_status != 0 && result->ok && g_app.main_window)
      end_for_removal(g_app.main_window, g_app.quit_reported != 0);
    return;
  }
  if (result->http_status == 0) {
    // No service, no PIN check: the lock holds.
    MessageBoxW(g_app.main_window, LOCK_UNREACHABLE_TEXT, LOCK_CAPTION, MB_ICONWARNING);
    return;
  }
  if (!result->ok) {
    wchar_t message[512];
    service_text_to_wide(result->error[0] != '\0' ? result->error : OVERRIDE_PIN_REFUSED_DEFAULT,
                         message, ARRAYSIZE(message));
    MessageBoxW(g_app.main_window, message, LOCK_CAPTION, MB_ICONWARNING);
    return;
  }
  if (purpose == GUARDIAN_PAUSE) {
    pause_blocker_now();
  } else if (g_app.main_window) {
    exit_program_now(g_app.main_window);
  }
}

void pause_blocker_now(void) {
  g_app.blocker_enabled = 0;
  refresh_controls();
  report_protection(REPORT_PAUSED);
}

void end_for_removal(HWND hwnd, bool removal_reported) {
  if (!removal_reported) report_protection_and_wait(REPORT_REMOVED, REPORT_WAIT_ON_EXIT_MS);
  g_app.exit_requested = 1;
  DestroyWindow(hwnd);
}

void exit_program_now(HWND hwnd) {
  // The family hears before the program ends; a report not answered in time is kept.
  report_protection_and_wait(REPORT_CLOSED, REPORT_WAIT_ON_EXIT_MS);
  g_app.exit_requested = 1;
  DestroyWindow(hwnd);
}
