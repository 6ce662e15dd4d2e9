// Web sessions: the browser holds the id, the table its SHA-256 digest, like device tokens.
#include "base/secret_digest.h"
#include "base/secure_random.h"
#include "store/store_family.h"

namespace {

// A session's use is written at most this often, not at every page.
const int64_t kSessionTouchSeconds = 60 * 60;

} // namespace

int store_start_session(ServiceStore* store, int64_t account_id, int64_t now,
                        std::string* session_id) {
  std::string id;
  if (!random_hex(32, &id)) return 0;
  SqlRows rows;
  if (!store->sql->run("INSERT INTO web_sessions (id_digest, account_id, created_at, last_used_at)"
                       " VALUES ($1, $2, $3, $3)",
                       {sql_text(sha256_hex(id)), sql_number(account_id), sql_number(now)}, &rows))
    return 0;
  *session_id = id;
  return 1;
}

Lookup store_find_session(ServiceStore* store, const std::string& session_id, int64_t now,
                          WebSession* out) {
  if (session_id.empty()) return Lookup::kMissing;
  SqlRows rows;
  const std::string digest = sha256_hex(session_id);
  const Lookup found = lookup_of(
      store->sql->run("SELECT account_id, created_at, last_used_at, pin_challenge_id FROM "
                      "web_sessions WHERE id_digest = $1 AND last_used_at > $2",
                      {sql_text(digest), sql_number(now - kSessionIdleSeconds)}, &rows),
      rows);
  if (found != Lookup::kFound) return found;
  out->account_id = sql_cell_number(rows, 0, 0);
  out->created_at = sql_cell_number(rows, 0, 1);
  out->last_used_at = sql_cell_number(rows, 0, 2);
  out->pin_challenge_id = sql_cell(rows, 0, 3);
  if (now - out->last_used_at >= kSessionTouchSeconds) {
    SqlRows touched;
    store->sql->run("UPDATE web_sessions SET last_used_at = $1 WHERE id_digest = $2 AND "
                    "last_used_at < $1",
                    {sql_number(now), sql_text(digest)}, &touched);
  }
  return Lookup::kFound;
}

int store_end_session(ServiceStore* store, const std::string& session_id) {
  SqlRows rows;
  return store->sql->run("DELETE FROM web_sessions WHERE id_digest = $1",
                         {sql_text(sha256_hex(session_id))}, &rows);
}

int store_set_session_pin_challenge(ServiceStore* store, const std::string& session_id,
                                    const std::string& challenge_id) {
  SqlRows rows;
  return store->sql->run("UPDATE web_sessions SET pin_challenge_id = $1 WHERE id_digest = $2",
                         {sql_text(challenge_id), sql_text(sha256_hex(session_id))}, &rows) &&
         rows.changed == 1;
}

std::string store_session_form_token(ServiceStore* store, const std::string& session_id) {
  if (session_id.empty()) return std::string(); // matches nothing
  return hmac_sha256_hex(*store->key, "session-form\n" + session_id);
}

std::string store_sign_in_form_token(ServiceStore* store, const std::string& form_cookie) {
  if (form_cookie.empty()) return std::string(); // matches nothing
  return hmac_sha256_hex(*store->key, "sign-in-form\n" + form_cookie);
}

bool store_form_token_matches(const std::string& expected, const std::string& sent) {
  return same_secret(expected, sent);
}
