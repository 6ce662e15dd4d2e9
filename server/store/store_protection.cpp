#include "store/store_protection.h"

#include "base/secret_digest.h"

int store_note_protection(ServiceStore* store, const std::string& link_id, const std::string& state,
                          int64_t at) {
  SqlRows rows;
  return store->sql->run("UPDATE device_tokens SET protection_state = $1, protection_at = $2 "
                         "WHERE link_id = $3 AND protection_at <= $2",
                         {sql_text(state), sql_number(at), sql_text(link_id)}, &rows);
}

int store_note_running_again(ServiceStore* store, const std::string& link_id, int64_t now) {
  SqlRows rows;
  return store->sql->run("UPDATE device_tokens SET protection_state = '', protection_at = $1 "
                         "WHERE link_id = $2 AND protection_at <= $1 AND protection_state IN "
                         "('" PROTECTION_CLOSED "', '" PROTECTION_REMOVED "')",
                         {sql_number(now), sql_text(link_id)}, &rows);
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

int store_session_lock_challenge(ServiceStore* store, const std::string& session_id,
                                 std::string* challenge_id) {
  SqlRows rows;
  if (!store->sql->run("SELECT lock_challenge_id FROM web_sessions WHERE id_digest = $1",
                       {sql_text(sha256_hex(session_id))}, &rows))
    return 0;
  *challenge_id = sql_cell(rows, 0, 0);
  return 1;
}
