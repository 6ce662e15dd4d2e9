#include "checker/checker.h"

#include "app/app_state.h"
#include "checker/check_flow.h"
#include "checker/check_text.h"
#include "checker/screen_text.h"
#include "service/request_worker.h"

void read_message_utf8(char* out, size_t capacity) {
  wchar_t text[CHECK_MESSAGE_READ_LIMIT];
  ZeroMemory(text, sizeof(text));
  if (capacity > 0) ZeroMemory(out, capacity);
  GetWindowTextW(g_app.message_edit, text, CHECK_MESSAGE_READ_LIMIT);
  if (text[0] != L'\0') screen_to_utf8(text, out, capacity);
}

void take_card_snapshot(CheckCardSnapshot* snapshot) {
  snapshot->state = g_app.verdict_state;
  copy_wide(snapshot->status, ARRAYSIZE(snapshot->status), g_app.status_text);
  copy_wide(snapshot->detail, ARRAYSIZE(snapshot->detail), g_app.detail_text);
  snapshot->check_enabled = IsWindowEnabled(g_app.check_button);
  snapshot->paste_check_enabled = IsWindowEnabled(g_app.paste_check_button);
}

void restore_card_snapshot(const CheckCardSnapshot* snapshot) {
  g_app.verdict_state = snapshot->state;
  copy_wide(g_app.status_text, ARRAYSIZE(g_app.status_text), snapshot->status);
  copy_wide(g_app.detail_text, ARRAYSIZE(g_app.detail_text), snapshot->detail);
  EnableWindow(g_app.check_button, snapshot->check_enabled);
  EnableWindow(g_app.paste_check_button, snapshot->paste_check_enabled);
  InvalidateRect(g_app.main_window, nullptr, TRUE);
}

void show_checking(void) {
  g_app.verdict_state = VERDICT_CHECKING;
  copy_wide(g_app.status_text, ARRAYSIZE(g_app.status_text), CHECK_STATUS_CHECKING);
  copy_wide(g_app.detail_text, ARRAYSIZE(g_app.detail_text), CHECK_DETAIL_CHECKING);
  EnableWindow(g_app.check_button, FALSE);
  EnableWindow(g_app.paste_check_button, FALSE);
  InvalidateRect(g_app.main_window, nullptr, TRUE);
}

void start_message_check(void) {
  char message[CHECK_MESSAGE_UTF8_CAPACITY];
  read_message_utf8(message, sizeof(message));
  const char* text = skip_leading_blanks(message);
  if (text[0] == '\0') {
    MessageBoxW(g_app.main_window, CHECK_EMPTY_MESSAGE, CHECK_BOX_CAPTION, MB_ICONINFORMATION);
    return;
  }
  CheckCardSnapshot before;
  take_card_snapshot(&before);
  show_checking();
  if (start_service_request(REQUEST_CHECK_SCAM, text, nullptr) == 0) {
    // No worker means no answer will ever re-enable the buttons.
    restore_card_snapshot(&before);
    MessageBoxW(g_app.main_window, CHECK_NOT_STARTED, CHECK_BOX_CAPTION, MB_ICONWARNING);
  }
}
