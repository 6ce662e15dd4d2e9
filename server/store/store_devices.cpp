// Linked computers, as the family page shows them; the token itself is only a digest here.
#include "base/secret_digest.h"
#include "store/store_family.h"

namespace {

#define DEVICE_COLUMNS                                                                             \
  "SELECT account_id, link_id, device_label, person_name, created_at, last_seen_at, "              \
  "protection_state, protection_at, pause_alerted_at, guardian_lock FROM device_tokens "

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
  return link;
}

} // namespace

int store_find_device(ServiceStore* store, const std::string& token, DeviceLink* out) {
  SqlRows rows;
  if (!store->sql->run(DEVICE_COLUMNS "WHERE token_digest = $1", {sql_text(sha256_hex(token))},
                       &rows) ||
      rows.rows.empty())
    return 0;
  *out = read_device(rows, 0);
  return 1;
}

int store_note_device_seen(ServiceStore* store, const DeviceLink& known, const std::string& label,
                           int64_t now, bool status) {
  // Most calls change nothing worth a write; the read that found the token says so.
  const bool stale = status && now - known.last_seen_at >= kDeviceSeenWriteSeconds;
  if (known.device_label == label && !stale) return 1;
  SqlRows rows;
  if (!status)
    return store->sql->run("UPDATE device_tokens SET device_label = $1 WHERE link_id = $2",
                           {sql_text(label), sql_text(known.link_id)}, &rows);
  return store->sql->run("UPDATE device_tokens SET device_label = $1, last_seen_at = $2 "
                         "WHERE link_id = $3 AND (device_label <> $1 OR last_seen_at <= $4)",
                         {sql_text(label), sql_number(now), sql_text(known.link_id),
                          sql_number(now - kDeviceSeenWriteSeconds)},
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

int store_unlink_device(ServiceStore* store, int64_t account_id, const std::string& link_id) {
  SqlRows rows;
  return store->sql->run("DELETE FROM device_tokens WHERE account_id = $1 AND link_id = $2",
                         {sql_number(account_id), sql_text(link_id)}, &rows) &&
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
