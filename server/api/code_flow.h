#pragma once
// Sending a 6-digit code and checking it: the program's sign-in, the family page's sign-in, a
// Guardian PIN change and an alert contact's confirmation all go through these two, under the
// same abuse limits (abuse_limits.h) and with the same words.
#include <cstdint>
#include <string>

#include "core/service_context.h"
#include "store/service_store.h"

struct CodeResult {
  int status = 200;        // 200, or the refusal's HTTP status
  std::string error;       // the refusal in plain words
  int64_t retry_after = 0; // seconds, for a 429 or a 503 (the store could not look)
  Challenge challenge;     // the challenge made or checked
};

const int64_t kCodeLifetimeSeconds = 10 * 60;

// Sends a code for `purpose` to `recipient` (a normalised identifier). `account_id` 0 means
// the recipient's own account, made on first use (signing in); otherwise the code belongs to
// that account. Limits per recipient and per client address are counted first.
// `about` names what the code is for in its words, where the purpose has one (the computer a
// code to unlink it is for).
CodeResult send_code(ServiceContext* context, ServiceStore* store, const std::string& recipient,
                     int64_t account_id, const char* purpose, const std::string& client,
                     int64_t now, const std::string& about = std::string());

// Checks a code as typed ("123 456" is fine) against the challenge, which must be for
// `purpose`. Every try counts before it is compared, against the challenge's account from the
// client's network (tightly) and against the account from anywhere (loosely, so that one
// network cannot lock its owner out); a right code is used up, once, however many send it at
// once.
CodeResult check_code(ServiceContext* context, ServiceStore* store, const std::string& challenge_id,
                      const std::string& typed, const char* purpose, const std::string& client,
                      int64_t now);
