#include "checker/checker.h"

#include "app/app_state.h"
#include "checker/check_text.h"
#include "checker/screen_text.h"

void on_check_scam_result(const ServiceResult* result) {
  EnableWindow(g_app.check_button, TRUE);
  EnableWindow(g_app.paste_check_button, TRUE);
  CheckCard card;
  decide_check_card(result, &card);
  g_app.verdict_state = card.state;
  copy_wide(g_app.status_text, ARRAYSIZE(g_app.status_text), card.status);
  utf8_to_screen(card.detail, g_app.detail_text, ARRAYSIZE(g_app.detail_text),
                 CHECK_DETAIL_MAX_UNITS);
  InvalidateRect(g_app.main_window, nullptr, TRUE);
}
