#include "checker/check_text.h"

#include <cstdio>
#include <cstring>

#include "checker/text_fit.h"

VerdictState verdict_state_for(const char* verdict) {
  if (strcmp(verdict, "SCAM") == 0) return VERDICT_SCAM;
  if (strcmp(verdict, "CAUTION") == 0) return VERDICT_CAUTION;
  return VERDICT_SAFE;
}

void format_check_status(VerdictState state, int risk_score, wchar_t* out, size_t capacity) {
  if (capacity == 0) return;
  const wchar_t* head = L"SAFE \u2014 No Obvious Scam Tricks Spotted  (Risk: ";
  if (state == VERDICT_SCAM) head = L"DANGER: SCAM DETECTED  (Risk Score: ";
  if (state == VERDICT_CAUTION) head = L"BE CAREFUL \u2014 Suspicious Signs Found  (Risk: ";
  size_t length = 0;
  out[0] = L'\0';
  if (append_wide(out, capacity, &length, head) &&
      append_decimal(out, capacity, &length, risk_score)) {
    append_wide(out, capacity, &length, L"/100)");
  }
}

void compose_check_detail(const char* headline, const char* reasons, const char* advice, char* out,
                          size_t capacity) {
  if (capacity == 0) return;
  memset(out, 0, capacity);
  snprintf(out, capacity, "%s%s%s%s%s", headline, reasons[0] != '\0' ? "\r\n" : "", reasons,
           advice[0] != '\0' ? "\r\nAdvice: " : "", advice);
}

const char* skip_leading_blanks(const char* text) {
  while (*text == '\t' || *text == '\n' || *text == '\r' || *text == ' ')
    text++;
  return text;
}

void decide_check_card(const ServiceResult* result, CheckCard* card) {
  memset(card, 0, sizeof(*card));
  if (result->ok != 0) {
    card->state = verdict_state_for(result->verdict);
    format_check_status(card->state, result->risk_score, card->status, CHECK_STATUS_CAPACITY);
    compose_check_detail(result->headline, result->reasons, result->advice, card->detail,
                         sizeof(card->detail));
    return;
  }
  card->state = VERDICT_CAUTION;
  size_t length = 0;
  append_wide(card->status, CHECK_STATUS_CAPACITY, &length, CHECK_STATUS_NOTICE);
  const char* source = result->error[0] != '\0' ? result->error : CHECK_DETAIL_FAILED;
  snprintf(card->detail, sizeof(card->detail), "%s", source);
}

const wchar_t* terminated_clipboard_text(const wchar_t* block, size_t units) {
  for (size_t i = 0; i < units; i++) {
    if (block[i] == L'\0') return block;
  }
  return nullptr;
}
