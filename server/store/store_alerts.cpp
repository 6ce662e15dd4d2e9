// The queue of alerts to deliver, shared by every instance on the database.
#include "store/store_family.h"

int store_take_alert_slot(ServiceStore* store, const std::string& key, int64_t now, int64_t window,
                          bool* first) {
  SqlRows rows;
  if (!store->sql->run("INSERT INTO alert_slots (slot_key, until_at) VALUES ($1, $2) "
                       "ON CONFLICT (slot_key) DO UPDATE SET until_at = excluded.until_at "
                       "WHERE alert_slots.until_at <= $3 RETURNING slot_key",
                       {sql_text(key), sql_number(now + window), sql_number(now)}, &rows))
    return 0;
  *first = !rows.rows.empty();
  return 1;
}

int store_release_alert_slot(ServiceStore* store, const std::string& key) {
  SqlRows rows;
  return store->sql->run("DELETE FROM alert_slots WHERE slot_key = $1", {sql_text(key)}, &rows);
}

int store_queue_alert(ServiceStore* store, int64_t account_id, const std::string& recipient,
                      const std::string& body, int64_t now) {
  SqlRows rows;
  return store->sql->run(
      "INSERT INTO alert_queue (account_id, recipient, body, created_at, "
      "next_try_at) VALUES ($1, $2, $3, $4, $4)",
      {sql_number(account_id), sql_text(recipient), sql_text(body), sql_number(now)}, &rows);
}

int store_claim_alert(ServiceStore* store, int64_t now, int64_t lease, QueuedAlert* out) {
  SqlRows rows;
  // The outer conditions are read again on the row itself, so of two instances that picked the
  // same alert, the second finds it claimed and updates nothing.
  if (!store->sql->run("UPDATE alert_queue SET claimed_until = $1, tries = tries + 1 WHERE id = "
                       "(SELECT id FROM alert_queue WHERE state = 'waiting' AND next_try_at <= $2 "
                       "AND claimed_until <= $2 ORDER BY id LIMIT 1) "
                       "AND state = 'waiting' AND claimed_until <= $2 "
                       "RETURNING id, account_id, recipient, body, tries, outbox_written",
                       {sql_number(now + lease), sql_number(now)}, &rows) ||
      rows.rows.empty())
    return 0;
  out->id = sql_cell_number(rows, 0, 0);
  out->account_id = sql_cell_number(rows, 0, 1);
  out->recipient = sql_cell(rows, 0, 2);
  out->body = sql_cell(rows, 0, 3);
  out->tries = static_cast<int>(sql_cell_number(rows, 0, 4));
  out->outbox_written = sql_cell_number(rows, 0, 5) != 0;
  out->claimed_until = now + lease;
  return 1;
}

int store_alert_outbox_written(ServiceStore* store, const QueuedAlert& alert, bool written) {
  SqlRows rows;
  return store->sql->run(
             "UPDATE alert_queue SET outbox_written = $1 WHERE id = $2 AND "
             "claimed_until = $3 AND state = 'waiting' RETURNING id",
             {sql_number(written ? 1 : 0), sql_number(alert.id), sql_number(alert.claimed_until)},
             &rows) &&
         !rows.rows.empty();
}

int store_alert_sent(ServiceStore* store, const QueuedAlert& alert, int64_t now) {
  SqlRows rows;
  return store->sql->run("UPDATE alert_queue SET state = 'sent', sent_at = $1, claimed_until = 0 "
                         "WHERE id = $2 AND claimed_until = $3 AND state = 'waiting' RETURNING id",
                         {sql_number(now), sql_number(alert.id), sql_number(alert.claimed_until)},
                         &rows) &&
         !rows.rows.empty();
}

int store_alert_failed(ServiceStore* store, const QueuedAlert& alert, int64_t next_try_at,
                       bool give_up) {
  SqlRows rows;
  return store->sql->run("UPDATE alert_queue SET state = $1, next_try_at = $2, claimed_until = 0 "
                         "WHERE id = $3 AND claimed_until = $4 AND state = 'waiting' RETURNING id",
                         {sql_text(give_up ? "failed" : "waiting"), sql_number(next_try_at),
                          sql_number(alert.id), sql_number(alert.claimed_until)},
                         &rows) &&
         !rows.rows.empty();
}

int store_alert_states(ServiceStore* store, std::map<std::string, int>* out) {
  SqlRows rows;
  if (!store->sql->run("SELECT state, COUNT(*) FROM alert_queue GROUP BY state", {}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    (*out)[sql_cell(rows, i, 0)] = static_cast<int>(sql_cell_number(rows, i, 1));
  return 1;
}
