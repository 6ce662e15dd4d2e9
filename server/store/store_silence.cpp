#include "store/store_silence.h"

int store_due_silences(ServiceStore* store, int64_t now, int limit, std::vector<DeviceLink>* out) {
  SqlRows rows;
  if (!store->sql->run("SELECT account_id, link_id, device_label, person_name, created_at, "
                       "last_seen_at, silent_at FROM device_tokens WHERE silent_at > 0 AND "
                       "silent_at <= $1 AND protection_state = '' ORDER BY silent_at LIMIT $2",
                       {sql_number(now), sql_number(limit)}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i) {
    DeviceLink link;
    link.account_id = sql_cell_number(rows, i, 0);
    link.link_id = sql_cell(rows, i, 1);
    link.device_label = sql_cell(rows, i, 2);
    link.person_name = sql_cell(rows, i, 3);
    link.created_at = sql_cell_number(rows, i, 4);
    link.last_seen_at = sql_cell_number(rows, i, 5);
    link.silent_at = sql_cell_number(rows, i, 6);
    out->push_back(link);
  }
  return 1;
}

int store_take_silence(ServiceStore* store, const std::string& link_id, int64_t now, bool* taken) {
  SqlRows rows;
  if (!store->sql->run("UPDATE device_tokens SET silent_at = 0, silence_alerted_at = $1 WHERE "
                       "link_id = $2 AND silent_at > 0 AND silent_at <= $1 AND "
                       "protection_state = '' RETURNING link_id",
                       {sql_number(now), sql_text(link_id)}, &rows))
    return 0;
  *taken = !rows.rows.empty();
  return 1;
}

int store_end_silence(ServiceStore* store, const std::string& link_id, bool* taken) {
  SqlRows rows;
  if (!store->sql->run("UPDATE device_tokens SET silence_alerted_at = 0 WHERE link_id = $1 AND "
                       "silence_alerted_at > 0 RETURNING link_id",
                       {sql_text(link_id)}, &rows))
    return 0;
  *taken = !rows.rows.empty();
  return 1;
}

int store_note_threat(ServiceStore* store, const std::string& link_id, int64_t now,
                      int64_t silent_at) {
  SqlRows rows;
  return store->sql->run("UPDATE device_tokens SET threat_at = $1, silent_at = CASE WHEN "
                         "protection_state = '' THEN CAST($2 AS BIGINT) ELSE 0 END WHERE "
                         "link_id = $3",
                         {sql_number(now), sql_number(silent_at), sql_text(link_id)}, &rows);
}
