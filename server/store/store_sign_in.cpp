#include "base/secret_digest.h"
#include "base/secure_random.h"
#include "store/service_store.h"

namespace {

void read_challenge(const SqlRows& rows, Challenge* out) {
  out->id = sql_cell(rows, 0, 0);
  out->account_id = sql_cell_number(rows, 0, 1);
  out->code_digest = sql_cell(rows, 0, 2);
  out->expires_at = sql_cell_number(rows, 0, 3);
  out->tries_left = static_cast<int>(sql_cell_number(rows, 0, 4));
  out->used = sql_cell_number(rows, 0, 5) != 0;
  out->purpose = sql_cell(rows, 0, 6);
}

} // namespace

int store_add_challenge(ServiceStore* store, const Challenge& challenge, const std::string& code) {
  SqlRows rows;
  return store->sql->run(
      "INSERT INTO challenges (id, account_id, code_digest, expires_at, tries_left, used, purpose)"
      " VALUES ($1, $2, $3, $4, $5, $6, $7)",
      {sql_text(challenge.id), sql_number(challenge.account_id),
       sql_text(sign_in_code_digest(*store->key, challenge.id, code)),
       sql_number(challenge.expires_at), sql_number(challenge.tries_left),
       sql_number(challenge.used ? 1 : 0), sql_text(challenge.purpose)},
      &rows);
}

Lookup store_find_challenge(ServiceStore* store, const std::string& id, Challenge* out) {
  SqlRows rows;
  const Lookup found =
      lookup_of(store->sql->run("SELECT id, account_id, code_digest, expires_at, tries_left, used, "
                                "purpose FROM challenges WHERE id = $1",
                                {sql_text(id)}, &rows),
                rows);
  if (found == Lookup::kFound) read_challenge(rows, out);
  return found;
}

int store_take_challenge_try(ServiceStore* store, const std::string& id, int64_t now,
                             Challenge* out) {
  SqlRows rows;
  if (!store->sql->run("UPDATE challenges SET tries_left = tries_left - 1 WHERE id = $1 AND used = "
                       "0 AND expires_at > $2 AND tries_left > 0 RETURNING id, account_id, "
                       "code_digest, expires_at, tries_left, used, purpose",
                       {sql_text(id), sql_number(now)}, &rows) ||
      rows.rows.empty())
    return 0;
  read_challenge(rows, out);
  return 1;
}

bool store_code_matches(ServiceStore* store, const Challenge& challenge, const std::string& code) {
  return same_secret(sign_in_code_digest(*store->key, challenge.id, code), challenge.code_digest);
}

int store_use_challenge(ServiceStore* store, const std::string& id) {
  SqlRows rows;
  return store->sql->run("UPDATE challenges SET used = 1 WHERE id = $1 AND used = 0",
                         {sql_text(id)}, &rows) &&
         rows.changed == 1;
}

int store_add_token(ServiceStore* store, const std::string& token, int64_t account_id, int64_t now,
                    int64_t silent_at) {
  SqlRows rows;
  std::string link_id;
  return random_hex(12, &link_id) &&
         store->sql->run("INSERT INTO device_tokens (token_digest, account_id, created_at, "
                         "link_id, silent_at) VALUES ($1, $2, $3, $4, $5)",
                         {sql_text(sha256_hex(token)), sql_number(account_id), sql_number(now),
                          sql_text(link_id), sql_number(silent_at)},
                         &rows);
}

Lookup store_find_token(ServiceStore* store, const std::string& token, int64_t* account_id) {
  SqlRows rows;
  const Lookup found =
      lookup_of(store->sql->run("SELECT account_id FROM device_tokens WHERE token_digest = $1",
                                {sql_text(sha256_hex(token))}, &rows),
                rows);
  if (found == Lookup::kFound) *account_id = sql_cell_number(rows, 0, 0);
  return found;
}
