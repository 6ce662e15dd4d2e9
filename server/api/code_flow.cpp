#include "api/code_flow.h"

#include <atomic>
#include <cstdio>

#include "api/abuse_limits.h"
#include "api/recipient_key.h"
#include "base/client_network.h"
#include "base/clock_text.h"
#include "store/store_limit_count.h"
#include "api/api_actions.h"
#include "base/identifier.h"
#include "alerts/pin_outbox.h"
#include "alerts/text_sender.h"
#include "base/secure_random.h"

namespace {

const int kCodeTries = 5;

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

CodeResult refused(int status, const std::string& text) {
  CodeResult result;
  result.status = status;
  result.error = text;
  return result;
}

CodeResult refused_by(ServiceContext* context, const LimitRule& rule, const std::string& text,
                      int64_t retry_after) {
  metrics_note_limit(&context->metrics, rule.name);
  CodeResult result =
      refused(429, text + " Please wait " + wait_in_words(retry_after) + " and try again.");
  result.retry_after = retry_after;
  return result;
}

const int64_t kHourSeconds = 60 * 60;
const char* const kServiceCeiling = "send_pin_service";

// The operator hears once a minute at most that the ceiling holds codes back.
void log_ceiling_reached(int ceiling, int64_t now) {
  static std::atomic<int64_t> logged_at{0};
  int64_t last = logged_at.load();
  if (now - last < 60 || !logged_at.compare_exchange_strong(last, now)) return;
  std::fprintf(stderr, "{\"event\":\"code_ceiling_reached\",\"codes_per_hour\":%d}\n", ceiling);
}

// The service's own ceiling on codes an hour, counted per minute across instances: this code
// is counted first, then the last sixty minutes summed, so instances on one database hold to
// it together; a refused code is given back.
LimitOutcome take_service_ceiling(ServiceContext* context, ServiceStore* store, int64_t now,
                                  int64_t* retry_after) {
  const std::string key = "codes:service";
  *retry_after = 0;
  if (!store_add_minute_count(store, key, utc_minute(now), 1)) return kLimitFailed;
  int64_t sent = 0;
  if (!store_minute_counts_since(store, key, utc_minute(now - kHourSeconds + 60), &sent)) {
    store_add_minute_count(store, key, utc_minute(now), -1);
    return kLimitFailed;
  }
  if (sent <= context->codes_per_hour) return kLimitAllowed;
  store_add_minute_count(store, key, utc_minute(now), -1);
  // The oldest minute leaves the hour within a minute.
  *retry_after = 60;
  log_ceiling_reached(context->codes_per_hour, now);
  return kLimitRefused;
}

} // namespace

CodeResult send_code(ServiceContext* context, ServiceStore* store, const std::string& recipient,
                     int64_t account_id, const char* purpose, const std::string& client,
                     int64_t now, const std::string& about) {
  int64_t client_event = 0;
  int64_t identifier_event = 0;
  int64_t wait = 0;
  // Limits count the real recipient and the client's network, not how either was spelled.
  LimitOutcome outcome =
      limit_take(store, kSendPinPerClient, "send_pin:client:" + client_network(client), now,
                 &client_event, &wait);
  if (outcome == kLimitRefused)
    return refused_by(context, kSendPinPerClient,
                      "Too many sign-in codes have been asked for from this network.", wait);
  if (outcome == kLimitFailed) return refused(500, STORE_FAILURE_TEXT);
  outcome = limit_take(store, kSendPinPerIdentifier,
                       "send_pin:identifier:" + recipient_limit_key(recipient), now,
                       &identifier_event, &wait);
  if (outcome != kLimitAllowed) {
    // Only codes that are sent count against the network.
    store_remove_limit_event(store, client_event);
    if (outcome == kLimitFailed) return refused(500, STORE_FAILURE_TEXT);
    return refused_by(context, kSendPinPerIdentifier,
                      "We have already sent several codes to " + mask_identifier(recipient) + ".",
                      wait);
  }
  outcome = take_service_ceiling(context, store, now, &wait);
  if (outcome != kLimitAllowed) {
    store_remove_limit_event(store, client_event);
    store_remove_limit_event(store, identifier_event);
    if (outcome == kLimitFailed) return refused(500, STORE_FAILURE_TEXT);
    metrics_note_limit(&context->metrics, kServiceCeiling);
    CodeResult result = refused(429, "The service is sending a great many codes just now. Please "
                                     "wait a minute and try again.");
    result.retry_after = wait;
    return result;
  }

  CodeResult result;
  if (account_id == 0) {
    Account account;
    if (!store_ensure_account(store, recipient, now, &account))
      return refused(500, STORE_FAILURE_TEXT);
    account_id = account.id;
  }
  std::string code;
  std::string random_part;
  if (!random_hex(12, &random_part) || !random_six_digit_code(&code))
    return refused(500, "The service could not make a code just now. Please try again.");
  result.challenge.id = "ch_" + random_part;
  result.challenge.account_id = account_id;
  result.challenge.expires_at = now + kCodeLifetimeSeconds;
  result.challenge.tries_left = kCodeTries;
  result.challenge.purpose = purpose;
  if (!store_add_challenge(store, result.challenge, code)) return refused(500, STORE_FAILURE_TEXT);
  if (!deliver_sign_in_code(data_file(*context, "outbox.txt"), recipient, code, result.challenge.id,
                            purpose, now) ||
      !queue_code_text(context, store, account_id, recipient, code, purpose,
                       result.challenge.expires_at, now, about))
    return refused(500, "The code could not be sent just now. Please try again.");
  return result;
}

CodeResult check_code(ServiceContext* context, ServiceStore* store, const std::string& challenge_id,
                      const std::string& typed, const char* purpose, const std::string& client,
                      int64_t now) {
  std::string code;
  if (!read_code(typed, &code)) return refused(400, kBadCodeForm);
  CodeResult result;
  Challenge& challenge = result.challenge;
  const Lookup found = store_find_challenge(store, challenge_id, &challenge);
  if (found == Lookup::kFailed) {
    CodeResult failed = refused(503, STORE_FAILURE_TEXT);
    failed.retry_after = kStoreRetrySeconds;
    return failed;
  }
  if (found == Lookup::kMissing || challenge.used || challenge.expires_at <= now ||
      challenge.purpose != purpose) {
    return refused(401, kExpiredCode);
  }
  if (challenge.tries_left <= 0) return refused(401, kNoTriesLeft);

  // Every code tried counts against the account before it is compared, so tries sent at once
  // cannot get past the limit; a right code is then taken off again.
  const std::string account = std::to_string(challenge.account_id);
  int64_t client_try = 0;
  int64_t try_event = 0;
  int64_t wait = 0;
  LimitOutcome outcome =
      limit_take(store, kCodeTriesPerAccountClient,
                 "code_tries:account_client:" + account + ":" + client_network(client), now,
                 &client_try, &wait);
  if (outcome == kLimitRefused)
    return refused_by(context, kCodeTriesPerAccountClient,
                      "Too many wrong codes have been tried for this account from this network.",
                      wait);
  if (outcome == kLimitFailed) return refused(500, STORE_FAILURE_TEXT);
  outcome = limit_take(store, kCodeTriesPerAccount, "code_tries:account:" + account, now,
                       &try_event, &wait);
  if (outcome != kLimitAllowed) {
    store_remove_limit_event(store, client_try);
    if (outcome == kLimitFailed) return refused(500, STORE_FAILURE_TEXT);
    return refused_by(context, kCodeTriesPerAccount,
                      "Too many wrong codes have been tried for this account.", wait);
  }
  if (!store_take_challenge_try(store, challenge_id, now, &challenge)) {
    // Tries sent at once used it up, or the right one used it, since it was read above.
    store_remove_limit_event(store, client_try);
    store_remove_limit_event(store, try_event);
    bool spent = store_find_challenge(store, challenge_id, &challenge) == Lookup::kFound &&
                 !challenge.used && challenge.tries_left <= 0;
    return refused(401, spent ? kNoTriesLeft : kExpiredCode);
  }
  if (!store_code_matches(store, challenge, code))
    return refused(401, challenge.tries_left > 0 ? kWrongCode : kNoTriesLeft);
  store_remove_limit_event(store, client_try);
  store_remove_limit_event(store, try_event);
  // However many send the right code at once, one of them uses it.
  if (!store_use_challenge(store, challenge_id)) return refused(401, kExpiredCode);
  return result;
}
