#include "service_store.h"
#include "store_sql.h"

int store_add_challenge(ServiceStore* store, const Challenge& challenge) {
  SqlStatement s;
  return sql_prepare(store->db,
                     "INSERT INTO challenges (id, account_id, code, expires_at, tries_left, used)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                     &s) &&
         sql_bind_text(&s, 1, challenge.id) && sql_bind_int(&s, 2, challenge.account_id) &&
         sql_bind_text(&s, 3, challenge.code) && sql_bind_int(&s, 4, challenge.expires_at) &&
         sql_bind_int(&s, 5, challenge.tries_left) && sql_bind_int(&s, 6, challenge.used ? 1 : 0) &&
         sql_run(&s);
}

int store_find_challenge(ServiceStore* store, const std::string& id, Challenge* out) {
  SqlStatement s;
  if (!sql_prepare(
          store->db,
          "SELECT id, account_id, code, expires_at, tries_left, used FROM challenges WHERE id = ?1",
          &s) ||
      !sql_bind_text(&s, 1, id) || !sql_next_row(&s)) {
    return 0;
  }
  out->id = sql_text(&s, 0);
  out->account_id = sql_int(&s, 1);
  out->code = sql_text(&s, 2);
  out->expires_at = sql_int(&s, 3);
  out->tries_left = static_cast<int>(sql_int(&s, 4));
  out->used = sql_int(&s, 5) != 0;
  return 1;
}

int store_update_challenge(ServiceStore* store, const std::string& id, int tries_left, bool used) {
  SqlStatement s;
  return sql_prepare(store->db, "UPDATE challenges SET tries_left = ?1, used = ?2 WHERE id = ?3",
                     &s) &&
         sql_bind_int(&s, 1, tries_left) && sql_bind_int(&s, 2, used ? 1 : 0) &&
         sql_bind_text(&s, 3, id) && sql_run(&s);
}

int store_add_token(ServiceStore* store, const std::string& token, int64_t account_id,
                    int64_t now) {
  SqlStatement s;
  return sql_prepare(store->db,
                     "INSERT INTO tokens (token, account_id, created_at) VALUES (?1, ?2, ?3)",
                     &s) &&
         sql_bind_text(&s, 1, token) && sql_bind_int(&s, 2, account_id) &&
         sql_bind_int(&s, 3, now) && sql_run(&s);
}

int store_find_token(ServiceStore* store, const std::string& token, int64_t* account_id) {
  SqlStatement s;
  if (!sql_prepare(store->db, "SELECT account_id FROM tokens WHERE token = ?1", &s) ||
      !sql_bind_text(&s, 1, token) || !sql_next_row(&s)) {
    return 0;
  }
  *account_id = sql_int(&s, 0);
  return 1;
}
