#pragma once
// Everything the service remembers: accounts, sign-in challenges, device tokens, blocked-tool
// reports, the daily count of free checks and the events the abuse limits count. Every query
// of the service goes through these functions, on SQLite or PostgreSQL alike, and secrets
// never leave them in clear: tokens are kept as digests and PINs and codes as keyed digests,
// hashed and compared here, next to the queries.
// Functions return 1 on success and 0 on failure; the find functions say what they found
// (Lookup), so that a decision never takes a failed lookup for "no such thing".
#include <cstdint>
#include <string>
#include <vector>

#include "base/secret_key.h"
#include "store/sql_connection.h"

// What a lookup found. A store that could not answer is kFailed, never kMissing: a computer
// whose token could not be looked up is not thereby unlinked.
enum class Lookup { kFound, kMissing, kFailed };

// kFound when the query ran and returned a row, kMissing when it ran and returned none. The
// rows are read here, after the query that fills them has run.
Lookup lookup_of(bool ran, const SqlRows& rows);

struct ServiceStore {
  SqlConnection* sql = nullptr;
  const SecretKey* key = nullptr;
};

struct Account {
  int64_t id = 0;
  std::string identifier; // normalised (identifier.h)
  std::string customer_name;
  std::string plan_label;
  bool entitled = false;
  std::string guardian_pin_digest; // empty until a PIN is set
  int guardian_failures = 0;
  int64_t guardian_locked_until = 0;
  bool alert_on_scam = false; // alert the family when a check is judged SCAM
};

// What a code was sent for; a code works only for its own purpose.
#define kCodeForSignIn "sign_in"
#define kCodeForPinChange "pin_change"
#define kCodeForContact "contact"

struct Challenge {
  std::string id;
  int64_t account_id = 0;
  std::string code_digest;
  int64_t expires_at = 0;
  int tries_left = 0;
  bool used = false;
  std::string purpose = kCodeForSignIn;
};

#define FREE_PLAN_LABEL "Free plan"

// Brings the schema up to date (an older SQLite file is converted, secrets included) and
// checks that the database's secrets were made with `key`. 0 with a plain `error` otherwise.
int store_prepare(ServiceStore* store, std::string* error);
// 1 when the database answers a query.
int store_answers(ServiceStore* store);
// Deletes rows nothing needs any more: old limit events and long-expired challenges.
int store_forget_old(ServiceStore* store, int64_t now);

Lookup store_find_account(ServiceStore* store, const std::string& identifier, Account* out);
Lookup store_find_account_by_id(ServiceStore* store, int64_t id, Account* out);
// The account and how many tools its computers reported stopped since `since`.
Lookup store_account_status(ServiceStore* store, int64_t id, int64_t since, Account* out,
                            int* reports);
// Finds the account or creates it on the free plan.
int store_ensure_account(ServiceStore* store, const std::string& identifier, int64_t now,
                         Account* out);
int store_set_plan(ServiceStore* store, int64_t account_id, const std::string& plan_label,
                   bool entitled);
int store_set_customer_name(ServiceStore* store, int64_t account_id, const std::string& name);

// Also clears any lock-out from earlier wrong PINs.
int store_set_guardian_pin(ServiceStore* store, int64_t account_id, const std::string& pin);
bool store_guardian_pin_matches(ServiceStore* store, const Account& account,
                                const std::string& pin);
// Counts one more try of the Guardian PIN before it is compared, so that tries sent at once
// cannot get past the lock-out: `*attempt` is the number of tries in a row so far, this one
// included, or 0 when the PIN is locked at `now`.
int store_start_guardian_try(ServiceStore* store, int64_t account_id, int64_t now, int* attempt);
int store_set_guardian_failures(ServiceStore* store, int64_t account_id, int failures,
                                int64_t locked_until);

// `code` is the clear code; only its keyed digest is kept.
int store_add_challenge(ServiceStore* store, const Challenge& challenge, const std::string& code);
Lookup store_find_challenge(ServiceStore* store, const std::string& id, Challenge* out);
// Uses up one try of a challenge that is unused, unexpired and has tries left, and reads it
// into `out` (tries_left already lowered). 0 when there is no such challenge.
int store_take_challenge_try(ServiceStore* store, const std::string& id, int64_t now,
                             Challenge* out);
bool store_code_matches(ServiceStore* store, const Challenge& challenge, const std::string& code);
// Marks the challenge used; 1 only for the one caller that did so, however many try at once.
int store_use_challenge(ServiceStore* store, const std::string& id);

// The linked computer also gets a public id of its own for the family page (store_family.h),
// and is watched for silence from `silent_at` (0: not watched until it calls).
int store_add_token(ServiceStore* store, const std::string& token, int64_t account_id, int64_t now,
                    int64_t silent_at = 0);
Lookup store_find_token(ServiceStore* store, const std::string& token, int64_t* account_id);

// `account_id` 0 for a device that is not linked.
int store_add_report(ServiceStore* store, int64_t account_id, const std::string& tool_name,
                     const std::string& device_label, int64_t now);

int store_checks_used(ServiceStore* store, const std::string& device_label, const std::string& day,
                      int* count);
// Counts a check and gives the day's count with it, in one step, so that checks sent at once
// cannot all see room for one more.
int store_count_check(ServiceStore* store, const std::string& device_label, const std::string& day,
                      int* used_after);
int store_uncount_check(ServiceStore* store, const std::string& device_label,
                        const std::string& day);

// Events counted by the abuse limits (abuse_limits.h), by key ("send_pin:id:07700900123").
int store_add_limit_event(ServiceStore* store, const std::string& key, int64_t at, int64_t* id);
int store_remove_limit_event(ServiceStore* store, int64_t id);
// The times of the key's events at or after `since`, oldest first.
int store_limit_event_times(ServiceStore* store, const std::string& key, int64_t since,
                            std::vector<int64_t>* times);
