#include "store/store_protection.h"

#include "base/secret_digest.h"

namespace {

const char* const kEndedByACall[] = {PROTECTION_CLOSED, PROTECTION_REMOVED, PROTECTION_SHUTDOWN,
                                     PROTECTION_SUSPENDED};

} // namespace

bool protection_state_ends_with_a_call(const std::string& state) {
  for (const char* ended : kEndedByACall) {
    if (state == ended) return true;
  }
  return false;
}

int store_note_protection(ServiceStore* store, const std::string& link_id, const std::string& state,
                          int64_t at, int64_t silent_at) {
  SqlRows rows;
  return store->sql->run(
      "UPDATE device_tokens SET protection_state = $1, protection_at = $2, "
      "silent_at = CASE WHEN $1 = '' THEN CAST($4 AS BIGINT) ELSE 0 END "
      "WHERE link_id = $3 AND protection_at <= $2",
      {sql_text(state), sql_number(at), sql_text(link_id), sql_number(silent_at)}, &rows);
}

int store_note_running_again(ServiceStore* store, const std::string& link_id, int64_t now,
                             int64_t silent_at) {
  SqlRows rows;
  return store->sql->run("UPDATE device_tokens SET protection_state = '', protection_at = $1, "
                         "silent_at = $3 WHERE link_id = $2 AND protection_at <= $1 AND "
                         "protection_state IN ('" PROTECTION_CLOSED "', '" PROTECTION_REMOVED
                         "', '" PROTECTION_SHUTDOWN "', '" PROTECTION_SUSPENDED "')",
                         {sql_number(now), sql_text(link_id), sql_number(silent_at)}, &rows);
}

int store_note_pause_alerted(ServiceStore* store, const std::string& link_id, int64_t now) {
  SqlRows rows;
  return store->sql->run("UPDATE device_tokens SET pause_alerted_at = $1 WHERE link_id = $2",
                         {sql_number(now), sql_text(link_id)}, &rows);
}

int store_set_guardian_lock(ServiceStore* store, int64_t account_id, const std::string& link_id,
                            bool on) {
  SqlRows rows;
  return store->sql->run(
             "UPDATE device_tokens SET guardian_lock = $1 WHERE account_id = $2 AND link_id = $3",
             {sql_number(on ? 1 : 0), sql_number(account_id), sql_text(link_id)}, &rows) &&
         rows.changed == 1;
}

int store_set_session_lock_challenge(ServiceStore* store, const std::string& session_id,
                                     const std::string& challenge_id) {
  SqlRows rows;
  return store->sql->run("UPDATE web_sessions SET lock_challenge_id = $1 WHERE id_digest = $2",
                         {sql_text(challenge_id), sql_text(sha256_hex(session_id))}, &rows) &&
         rows.changed == 1;
}

int store_set_session_unlink_challenge(ServiceStore* store, const std::string& session_id,
                                       const std::string& challenge_id,
                                       const std::string& link_id) {
  SqlRows rows;
  return store->sql->run(
             "UPDATE web_sessions SET unlink_challenge_id = $1, unlink_link_id = $2 "
             "WHERE id_digest = $3",
             {sql_text(challenge_id), sql_text(link_id), sql_text(sha256_hex(session_id))},
             &rows) &&
         rows.changed == 1;
}

int store_session_unlink_challenge(ServiceStore* store, const std::string& session_id,
                                   std::string* challenge_id, std::string* link_id) {
  SqlRows rows;
  if (!store->sql->run("SELECT unlink_challenge_id, unlink_link_id FROM web_sessions WHERE "
                       "id_digest = $1",
                       {sql_text(sha256_hex(session_id))}, &rows))
    return 0;
  *challenge_id = sql_cell(rows, 0, 0);
  *link_id = sql_cell(rows, 0, 1);
  return 1;
}

int store_session_lock_challenge(ServiceStore* store, const std::string& session_id,
                                 std::string* challenge_id) {
  SqlRows rows;
  if (!store->sql->run("SELECT lock_challenge_id FROM web_sessions WHERE id_digest = $1",
                       {sql_text(sha256_hex(session_id))}, &rows))
    return 0;
  *challenge_id = sql_cell(rows, 0, 0);
  return 1;
}
