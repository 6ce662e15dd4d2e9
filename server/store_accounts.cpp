#include "service_store.h"
#include "store_sql.h"

namespace {

const char* const kAccountColumns =
    "SELECT id, identifier, customer_name, plan_label, entitled, guardian_pin, guardian_failures,"
    " guardian_locked_until FROM accounts ";

int read_account(SqlStatement* statement, Account* out) {
  if (!sql_next_row(statement)) return 0;
  out->id = sql_int(statement, 0);
  out->identifier = sql_text(statement, 1);
  out->customer_name = sql_text(statement, 2);
  out->plan_label = sql_text(statement, 3);
  out->entitled = sql_int(statement, 4) != 0;
  out->guardian_pin = sql_text(statement, 5);
  out->guardian_failures = static_cast<int>(sql_int(statement, 6));
  out->guardian_locked_until = sql_int(statement, 7);
  return 1;
}

} // namespace

int store_find_account(ServiceStore* store, const std::string& identifier, Account* out) {
  SqlStatement s;
  std::string sql = std::string(kAccountColumns) + "WHERE identifier = ?1";
  if (!sql_prepare(store->db, sql.c_str(), &s) || !sql_bind_text(&s, 1, identifier)) return 0;
  return read_account(&s, out);
}

int store_find_account_by_id(ServiceStore* store, int64_t id, Account* out) {
  SqlStatement s;
  std::string sql = std::string(kAccountColumns) + "WHERE id = ?1";
  if (!sql_prepare(store->db, sql.c_str(), &s) || !sql_bind_int(&s, 1, id)) return 0;
  return read_account(&s, out);
}

int store_ensure_account(ServiceStore* store, const std::string& identifier, int64_t now,
                         Account* out) {
  SqlStatement s;
  if (!sql_prepare(
          store->db,
          "INSERT OR IGNORE INTO accounts (identifier, plan_label, created_at) VALUES (?1, ?2, ?3)",
          &s) ||
      !sql_bind_text(&s, 1, identifier) || !sql_bind_text(&s, 2, FREE_PLAN_LABEL) ||
      !sql_bind_int(&s, 3, now) || !sql_run(&s)) {
    return 0;
  }
  return store_find_account(store, identifier, out);
}

int store_set_plan(ServiceStore* store, int64_t account_id, const std::string& plan_label,
                   bool entitled) {
  SqlStatement s;
  return sql_prepare(store->db, "UPDATE accounts SET plan_label = ?1, entitled = ?2 WHERE id = ?3",
                     &s) &&
         sql_bind_text(&s, 1, plan_label) && sql_bind_int(&s, 2, entitled ? 1 : 0) &&
         sql_bind_int(&s, 3, account_id) && sql_run(&s);
}

int store_set_customer_name(ServiceStore* store, int64_t account_id, const std::string& name) {
  SqlStatement s;
  return sql_prepare(store->db, "UPDATE accounts SET customer_name = ?1 WHERE id = ?2", &s) &&
         sql_bind_text(&s, 1, name) && sql_bind_int(&s, 2, account_id) && sql_run(&s);
}

int store_set_guardian_pin(ServiceStore* store, int64_t account_id, const std::string& pin) {
  SqlStatement s;
  return sql_prepare(store->db,
                     "UPDATE accounts SET guardian_pin = ?1, guardian_failures = 0, "
                     "guardian_locked_until = 0"
                     " WHERE id = ?2",
                     &s) &&
         sql_bind_text(&s, 1, pin) && sql_bind_int(&s, 2, account_id) && sql_run(&s);
}

int store_set_guardian_failures(ServiceStore* store, int64_t account_id, int failures,
                                int64_t locked_until) {
  SqlStatement s;
  return sql_prepare(
             store->db,
             "UPDATE accounts SET guardian_failures = ?1, guardian_locked_until = ?2 WHERE id = ?3",
             &s) &&
         sql_bind_int(&s, 1, failures) && sql_bind_int(&s, 2, locked_until) &&
         sql_bind_int(&s, 3, account_id) && sql_run(&s);
}
