// Linked computers, as the family page shows them; the token itself is only a digest here.
#include "base/secret_digest.h"
#include "store/store_family.h"

namespace {

#define DEVICE_COLUMNS                                                                             \
  "SELECT account_id, link_id, device_label, person_name, created_at, last_seen_at, "              \
  "protection_state, protection_at, pause_alerted_at, guardian_lock, threat_at, silent_at, "       \
  "silence_alerted_at FROM device_tokens "

DeviceLink read_device(const SqlRows& rows, size_t row) {
  DeviceLink link;
  link.account_id = sql_cell_number(rows, row, 0);
  link.link_id = sql_cell(rows, row, 1);
  link.device_label = sql_cell(rows, row, 2);
  link.person_name = sql_cell(rows, row, 3);
  link.created_at = sql_cell_number(rows, row, 4);
  link.last_seen_at = sql_cell_number(rows, row, 5);
  link.protection_state = sql_cell(rows, row, 6);
  link.protection_at = sql_cell_number(rows, row, 7);
  link.pause_alerted_at = sql_cell_number(rows, row, 8);
  link.guardian_lock = sql_cell_number(rows, row, 9) != 0;
  link.threat_at = sql_cell_number(rows, row, 10);
  link.silent_at = sql_cell_number(rows, row, 11);
  link.silence_alerted_at = sql_cell_number(rows, row, 12);
  return link;
}

} // namespace

int64_t device_heard_at(const DeviceLink& device) {
  return device.last_seen_at > 0 ? device.last_seen_at : device.created_at;
}

Lookup store_find_device(ServiceStore* store, const std::string& token, DeviceLink* out) {
  SqlRows rows;
  const Lookup found = lookup_of(store->sql->run(DEVICE_COLUMNS "WHERE token_digest = $1",
                                                 {sql_text(sha256_hex(token))}, &rows),
                                 rows);
  if (found == Lookup::kFound) *out = read_device(rows, 0);
  return found;
}

Lookup store_find_link(ServiceStore* store, int64_t account_id, const std::string& link_id,
                       DeviceLink* out) {
  SqlRows rows;
  const Lookup found =
      lookup_of(store->sql->run(DEVICE_COLUMNS "WHERE account_id = $1 AND link_id = $2",
                                {sql_number(account_id), sql_text(link_id)}, &rows),
                rows);
  if (found == Lookup::kFound) *out = read_device(rows, 0);
  return found;
}

int store_note_device_seen(ServiceStore* store, const DeviceLink& known, const std::string& label,
                           int64_t now, int64_t write_seconds, int64_t silent_at, bool force) {
  // Most calls change nothing worth a write; the read that found the token says so.
  const bool stale = force || now - known.last_seen_at >= write_seconds;
  if (known.device_label == label && !stale) return 1;
  SqlRows rows;
  // The silence watch follows the time written: a computer that is not on is not watched.
  return store->sql->run(
      "UPDATE device_tokens SET device_label = $1, last_seen_at = $2, silent_at = CASE WHEN "
      "protection_state = '' THEN CAST($5 AS BIGINT) ELSE 0 END WHERE link_id = $3 AND "
      "(device_label <> $1 OR "
      "last_seen_at <= $4 OR $6 = 1)",
      {sql_text(label), sql_number(now), sql_text(known.link_id), sql_number(now - write_seconds),
       sql_number(silent_at), sql_number(force ? 1 : 0)},
      &rows);
}

int store_list_devices(ServiceStore* store, int64_t account_id, std::vector<DeviceLink>* out) {
  SqlRows rows;
  if (!store->sql->run(DEVICE_COLUMNS "WHERE account_id = $1 ORDER BY created_at, link_id",
                       {sql_number(account_id)}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    out->push_back(read_device(rows, i));
  return 1;
}

int store_unlink_device(ServiceStore* store, int64_t account_id, const std::string& link_id,
                        bool even_locked) {
  SqlRows rows;
  return store->sql->run(
             "DELETE FROM device_tokens WHERE account_id = $1 AND link_id = $2 AND "
             "(guardian_lock = 0 OR $3 = 1)",
             {sql_number(account_id), sql_text(link_id), sql_number(even_locked ? 1 : 0)}, &rows) &&
         rows.changed == 1;
}

int store_name_device(ServiceStore* store, int64_t account_id, const std::string& link_id,
                      const std::string& person_name) {
  SqlRows rows;
  return store->sql->run(
             "UPDATE device_tokens SET person_name = $1 WHERE account_id = $2 AND link_id = $3",
             {sql_text(person_name), sql_number(account_id), sql_text(link_id)}, &rows) &&
         rows.changed == 1;
}
