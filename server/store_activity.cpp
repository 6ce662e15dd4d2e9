#include "service_store.h"
#include "store_sql.h"

int store_add_report(ServiceStore* store, int64_t account_id, const std::string& tool_name,
                     const std::string& device_label, int64_t now) {
  SqlStatement s;
  if (!sql_prepare(store->db,
                   "INSERT INTO reports (account_id, tool_name, device_label, created_at) VALUES "
                   "(?1, ?2, ?3, ?4)",
                   &s)) {
    return 0;
  }
  int bound = account_id ? sql_bind_int(&s, 1, account_id) : 1; // left NULL when not linked
  return bound && sql_bind_text(&s, 2, tool_name) && sql_bind_text(&s, 3, device_label) &&
         sql_bind_int(&s, 4, now) && sql_run(&s);
}

int store_count_reports_since(ServiceStore* store, int64_t account_id, int64_t since, int* count) {
  SqlStatement s;
  if (!sql_prepare(store->db,
                   "SELECT COUNT(*) FROM reports WHERE account_id = ?1 AND created_at >= ?2", &s) ||
      !sql_bind_int(&s, 1, account_id) || !sql_bind_int(&s, 2, since) || !sql_next_row(&s)) {
    return 0;
  }
  *count = static_cast<int>(sql_int(&s, 0));
  return 1;
}

int store_checks_used(ServiceStore* store, const std::string& device_label, const std::string& day,
                      int* count) {
  SqlStatement s;
  if (!sql_prepare(store->db, "SELECT used FROM check_usage WHERE device_label = ?1 AND day = ?2",
                   &s) ||
      !sql_bind_text(&s, 1, device_label) || !sql_bind_text(&s, 2, day)) {
    return 0;
  }
  *count = sql_next_row(&s) ? static_cast<int>(sql_int(&s, 0)) : 0;
  return 1;
}

int store_count_check(ServiceStore* store, const std::string& device_label,
                      const std::string& day) {
  SqlStatement s;
  return sql_prepare(store->db,
                     "INSERT INTO check_usage (device_label, day, used) VALUES (?1, ?2, 1)"
                     " ON CONFLICT (device_label, day) DO UPDATE SET used = used + 1",
                     &s) &&
         sql_bind_text(&s, 1, device_label) && sql_bind_text(&s, 2, day) && sql_run(&s);
}
