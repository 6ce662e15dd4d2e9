#include "store/store_held_alerts.h"

#include <cstdlib>
#include <string>

#include "store/sql_connection.h"

namespace {

std::string held_key(int64_t account_id) {
  return "alerts_held:account:" + std::to_string(account_id);
}
const char* const kHeldPrefix = "alerts_held:account:";

int add_event(ServiceStore* store, const std::string& key, int64_t at) {
  SqlRows rows;
  return store->sql->run("INSERT INTO limit_events (limit_key, at) VALUES ($1, $2)",
                         {sql_text(key), sql_number(at)}, &rows);
}

} // namespace

int store_note_alert_held(ServiceStore* store, int64_t account_id, int64_t at) {
  return add_event(store, held_key(account_id), at);
}

int store_accounts_with_held_alerts(ServiceStore* store, std::vector<int64_t>* accounts) {
  SqlRows rows;
  if (!store->sql->run("SELECT DISTINCT limit_key FROM limit_events WHERE limit_key >= $1 AND "
                       "limit_key < $2",
                       {sql_text(kHeldPrefix), sql_text("alerts_held:account;")}, &rows))
    return 0;
  accounts->clear();
  const size_t prefix = std::string(kHeldPrefix).size();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    accounts->push_back(std::atoll(sql_cell(rows, i, 0).c_str() + prefix));
  return 1;
}

int store_take_held_alerts(ServiceStore* store, int64_t account_id, int64_t* count) {
  SqlRows rows;
  if (!store->sql->run("DELETE FROM limit_events WHERE limit_key = $1 RETURNING id",
                       {sql_text(held_key(account_id))}, &rows))
    return 0;
  *count = static_cast<int64_t>(rows.rows.size());
  return 1;
}
