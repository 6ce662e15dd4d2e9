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

int store_clear_limit_events(ServiceStore* store, const std::string& key) {
  SqlRows rows;
  return store->sql->run("DELETE FROM limit_events WHERE limit_key = $1", {sql_text(key)}, &rows);
}
