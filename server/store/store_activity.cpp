#include "store/service_store.h"

int store_add_report(ServiceStore* store, int64_t account_id, const std::string& tool_name,
                     const std::string& device_label, int64_t now) {
  SqlRows rows;
  // NULL when not linked: NULLIF turns the 0 for "no account" into it.
  return store->sql->run(
      "INSERT INTO reports (account_id, tool_name, device_label, created_at) "
      "VALUES (NULLIF($1, 0), $2, $3, $4)",
      {sql_number(account_id), sql_text(tool_name), sql_text(device_label), sql_number(now)},
      &rows);
}

int store_checks_used(ServiceStore* store, const std::string& device_label, const std::string& day,
                      int* count) {
  SqlRows rows;
  if (!store->sql->run("SELECT used FROM check_usage WHERE device_label = $1 AND day = $2",
                       {sql_text(device_label), sql_text(day)}, &rows))
    return 0;
  *count = static_cast<int>(sql_cell_number(rows, 0, 0));
  return 1;
}

int store_count_check(ServiceStore* store, const std::string& device_label, const std::string& day,
                      int* used_after) {
  SqlRows rows;
  if (!store->sql->run("INSERT INTO check_usage (device_label, day, used) VALUES ($1, $2, 1)"
                       " ON CONFLICT (device_label, day) DO UPDATE SET used = check_usage.used + 1"
                       " RETURNING used",
                       {sql_text(device_label), sql_text(day)}, &rows) ||
      rows.rows.empty())
    return 0;
  *used_after = static_cast<int>(sql_cell_number(rows, 0, 0));
  return 1;
}

int store_uncount_check(ServiceStore* store, const std::string& device_label,
                        const std::string& day) {
  SqlRows rows;
  return store->sql->run("UPDATE check_usage SET used = used - 1 WHERE device_label = $1 AND day = "
                         "$2 AND used > 0",
                         {sql_text(device_label), sql_text(day)}, &rows);
}

int store_add_limit_event(ServiceStore* store, const std::string& key, int64_t at, int64_t* id) {
  SqlRows rows;
  if (!store->sql->run("INSERT INTO limit_events (limit_key, at) VALUES ($1, $2) RETURNING id",
                       {sql_text(key), sql_number(at)}, &rows) ||
      rows.rows.empty())
    return 0;
  *id = sql_cell_number(rows, 0, 0);
  return 1;
}

int store_remove_limit_event(ServiceStore* store, int64_t id) {
  SqlRows rows;
  return store->sql->run("DELETE FROM limit_events WHERE id = $1", {sql_number(id)}, &rows);
}

int store_limit_event_times(ServiceStore* store, const std::string& key, int64_t since,
                            std::vector<int64_t>* times) {
  SqlRows rows;
  if (!store->sql->run("SELECT at FROM limit_events WHERE limit_key = $1 AND at >= $2 ORDER BY at",
                       {sql_text(key), sql_number(since)}, &rows))
    return 0;
  times->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    times->push_back(sql_cell_number(rows, i, 0));
  return 1;
}
