#include "account/account_text.h"

#include "checker/text_fit.h"

int status_answer_links(const ServiceResult* result) {
  return result->ok != 0 && result->authenticated != 0;
}

int status_answer_unlinks(const ServiceResult* result) {
  return result->http_status == 200 && result->ok != 0 && result->not_authenticated != 0;
}

int send_pin_answer_sent(const ServiceResult* result) {
  return result->ok != 0 && result->challenge_id[0] != '\0';
}

int verify_pin_answer_linked(const ServiceResult* result) {
  return result->ok != 0 && result->care_auth_token[0] != '\0';
}

int raised_blocked_count(int current, int reported) {
  return reported > current ? reported : current;
}

const char* customer_name_or_default(const char* customer_name) {
  return customer_name[0] != '\0' ? customer_name : "Customer";
}

const char* plan_label_or_default(const char* plan_label, RequestKind kind) {
  if (plan_label[0] != '\0') return plan_label;
  return kind == REQUEST_VERIFY_PIN ? "Callwarden Linked" : "Linked Account";
}

const char* sign_in_failure_text(const ServiceResult* result) {
  if (result->error[0] != '\0') return result->error;
  return result->kind == REQUEST_VERIFY_PIN ? "Incorrect verification code."
                                            : "Could not send verification PIN.";
}

const wchar_t* empty_identifier_prompt(int pin_sent) {
  return pin_sent == 1 ? L"Please enter the 6-digit verification code sent to you."
                       : L"Please enter your email address or UK mobile number (07...).";
}

void compose_linked_line(const wchar_t* name, const wchar_t* plan, wchar_t* out, size_t capacity) {
  const wchar_t* const pieces[] = {L"Signed in: ", name, L"  \u2022  ", plan};
  join_wide(pieces, 4, out, capacity);
}

void compose_pin_sent_line(const wchar_t* masked_target, wchar_t* out, size_t capacity) {
  const wchar_t* const pieces[] = {L"Sent 6-digit code to ", masked_target,
                                   L" \u2014 enter it below and click Verify:"};
  join_wide(pieces, 3, out, capacity);
}
