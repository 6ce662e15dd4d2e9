#include "account/account.h"

#include <commctrl.h>
#include <cstring>

#include "account/account_text.h"
#include "account/token_store.h"
#include "app/app_state.h"
#include "app/heartbeat.h"
#include "checker/screen_text.h"
#include "protection/protection_report.h"
#include "ui/controls.h"

// "Signed in: <name>  •  <plan>" from the answer, with the defaults of its kind.
static void show_linked_line(const ServiceResult* result) {
  wchar_t name[ACCOUNT_NAME_CAPACITY];
  wchar_t plan[ACCOUNT_PLAN_CAPACITY];
  utf8_to_screen(customer_name_or_default(result->customer_name), name, ARRAYSIZE(name),
                 ARRAYSIZE(name) - 1);
  utf8_to_screen(plan_label_or_default(result->plan_label, static_cast<RequestKind>(result->kind)),
                 plan, ARRAYSIZE(plan), ARRAYSIZE(plan) - 1);
  compose_linked_line(name, plan, g_app.account_text, ARRAYSIZE(g_app.account_text));
}

static void show_sign_in_failure(const ServiceResult* result) {
  wchar_t text[ACCOUNT_FAILURE_CAPACITY];
  utf8_to_screen(sign_in_failure_text(result), text, ARRAYSIZE(text), ARRAYSIZE(text) - 1);
  MessageBoxW(g_app.main_window, text, ACCOUNT_SIGN_IN_CAPTION, MB_ICONWARNING);
}

// Cut to capacity - 1 bytes; both sides are fixed-width fields of the same program.
static void copy_utf8(char* out, size_t capacity, const char* text) {
  memset(out, 0, capacity);
  const size_t length = strnlen(text, capacity - 1);
  memcpy(out, text, length);
}

void on_app_status_result(const ServiceResult* result) {
  // A late answer overrides a sign-in made meanwhile: answers are not matched to requests.
  if (status_answer_links(result)) {
    g_app.signed_in = 1;
    g_app.entitled = result->entitled;
    g_app.blocked_count = raised_blocked_count(g_app.blocked_count, result->recent_blocked_count);
    show_linked_line(result);
    // The lock is kept, so that a start without network still holds it; reports kept while
    // the service could not be reached go out now.
    g_app.guardian_lock = result->guardian_lock != 0;
    save_guardian_lock(g_app.guardian_lock);
    send_kept_reports();
    // Within the hour after a blocked tool, also after a restart, the service wants to hear
    // more often than every 5 minutes.
    note_asked_heartbeat(result->heartbeat_seconds);
  } else {
    // Only the service's own "not linked" lifts the lock: an outage never does.
    if (status_answer_unlinks(result) && g_app.auth_token[0] != '\0') {
      g_app.guardian_lock = 0;
      save_guardian_lock(0);
      forget_kept_reports();
    }
    g_app.signed_in = 0;
    g_app.entitled = 0;
    copy_wide(g_app.account_text, ARRAYSIZE(g_app.account_text), ACCOUNT_NOT_LINKED);
  }
  refresh_controls();
}

void on_heartbeat_result(const ServiceResult* result) {
  // An answer that never came says nothing about the link: the start-up answer stands.
  if (result->http_status == 0 || result->http_status >= 500) return;
  on_app_status_result(result);
}

void on_send_pin_result(const ServiceResult* result) {
  EnableWindow(g_app.pin_button, TRUE);
  if (!send_pin_answer_sent(result)) {
    show_sign_in_failure(result);
    return;
  }
  copy_utf8(g_app.challenge_id, sizeof(g_app.challenge_id), result->challenge_id);
  g_app.pin_sent = 1;
  SetWindowTextW(g_app.identifier_edit, L"");
  SendMessageW(g_app.identifier_edit, EM_SETCUEBANNER, 1,
               reinterpret_cast<LPARAM>(ACCOUNT_PIN_CUE_BANNER));
  wchar_t masked[ACCOUNT_MASKED_CAPACITY];
  utf8_to_screen(result->masked_target, masked, ARRAYSIZE(masked), ARRAYSIZE(masked) - 1);
  compose_pin_sent_line(masked, g_app.account_text, ARRAYSIZE(g_app.account_text));
  refresh_controls();
  SetFocus(g_app.identifier_edit);
}

void on_verify_pin_result(const ServiceResult* result) {
  EnableWindow(g_app.pin_button, TRUE);
  if (!verify_pin_answer_linked(result)) {
    // The challenge and the typed code stay, so the user can correct the code.
    show_sign_in_failure(result);
    return;
  }
  copy_utf8(g_app.auth_token, sizeof(g_app.auth_token), result->care_auth_token);
  // A failed write is not reported: the token still holds for this run.
  store_auth_token(g_app.auth_token);
  g_app.signed_in = 1;
  g_app.entitled = result->entitled;
  g_app.pin_sent = 0;
  show_linked_line(result);
  refresh_controls();
  MessageBoxW(g_app.main_window, ACCOUNT_LINKED_CONFIRMATION, ACCOUNT_BOX_CAPTION,
              MB_ICONINFORMATION);
}
