// The queue of texts to UK mobiles and their delivery reports.
#include "store/store_texts.h"

#include "base/secure_random.h"

int store_queue_text(ServiceStore* store, int64_t account_id, const std::string& number,
                     const std::string& body, const char* kind, int64_t expires_at, int64_t now,
                     std::string* report_id) {
  std::string id;
  if (!random_hex(16, &id)) return 0;
  SqlRows rows;
  if (!store->sql->run("INSERT INTO text_queue (account_id, number, body, kind, report_id, "
                       "expires_at, created_at, next_try_at) VALUES ($1, $2, $3, $4, $5, $6, $7, "
                       "$7)",
                       {sql_number(account_id), sql_text(number), sql_text(body), sql_text(kind),
                        sql_text(id), sql_number(expires_at), sql_number(now)},
                       &rows))
    return 0;
  if (report_id) *report_id = id;
  return 1;
}

int store_claim_text(ServiceStore* store, int64_t now, int64_t lease, QueuedText* out) {
  SqlRows rows;
  // As with alerts: the conditions are read again on the row itself, so of two instances that
  // picked the same text, the second updates nothing.
  if (!store->sql->run("UPDATE text_queue SET claimed_until = $1, tries = tries + 1 WHERE id = "
                       "(SELECT id FROM text_queue WHERE state = 'waiting' AND next_try_at <= $2 "
                       "AND claimed_until <= $2 ORDER BY id LIMIT 1) "
                       "AND state = 'waiting' AND claimed_until <= $2 "
                       "RETURNING id, account_id, number, body, kind, report_id, tries, expires_at",
                       {sql_number(now + lease), sql_number(now)}, &rows) ||
      rows.rows.empty())
    return 0;
  out->id = sql_cell_number(rows, 0, 0);
  out->account_id = sql_cell_number(rows, 0, 1);
  out->number = sql_cell(rows, 0, 2);
  out->body = sql_cell(rows, 0, 3);
  out->kind = sql_cell(rows, 0, 4);
  out->report_id = sql_cell(rows, 0, 5);
  out->tries = static_cast<int>(sql_cell_number(rows, 0, 6));
  out->expires_at = sql_cell_number(rows, 0, 7);
  return 1;
}

int store_text_sent(ServiceStore* store, int64_t id, int64_t now) {
  SqlRows rows;
  return store->sql->run("UPDATE text_queue SET state = 'sent', sent_at = $1, claimed_until = 0, "
                         "body = CASE WHEN kind = 'code' THEN '' ELSE body END WHERE id = $2",
                         {sql_number(now), sql_number(id)}, &rows);
}

int store_text_failed(ServiceStore* store, int64_t id, int64_t next_try_at, bool give_up) {
  SqlRows rows;
  return store->sql->run(
      "UPDATE text_queue SET state = $1, next_try_at = $2, claimed_until = 0, "
      "body = CASE WHEN $1 = 'given_up' AND kind = 'code' THEN '' ELSE body END WHERE id = $3",
      {sql_text(give_up ? "given_up" : "waiting"), sql_number(next_try_at), sql_number(id)}, &rows);
}

int store_text_report(ServiceStore* store, const std::string& report_id, const std::string& report,
                      int64_t now, bool* changed) {
  SqlRows rows;
  *changed = false;
  if (!store->sql->run("SELECT report FROM text_queue WHERE report_id = $1", {sql_text(report_id)},
                       &rows) ||
      rows.rows.empty())
    return 0;
  const bool final_report = report == "delivered" || report == "failed";
  if (!store->sql->run("UPDATE text_queue SET report = $1, report_at = $2 WHERE report_id = $3 "
                       "AND report <> $1 AND report NOT IN ('delivered', 'failed') "
                       "AND ($4 = 1 OR report = '') RETURNING id",
                       {sql_text(report), sql_number(now), sql_text(report_id),
                        sql_number(final_report ? 1 : 0)},
                       &rows))
    return 0;
  *changed = !rows.rows.empty();
  return 1;
}

int store_last_alert_texts(ServiceStore* store, int64_t account_id,
                           std::map<std::string, TextStatus>* out) {
  SqlRows rows;
  if (!store->sql->run("SELECT number, state, report, created_at, report_at FROM text_queue "
                       "WHERE account_id = $1 AND kind = 'alert' ORDER BY id",
                       {sql_number(account_id)}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i) {
    TextStatus& status = (*out)[sql_cell(rows, i, 0)]; // the newest is read last
    status.state = sql_cell(rows, i, 1);
    status.report = sql_cell(rows, i, 2);
    status.created_at = sql_cell_number(rows, i, 3);
    status.report_at = sql_cell_number(rows, i, 4);
  }
  return 1;
}

int store_text_states(ServiceStore* store, std::map<std::string, int>* out) {
  SqlRows rows;
  if (!store->sql->run("SELECT state, COUNT(*) FROM text_queue GROUP BY state", {}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    (*out)[sql_cell(rows, i, 0)] = static_cast<int>(sql_cell_number(rows, i, 1));
  return 1;
}
