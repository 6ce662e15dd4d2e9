// send_pin and verify_pin: linking a device to an account by a code.
#include "abuse_limits.h"
#include "api_actions.h"
#include "identifier.h"
#include "pin_outbox.h"
#include "secure_random.h"

namespace {

const int64_t kCodeLifetimeSeconds = 10 * 60;
const int kCodeTries = 5;

const char* const kBadIdentifier =
    "Please enter a valid email address or UK mobile number (07...).";
const char* const kBadCodeForm = "Please enter the 6-digit code we sent you.";
const char* const kExpiredCode =
    "That code has expired or has already been used. Please ask for a new one.";
const char* const kWrongCode = "That code is not right. Please check it and try again.";
const char* const kNoTriesLeft =
    "That code is not right, and it has now been tried too many times. Please ask for a "
    "new one.";

// The code as typed may carry blanks ("123 456").
bool read_code(const std::string& typed, std::string* code) {
  code->clear();
  for (char c : typed) {
    if (c == ' ' || c == '\t' || c == '-') continue;
    if (c < '0' || c > '9') return false;
    code->push_back(c);
  }
  return code->size() == 6;
}

ApiAnswer refused_by(ServiceContext* context, const LimitRule& rule, const std::string& text,
                     int64_t retry_after) {
  metrics_note_limit(&context->metrics, rule.name);
  return limited_answer(text + " Please wait " + wait_in_words(retry_after) + " and try again.",
                        retry_after);
}

} // namespace

ApiAnswer action_send_pin(ServiceContext* context, const ActionInput& input) {
  std::string identifier;
  if (!normalise_identifier(member_text(input, "identifier"), &identifier))
    return error_answer(400, kBadIdentifier);
  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  if (!store) return error_answer(500, STORE_FAILURE_TEXT);
  int64_t client_event = 0;
  int64_t identifier_event = 0;
  int64_t wait = 0;
  LimitOutcome outcome = limit_take(store, kSendPinPerClient, "send_pin:client:" + input.client,
                                    input.now, &client_event, &wait);
  if (outcome == kLimitRefused)
    return refused_by(context, kSendPinPerClient,
                      "Too many sign-in codes have been asked for from this network.", wait);
  if (outcome == kLimitFailed) return error_answer(500, STORE_FAILURE_TEXT);
  outcome = limit_take(store, kSendPinPerIdentifier, "send_pin:identifier:" + identifier, input.now,
                       &identifier_event, &wait);
  if (outcome != kLimitAllowed) {
    // Only codes that are sent count against the network.
    store_remove_limit_event(store, client_event);
    if (outcome == kLimitFailed) return error_answer(500, STORE_FAILURE_TEXT);
    return refused_by(context, kSendPinPerIdentifier,
                      "We have already sent several codes to " + mask_identifier(identifier) + ".",
                      wait);
  }

  Account account;
  Challenge challenge;
  std::string code;
  std::string random_part;
  if (!store_ensure_account(store, identifier, input.now, &account))
    return error_answer(500, STORE_FAILURE_TEXT);
  if (!random_hex(12, &random_part) || !random_six_digit_code(&code))
    return error_answer(500, "The service could not make a code just now. Please try again.");
  challenge.id = "ch_" + random_part;
  challenge.account_id = account.id;
  challenge.expires_at = input.now + kCodeLifetimeSeconds;
  challenge.tries_left = kCodeTries;
  if (!store_add_challenge(store, challenge, code)) return error_answer(500, STORE_FAILURE_TEXT);
  if (!deliver_sign_in_code(data_file(*context, "outbox.txt"), identifier, code, challenge.id,
                            input.now)) {
    return error_answer(500, "The code could not be sent just now. Please try again.");
  }
  nlohmann::ordered_json members;
  members["challenge_id"] = challenge.id;
  members["masked_target"] = mask_identifier(identifier);
  return ok_answer(200, members);
}

ApiAnswer action_verify_pin(ServiceContext* context, const ActionInput& input) {
  std::string code;
  if (!read_code(member_text(input, "pin_code"), &code)) return error_answer(400, kBadCodeForm);
  StoreLease lease(context->store);
  ServiceStore* store = lease.get();
  if (!store) return error_answer(500, STORE_FAILURE_TEXT);
  const std::string& challenge_id = member_text(input, "challenge_id");
  Challenge challenge;
  if (!store_find_challenge(store, challenge_id, &challenge) || challenge.used ||
      challenge.expires_at <= input.now) {
    return error_answer(401, kExpiredCode);
  }
  if (challenge.tries_left <= 0) return error_answer(401, kNoTriesLeft);

  // Every code tried counts against the account before it is compared, so tries sent at once
  // cannot get past the limit; a right code is then taken off again.
  int64_t try_event = 0;
  int64_t wait = 0;
  LimitOutcome outcome = limit_take(store, kCodeTriesPerAccount,
                                    "code_tries:account:" + std::to_string(challenge.account_id),
                                    input.now, &try_event, &wait);
  if (outcome == kLimitRefused)
    return refused_by(context, kCodeTriesPerAccount,
                      "Too many wrong codes have been tried for this account.", wait);
  if (outcome == kLimitFailed) return error_answer(500, STORE_FAILURE_TEXT);
  if (!store_take_challenge_try(store, challenge_id, input.now, &challenge)) {
    // Tries sent at once used it up, or the right one used it, since it was read above.
    store_remove_limit_event(store, try_event);
    bool spent = store_find_challenge(store, challenge_id, &challenge) && !challenge.used &&
                 challenge.tries_left <= 0;
    return error_answer(401, spent ? kNoTriesLeft : kExpiredCode);
  }
  if (!store_code_matches(store, challenge, code)) {
    return error_answer(401, challenge.tries_left > 0 ? kWrongCode : kNoTriesLeft);
  }
  store_remove_limit_event(store, try_event);
  // However many send the right code at once, one of them uses it.
  if (!store_use_challenge(store, challenge_id)) return error_answer(401, kExpiredCode);

  std::string random_part;
  if (!random_hex(16, &random_part))
    return error_answer(500, "The service could not sign you in just now.");
  std::string token = "ocp_" + random_part;
  Account account;
  if (!store_add_token(store, token, challenge.account_id, input.now) ||
      !store_find_account_by_id(store, challenge.account_id, &account)) {
    return error_answer(500, STORE_FAILURE_TEXT);
  }
  nlohmann::ordered_json members;
  members["care_auth_token"] = token;
  members["customer_name"] = account.customer_name;
  members["plan_label"] = account.plan_label;
  members["entitled"] = account.entitled;
  return ok_answer(200, members);
}
