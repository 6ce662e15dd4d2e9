#include "store/store_limit_count.h"

#include "store/sql_connection.h"

int store_limit_event_count(ServiceStore* store, const std::string& key, int64_t since,
                            int64_t* count) {
  SqlRows rows;
  if (!store->sql->run("SELECT COUNT(*) FROM limit_events WHERE limit_key = $1 AND at >= $2",
                       {sql_text(key), sql_number(since)}, &rows) ||
      rows.rows.empty())
    return 0;
  *count = sql_cell_number(rows, 0, 0);
  return 1;
}

int store_add_minute_count(ServiceStore* store, const std::string& key, const std::string& minute,
                           int delta) {
  SqlRows rows;
  return store->sql->run("INSERT INTO check_usage (device_label, day, used) VALUES ($1, $2, $3)"
                         " ON CONFLICT (device_label, day) DO UPDATE SET used = check_usage.used"
                         " + excluded.used",
                         {sql_text(key), sql_text(minute), sql_number(delta)}, &rows);
}

int store_minute_counts_since(ServiceStore* store, const std::string& key,
                              const std::string& since_minute, int64_t* sum) {
  SqlRows rows;
  if (!store->sql->run("SELECT COALESCE(SUM(used), 0) FROM check_usage WHERE device_label = $1 "
                       "AND day >= $2",
                       {sql_text(key), sql_text(since_minute)}, &rows) ||
      rows.rows.empty())
    return 0;
  *sum = sql_cell_number(rows, 0, 0);
  return 1;
}

int store_clear_limit_events(ServiceStore* store, const std::string& key) {
  SqlRows rows;
  return store->sql->run("DELETE FROM limit_events WHERE limit_key = $1", {sql_text(key)}, &rows);
}
