// The people who get an account's alerts, and what happened on its computers.
#include "store/store_family.h"

namespace {

AlertContact read_contact(const SqlRows& rows, size_t row) {
  AlertContact contact;
  contact.id = sql_cell_number(rows, row, 0);
  contact.identifier = sql_cell(rows, row, 1);
  contact.confirmed = sql_cell_number(rows, row, 2) != 0;
  contact.challenge_id = sql_cell(rows, row, 3);
  return contact;
}

} // namespace

int store_list_contacts(ServiceStore* store, int64_t account_id, std::vector<AlertContact>* out) {
  SqlRows rows;
  if (!store->sql->run("SELECT id, identifier, confirmed, challenge_id FROM alert_contacts "
                       "WHERE account_id = $1 ORDER BY slot",
                       {sql_number(account_id)}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    out->push_back(read_contact(rows, i));
  return 1;
}

ContactAdded store_add_contact(ServiceStore* store, int64_t account_id,
                               const std::string& identifier, int64_t now, int64_t* contact_id) {
  // Each contact holds one of four numbered places; a place taken by someone adding at the same
  // moment makes this insert do nothing, and the next place is tried.
  for (int slot = 1; slot <= kMaxAlertContacts; ++slot) {
    SqlRows rows;
    if (!store->sql->run(
            "INSERT INTO alert_contacts (account_id, slot, identifier, created_at) "
            "VALUES ($1, $2, $3, $4) ON CONFLICT DO NOTHING RETURNING id",
            {sql_number(account_id), sql_number(slot), sql_text(identifier), sql_number(now)},
            &rows))
      return kContactFailed;
    if (!rows.rows.empty()) {
      *contact_id = sql_cell_number(rows, 0, 0);
      return kContactAdded;
    }
    SqlRows same;
    if (!store->sql->run("SELECT id FROM alert_contacts WHERE account_id = $1 AND identifier = $2",
                         {sql_number(account_id), sql_text(identifier)}, &same))
      return kContactFailed;
    if (!same.rows.empty()) {
      *contact_id = sql_cell_number(same, 0, 0);
      return kContactAlreadyListed;
    }
  }
  return kContactListFull;
}

int store_set_contact_challenge(ServiceStore* store, int64_t account_id, int64_t contact_id,
                                const std::string& challenge_id) {
  SqlRows rows;
  return store->sql->run("UPDATE alert_contacts SET challenge_id = $1 WHERE account_id = $2 AND "
                         "id = $3",
                         {sql_text(challenge_id), sql_number(account_id), sql_number(contact_id)},
                         &rows) &&
         rows.changed == 1;
}

Lookup store_find_contact(ServiceStore* store, int64_t account_id, int64_t contact_id,
                          AlertContact* out) {
  SqlRows rows;
  const Lookup found = lookup_of(
      store->sql->run("SELECT id, identifier, confirmed, challenge_id FROM alert_contacts "
                      "WHERE account_id = $1 AND id = $2",
                      {sql_number(account_id), sql_number(contact_id)}, &rows),
      rows);
  if (found == Lookup::kFound) *out = read_contact(rows, 0);
  return found;
}

int store_confirm_contact(ServiceStore* store, int64_t account_id, int64_t contact_id) {
  SqlRows rows;
  return store->sql->run("UPDATE alert_contacts SET confirmed = 1, challenge_id = '' WHERE "
                         "account_id = $1 AND id = $2",
                         {sql_number(account_id), sql_number(contact_id)}, &rows) &&
         rows.changed == 1;
}

int store_remove_contact(ServiceStore* store, int64_t account_id, int64_t contact_id) {
  SqlRows rows;
  return store->sql->run("DELETE FROM alert_contacts WHERE account_id = $1 AND id = $2",
                         {sql_number(account_id), sql_number(contact_id)}, &rows) &&
         rows.changed == 1;
}

int store_alert_recipients(ServiceStore* store, int64_t account_id, std::vector<std::string>* out) {
  SqlRows rows;
  if (!store->sql->run("SELECT identifier, 0 AS place FROM accounts WHERE id = $1 UNION ALL "
                       "SELECT identifier, slot FROM alert_contacts WHERE account_id = $1 AND "
                       "confirmed = 1 ORDER BY 2",
                       {sql_number(account_id)}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    out->push_back(sql_cell(rows, i, 0));
  return 1;
}

int store_set_scam_alerts(ServiceStore* store, int64_t account_id, bool on) {
  SqlRows rows;
  return store->sql->run("UPDATE accounts SET alert_on_scam = $1 WHERE id = $2",
                         {sql_number(on ? 1 : 0), sql_number(account_id)}, &rows) &&
         rows.changed == 1;
}

int store_add_event(ServiceStore* store, int64_t account_id, const std::string& kind,
                    const std::string& detail, const std::string& device_label, int64_t now) {
  SqlRows rows;
  return store->sql->run("INSERT INTO account_events (account_id, kind, detail, device_label, at) "
                         "VALUES ($1, $2, $3, $4, $5)",
                         {sql_number(account_id), sql_text(kind), sql_text(detail),
                          sql_text(device_label), sql_number(now)},
                         &rows);
}

int store_add_checks(ServiceStore* store, const std::vector<CheckVerdict>& checks) {
  SqlTransaction transaction(store->sql);
  if (!transaction.begun()) return 0;
  for (const CheckVerdict& check : checks) {
    if (!store_add_event(store, check.account_id, "check", check.verdict, check.device_label,
                         check.at))
      return 0;
  }
  return transaction.commit();
}

int store_recent_events(ServiceStore* store, int64_t account_id, int64_t since, int limit,
                        std::vector<AccountEvent>* out) {
  SqlRows rows;
  // Stopped tools are the reports the computers sent; overrides are events of their own.
  if (!store->sql->run("SELECT 'tool_stopped' AS kind, tool_name, device_label, created_at FROM "
                       "reports WHERE account_id = $1 AND created_at >= $2 UNION ALL "
                       "SELECT kind, detail, device_label, at FROM account_events WHERE "
                       "account_id = $1 AND at >= $2 AND kind <> 'check' "
                       "ORDER BY 4 DESC LIMIT $3",
                       {sql_number(account_id), sql_number(since), sql_number(limit)}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i) {
    AccountEvent event;
    event.kind = sql_cell(rows, i, 0);
    event.detail = sql_cell(rows, i, 1);
    event.device_label = sql_cell(rows, i, 2);
    event.at = sql_cell_number(rows, i, 3);
    out->push_back(event);
  }
  return 1;
}

int store_verdict_counts(ServiceStore* store, int64_t account_id, int64_t since,
                         std::map<std::string, int>* out) {
  SqlRows rows;
  if (!store->sql->run("SELECT detail, COUNT(*) FROM account_events WHERE account_id = $1 AND "
                       "kind = 'check' AND at >= $2 GROUP BY detail",
                       {sql_number(account_id), sql_number(since)}, &rows))
    return 0;
  out->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    (*out)[sql_cell(rows, i, 0)] = static_cast<int>(sql_cell_number(rows, i, 1));
  return 1;
}
