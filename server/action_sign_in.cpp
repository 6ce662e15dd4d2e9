// send_pin and verify_pin: linking a device to an account by a code.
#include <openssl/crypto.h>

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

} // namespace

ApiAnswer action_send_pin(ServiceContext* context, const ActionInput& input) {
  std::string identifier;
  if (!normalise_identifier(member_text(input, "identifier"), &identifier))
    return error_answer(400, kBadIdentifier);
  Account account;
  if (!store_ensure_account(&context->store, identifier, input.now, &account)) {
    return error_answer(500, STORE_FAILURE_TEXT);
  }
  Challenge challenge;
  std::string random_part;
  if (!random_hex(12, &random_part) || !random_six_digit_code(&challenge.code)) {
    return error_answer(500, "The service could not make a code just now. Please try again.");
  }
  challenge.id = "ch_" + random_part;
  challenge.account_id = account.id;
  challenge.expires_at = input.now + kCodeLifetimeSeconds;
  challenge.tries_left = kCodeTries;
  if (!store_add_challenge(&context->store, challenge))
    return error_answer(500, STORE_FAILURE_TEXT);
  if (!deliver_sign_in_code(data_file(*context, "outbox.txt"), identifier, challenge.code,
                            challenge.id, input.now)) {
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
  Challenge challenge;
  if (!store_find_challenge(&context->store, member_text(input, "challenge_id"), &challenge) ||
      challenge.used || challenge.expires_at <= input.now) {
    return error_answer(401, kExpiredCode);
  }
  if (challenge.tries_left <= 0) return error_answer(401, kNoTriesLeft);
  bool right = challenge.code.size() == code.size() &&
               CRYPTO_memcmp(challenge.code.data(), code.data(), 6) == 0;
  if (!right) {
    int left = challenge.tries_left - 1;
    if (!store_update_challenge(&context->store, challenge.id, left, false)) {
      return error_answer(500, STORE_FAILURE_TEXT);
    }
    return error_answer(401, left > 0 ? kWrongCode : kNoTriesLeft);
  }
  std::string random_part;
  if (!random_hex(16, &random_part))
    return error_answer(500, "The service could not sign you in just now.");
  std::string token = "ocp_" + random_part;
  Account account;
  if (!store_update_challenge(&context->store, challenge.id, challenge.tries_left, true) ||
      !store_add_token(&context->store, token, challenge.account_id, input.now) ||
      !store_find_account_by_id(&context->store, challenge.account_id, &account)) {
    return error_answer(500, STORE_FAILURE_TEXT);
  }
  nlohmann::ordered_json members;
  members["care_auth_token"] = token;
  members["customer_name"] = account.customer_name;
  members["plan_label"] = account.plan_label;
  members["entitled"] = account.entitled;
  return ok_answer(200, members);
}
