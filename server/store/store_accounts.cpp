#include "base/secret_digest.h"
#include "store/service_store.h"

namespace {

#define ACCOUNT_FIELDS                                                                             \
  "SELECT id, identifier, customer_name, plan_label, entitled, guardian_pin_digest,"               \
  " guardian_failures, guardian_locked_until, alert_on_scam"
#define ACCOUNT_COLUMNS ACCOUNT_FIELDS " FROM accounts "

// The first row, when the query ran.
Lookup read_account(bool ran, const SqlRows& rows, Account* out) {
  const Lookup found = lookup_of(ran, rows);
  if (found != Lookup::kFound) return found;
  out->id = sql_cell_number(rows, 0, 0);
  out->identifier = sql_cell(rows, 0, 1);
  out->customer_name = sql_cell(rows, 0, 2);
  out->plan_label = sql_cell(rows, 0, 3);
  out->entitled = sql_cell_number(rows, 0, 4) != 0;
  out->guardian_pin_digest = sql_cell(rows, 0, 5);
  out->guardian_failures = static_cast<int>(sql_cell_number(rows, 0, 6));
  out->guardian_locked_until = sql_cell_number(rows, 0, 7);
  out->alert_on_scam = sql_cell_number(rows, 0, 8) != 0;
  return Lookup::kFound;
}

int changed_one(ServiceStore* store, const char* sql, const std::vector<SqlParam>& params) {
  SqlRows rows;
  return store->sql->run(sql, params, &rows) && rows.changed == 1;
}

} // namespace

Lookup lookup_of(bool ran, const SqlRows& rows) {
  if (!ran) return Lookup::kFailed;
  return rows.rows.empty() ? Lookup::kMissing : Lookup::kFound;
}

Lookup store_find_account(ServiceStore* store, const std::string& identifier, Account* out) {
  SqlRows rows;
  const bool ran =
      store->sql->run(ACCOUNT_COLUMNS "WHERE identifier = $1", {sql_text(identifier)}, &rows);
  return read_account(ran, rows, out);
}

Lookup store_find_account_by_id(ServiceStore* store, int64_t id, Account* out) {
  SqlRows rows;
  const bool ran = store->sql->run(ACCOUNT_COLUMNS "WHERE id = $1", {sql_number(id)}, &rows);
  return read_account(ran, rows, out);
}

Lookup store_account_status(ServiceStore* store, int64_t id, int64_t since, Account* out,
                            int* reports) {
  // One query: every read statement begins a read of the database that waits on the others'.
  SqlRows rows;
  const bool ran =
      store->sql->run(ACCOUNT_FIELDS ", (SELECT COUNT(*) FROM reports WHERE account_id = $1 AND "
                                     "created_at >= $2) FROM accounts WHERE id = $1",
                      {sql_number(id), sql_number(since)}, &rows);
  const Lookup found = read_account(ran, rows, out);
  if (found == Lookup::kFound) *reports = static_cast<int>(sql_cell_number(rows, 0, 9));
  return found;
}

int store_ensure_account(ServiceStore* store, const std::string& identifier, int64_t now,
                         Account* out) {
  SqlRows rows;
  return store->sql->run("INSERT INTO accounts (identifier, plan_label, created_at) VALUES ($1, "
                         "$2, $3) ON CONFLICT (identifier) DO NOTHING",
                         {sql_text(identifier), sql_text(FREE_PLAN_LABEL), sql_number(now)},
                         &rows) &&
         store_find_account(store, identifier, out) == Lookup::kFound;
}

int store_set_plan(ServiceStore* store, int64_t account_id, const std::string& plan_label,
                   bool entitled) {
  return changed_one(store, "UPDATE accounts SET plan_label = $1, entitled = $2 WHERE id = $3",
                     {sql_text(plan_label), sql_number(entitled ? 1 : 0), sql_number(account_id)});
}

int store_set_customer_name(ServiceStore* store, int64_t account_id, const std::string& name) {
  return changed_one(store, "UPDATE accounts SET customer_name = $1 WHERE id = $2",
                     {sql_text(name), sql_number(account_id)});
}

int store_set_guardian_pin(ServiceStore* store, int64_t account_id, const std::string& pin) {
  return changed_one(
      store,
      "UPDATE accounts SET guardian_pin_digest = $1, guardian_failures = 0, "
      "guardian_locked_until = 0 WHERE id = $2",
      {sql_text(guardian_pin_digest(*store->key, account_id, pin)), sql_number(account_id)});
}

bool store_guardian_pin_matches(ServiceStore* store, const Account& account,
                                const std::string& pin) {
  return same_secret(guardian_pin_digest(*store->key, account.id, pin),
                     account.guardian_pin_digest);
}

int store_start_guardian_try(ServiceStore* store, int64_t account_id, int64_t now, int* attempt) {
  SqlRows rows;
  if (!store->sql->run("UPDATE accounts SET guardian_failures = guardian_failures + 1 WHERE id = "
                       "$1 AND guardian_locked_until <= $2 RETURNING guardian_failures",
                       {sql_number(account_id), sql_number(now)}, &rows))
    return 0;
  *attempt = rows.rows.empty() ? 0 : static_cast<int>(sql_cell_number(rows, 0, 0));
  return 1;
}

int store_set_guardian_failures(ServiceStore* store, int64_t account_id, int failures,
                                int64_t locked_until) {
  return changed_one(
      store, "UPDATE accounts SET guardian_failures = $1, guardian_locked_until = $2 WHERE id = $3",
      {sql_number(failures), sql_number(locked_until), sql_number(account_id)});
}
