#include "store/store_held_alerts.h"

#include "store/sql_connection.h"

int store_note_alert_held(ServiceStore* store, const std::string& held_key, int64_t at) {
  SqlRows rows;
  return store->sql->run("INSERT INTO limit_events (limit_key, at) VALUES ($1, $2)",
                         {sql_text(held_key), sql_number(at)}, &rows);
}

int store_held_alert_keys(ServiceStore* store, const std::string& prefix,
                          std::vector<std::string>* keys) {
  // Every key with the prefix sorts from the prefix itself to just before its last byte plus one.
  std::string after = prefix;
  if (after.empty()) return 0;
  after.back() = static_cast<char>(after.back() + 1);
  SqlRows rows;
  if (!store->sql->run("SELECT DISTINCT limit_key FROM limit_events WHERE limit_key >= $1 AND "
                       "limit_key < $2",
                       {sql_text(prefix), sql_text(after)}, &rows))
    return 0;
  keys->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    keys->push_back(sql_cell(rows, i, 0));
  return 1;
}

int store_take_held_alerts(ServiceStore* store, const std::string& held_key, int64_t* count) {
  SqlRows rows;
  if (!store->sql->run("DELETE FROM limit_events WHERE limit_key = $1 RETURNING id",
                       {sql_text(held_key)}, &rows))
    return 0;
  *count = static_cast<int64_t>(rows.rows.size());
  return 1;
}
