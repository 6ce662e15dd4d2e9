#pragma once
// Everything the service remembers, in one SQLite file (<data>/service.db):
// accounts, sign-in challenges, device tokens, blocked-tool reports and the
// daily count of free checks. Functions return 1 on success, 0 on failure
// or, for the find functions, when nothing matches.
#include <sqlite3.h>

#include <cstdint>
#include <string>

struct ServiceStore {
  sqlite3* db = nullptr;
};

struct Account {
  int64_t id = 0;
  std::string identifier; // normalised (identifier.h)
  std::string customer_name;
  std::string plan_label;
  bool entitled = false;
  std::string guardian_pin; // empty until set from the command line
  int guardian_failures = 0;
  int64_t guardian_locked_until = 0;
};

struct Challenge {
  std::string id;
  int64_t account_id = 0;
  std::string code;
  int64_t expires_at = 0;
  int tries_left = 0;
  bool used = false;
};

#define FREE_PLAN_LABEL "Free plan"

int store_open(ServiceStore* store, const std::string& file);
void store_close(ServiceStore* store);

int store_find_account(ServiceStore* store, const std::string& identifier, Account* out);
int store_find_account_by_id(ServiceStore* store, int64_t id, Account* out);
// Finds the account or creates it on the free plan.
int store_ensure_account(ServiceStore* store, const std::string& identifier, int64_t now,
                         Account* out);
int store_set_plan(ServiceStore* store, int64_t account_id, const std::string& plan_label,
                   bool entitled);
int store_set_customer_name(ServiceStore* store, int64_t account_id, const std::string& name);
// Also clears any lock-out from earlier wrong PINs.
int store_set_guardian_pin(ServiceStore* store, int64_t account_id, const std::string& pin);
int store_set_guardian_failures(ServiceStore* store, int64_t account_id, int failures,
                                int64_t locked_until);

int store_add_challenge(ServiceStore* store, const Challenge& challenge);
int store_find_challenge(ServiceStore* store, const std::string& id, Challenge* out);
int store_update_challenge(ServiceStore* store, const std::string& id, int tries_left, bool used);

int store_add_token(ServiceStore* store, const std::string& token, int64_t account_id, int64_t now);
int store_find_token(ServiceStore* store, const std::string& token, int64_t* account_id);

// `account_id` 0 for a device that is not linked.
int store_add_report(ServiceStore* store, int64_t account_id, const std::string& tool_name,
                     const std::string& device_label, int64_t now);
int store_count_reports_since(ServiceStore* store, int64_t account_id, int64_t since, int* count);

int store_checks_used(ServiceStore* store, const std::string& device_label, const std::string& day,
                      int* count);
int store_count_check(ServiceStore* store, const std::string& device_label, const std::string& day);
