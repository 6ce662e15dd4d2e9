#include "web/web_call.h"

#include "web/web_form.h"
#include "web/web_frame.h"
#include "store/store_protection.h"

std::string cookie_header(const char* name, const std::string& value, long long max_age) {
  std::string text =
      std::string(name) + "=" + value + "; Path=/; Secure; HttpOnly; SameSite=Strict";
  if (max_age >= 0) text += "; Max-Age=" + std::to_string(max_age);
  return text;
}

const std::string& field(const WebCall* call, const char* name) {
  return form_field(call->form, name);
}

WebAnswer with_cookies(const WebCall* call, WebAnswer answer) {
  for (const auto& cookie : call->cookies_to_set)
    answer.headers.emplace_back("Set-Cookie", cookie.second);
  return answer;
}

WebAnswer show_family(WebCall* call, int status, FamilyView view) {
  ServiceStore* store = call->store;
  const int64_t id = call->account.id;
  view.account = call->account;
  view.now = call->request->now;
  // This instance's waiting verdicts first, so the counts include the check just made.
  check_tally_flush(&call->context->checks, store);
  Challenge pin_code;
  view.pin_code_sent =
      !call->session.pin_challenge_id.empty() &&
      store_find_challenge(store, call->session.pin_challenge_id, &pin_code) == Lookup::kFound &&
      !pin_code.used && pin_code.expires_at > view.now && pin_code.tries_left > 0;
  std::string lock_challenge;
  Challenge lock_code;
  view.lock_code_sent = store_session_lock_challenge(store, call->session_id, &lock_challenge) &&
                        !lock_challenge.empty() &&
                        store_find_challenge(store, lock_challenge, &lock_code) == Lookup::kFound &&
                        !lock_code.used && lock_code.expires_at > view.now &&
                        lock_code.tries_left > 0;
  if (!store_list_devices(store, id, &view.devices) ||
      !store_recent_events(store, id, view.now - kHistorySeconds, 20, &view.events) ||
      !store_verdict_counts(store, id, view.now - kHistorySeconds, &view.verdicts) ||
      !store_list_contacts(store, id, &view.contacts) ||
      !store_last_alert_texts(store, id, &view.alert_texts))
    return message_answer(500, "Something went wrong",
                          "The family page could not be read just now. Please try again in a "
                          "moment.");
  return with_cookies(call, family_page(status, view, call->csrf));
}

WebAnswer show_sign_in(WebCall* call, int status, const SignInView& view) {
  return with_cookies(call, sign_in_page(status, view, call->csrf));
}
