// The schema and its migrations, the same for SQLite and PostgreSQL. A migration runs once, in
// one transaction with the version it brings the database to, so a crash half way leaves the
// database as it was. A SQLite file from before versions were kept counts as version 1.
#include <string>

#include "base/secret_digest.h"
#include "base/secure_random.h"
#include "base/clock_text.h"
#include "store/service_store.h"

namespace {

// Text of a migration: {id} is the dialect's self-numbering key.
const char* const kVersion1 = "CREATE TABLE accounts ("
                              " id {id},"
                              " identifier TEXT NOT NULL UNIQUE,"
                              " customer_name TEXT NOT NULL DEFAULT '',"
                              " plan_label TEXT NOT NULL,"
                              " entitled INTEGER NOT NULL DEFAULT 0,"
                              " guardian_pin TEXT NOT NULL DEFAULT '',"
                              " guardian_failures INTEGER NOT NULL DEFAULT 0,"
                              " guardian_locked_until BIGINT NOT NULL DEFAULT 0,"
                              " created_at BIGINT NOT NULL);"
                              "CREATE TABLE challenges ("
                              " id TEXT PRIMARY KEY,"
                              " account_id BIGINT NOT NULL REFERENCES accounts(id),"
                              " code TEXT NOT NULL,"
                              " expires_at BIGINT NOT NULL,"
                              " tries_left INTEGER NOT NULL,"
                              " used INTEGER NOT NULL DEFAULT 0);"
                              "CREATE TABLE tokens ("
                              " token TEXT PRIMARY KEY,"
                              " account_id BIGINT NOT NULL REFERENCES accounts(id),"
                              " created_at BIGINT NOT NULL);"
                              "CREATE TABLE reports ("
                              " id {id},"
                              " account_id BIGINT,"
                              " tool_name TEXT NOT NULL,"
                              " device_label TEXT NOT NULL,"
                              " created_at BIGINT NOT NULL);"
                              "CREATE INDEX reports_by_account ON reports(account_id, created_at);"
                              "CREATE TABLE check_usage ("
                              " device_label TEXT NOT NULL,"
                              " day TEXT NOT NULL,"
                              " used INTEGER NOT NULL,"
                              " PRIMARY KEY (device_label, day));";

// Secrets at rest: digests take the place of tokens, PINs and codes (filled in by
// convert_secrets between the two halves); the events of the abuse limits; settings.
const char* const kVersion2Before =
    "ALTER TABLE accounts ADD COLUMN guardian_pin_digest TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE challenges ADD COLUMN code_digest TEXT NOT NULL DEFAULT '';"
    "CREATE TABLE device_tokens ("
    " token_digest TEXT PRIMARY KEY,"
    " account_id BIGINT NOT NULL REFERENCES accounts(id),"
    " created_at BIGINT NOT NULL,"
    " device_label TEXT NOT NULL DEFAULT '',"
    " last_seen_at BIGINT NOT NULL DEFAULT 0);"
    "CREATE INDEX device_tokens_by_account ON device_tokens(account_id);"
    "CREATE TABLE limit_events ("
    " id {id},"
    " limit_key TEXT NOT NULL,"
    " at BIGINT NOT NULL);"
    "CREATE INDEX limit_events_by_key ON limit_events(limit_key, at);"
    "CREATE TABLE settings ("
    " name TEXT PRIMARY KEY,"
    " value TEXT NOT NULL);";
const char* const kVersion2After = "ALTER TABLE accounts DROP COLUMN guardian_pin;"
                                   "ALTER TABLE challenges DROP COLUMN code;"
                                   "DROP TABLE tokens;";

// The family page and alerts: a name and a public id for each linked computer, what a code is
// for, web sessions, the people who get alerts, what happened, and the alert queue.
const char* const kVersion3 =
    "ALTER TABLE challenges ADD COLUMN purpose TEXT NOT NULL DEFAULT 'sign_in';"
    "ALTER TABLE accounts ADD COLUMN alert_on_scam INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE device_tokens ADD COLUMN link_id TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE device_tokens ADD COLUMN person_name TEXT NOT NULL DEFAULT '';"
    "CREATE TABLE web_sessions ("
    " id_digest TEXT PRIMARY KEY,"
    " account_id BIGINT NOT NULL REFERENCES accounts(id),"
    " created_at BIGINT NOT NULL,"
    " last_used_at BIGINT NOT NULL,"
    " pin_challenge_id TEXT NOT NULL DEFAULT '');"
    "CREATE INDEX web_sessions_by_account ON web_sessions(account_id);"
    "CREATE TABLE alert_contacts ("
    " id {id},"
    " account_id BIGINT NOT NULL REFERENCES accounts(id),"
    " slot INTEGER NOT NULL,"
    " identifier TEXT NOT NULL,"
    " confirmed INTEGER NOT NULL DEFAULT 0,"
    " challenge_id TEXT NOT NULL DEFAULT '',"
    " created_at BIGINT NOT NULL,"
    " UNIQUE (account_id, slot),"
    " UNIQUE (account_id, identifier));"
    "CREATE TABLE account_events ("
    " id {id},"
    " account_id BIGINT NOT NULL REFERENCES accounts(id),"
    " kind TEXT NOT NULL,"
    " detail TEXT NOT NULL DEFAULT '',"
    " device_label TEXT NOT NULL DEFAULT '',"
    " at BIGINT NOT NULL);"
    "CREATE INDEX account_events_by_account ON account_events(account_id, at);"
    "CREATE TABLE alert_slots ("
    " slot_key TEXT PRIMARY KEY,"
    " until_at BIGINT NOT NULL);"
    "CREATE TABLE alert_queue ("
    " id {id},"
    " account_id BIGINT NOT NULL REFERENCES accounts(id),"
    " recipient TEXT NOT NULL,"
    " body TEXT NOT NULL,"
    " created_at BIGINT NOT NULL,"
    " state TEXT NOT NULL DEFAULT 'waiting',"
    " tries INTEGER NOT NULL DEFAULT 0,"
    " next_try_at BIGINT NOT NULL,"
    " claimed_until BIGINT NOT NULL DEFAULT 0,"
    " outbox_written INTEGER NOT NULL DEFAULT 0,"
    " sent_at BIGINT NOT NULL DEFAULT 0);"
    "CREATE INDEX alert_queue_due ON alert_queue(state, next_try_at);";
// After every linked computer has its public id.
const char* const kVersion3After = "CREATE UNIQUE INDEX device_tokens_by_link ON "
                                   "device_tokens(link_id);";

// Texts to UK mobiles through the SMS gateway, and what its delivery reports said.
const char* const kVersion4 = "CREATE TABLE text_queue ("
                              " id {id},"
                              " account_id BIGINT NOT NULL REFERENCES accounts(id),"
                              " number TEXT NOT NULL,"
                              " body TEXT NOT NULL,"
                              " kind TEXT NOT NULL,"
                              " report_id TEXT NOT NULL UNIQUE,"
                              " expires_at BIGINT NOT NULL DEFAULT 0,"
                              " created_at BIGINT NOT NULL,"
                              " state TEXT NOT NULL DEFAULT 'waiting',"
                              " tries INTEGER NOT NULL DEFAULT 0,"
                              " next_try_at BIGINT NOT NULL,"
                              " claimed_until BIGINT NOT NULL DEFAULT 0,"
                              " sent_at BIGINT NOT NULL DEFAULT 0,"
                              " report TEXT NOT NULL DEFAULT '',"
                              " report_at BIGINT NOT NULL DEFAULT 0);"
                              "CREATE INDEX text_queue_due ON text_queue(state, next_try_at);"
                              "CREATE INDEX text_queue_by_account ON text_queue(account_id, kind);";

// Each computer's protection as it last reported it, when a pause alert last went out, the
// Guardian lock, and the code a family page session asked for to turn a lock off.
const char* const kVersion5 =
    "ALTER TABLE device_tokens ADD COLUMN protection_state TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE device_tokens ADD COLUMN protection_at BIGINT NOT NULL DEFAULT 0;"
    "ALTER TABLE device_tokens ADD COLUMN pause_alerted_at BIGINT NOT NULL DEFAULT 0;"
    "ALTER TABLE device_tokens ADD COLUMN guardian_lock INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE web_sessions ADD COLUMN lock_challenge_id TEXT NOT NULL DEFAULT '';";

// The public lists of scam websites (URLhaus, OpenPhish, PhishTank), each source's list
// replaced whole by import-threats; the instances load them from here.
const char* const kVersion6 = "CREATE TABLE threat_lists ("
                              " source TEXT PRIMARY KEY,"
                              " updated_at BIGINT NOT NULL,"
                              " imported_at BIGINT NOT NULL,"
                              " entries BIGINT NOT NULL,"
                              " generation BIGINT NOT NULL);"
                              "CREATE TABLE threat_entries ("
                              " id {id},"
                              " source TEXT NOT NULL,"
                              " address TEXT NOT NULL,"
                              " host TEXT NOT NULL,"
                              " whole_host INTEGER NOT NULL);"
                              "CREATE INDEX threat_entries_by_source ON threat_entries(source);";

// Silence: when each computer last reported a blocked tool, the moment it counts as silent
// (0 while it is not watched: not on, or already alerted) and when its silence was alerted;
// and the code a family page session asked for to unlink a locked computer, with that computer.
const char* const kVersion7 =
    "ALTER TABLE device_tokens ADD COLUMN threat_at BIGINT NOT NULL DEFAULT 0;"
    "ALTER TABLE device_tokens ADD COLUMN silent_at BIGINT NOT NULL DEFAULT 0;"
    "ALTER TABLE device_tokens ADD COLUMN silence_alerted_at BIGINT NOT NULL DEFAULT 0;"
    "CREATE INDEX device_tokens_by_silence ON device_tokens(silent_at);"
    "ALTER TABLE web_sessions ADD COLUMN unlink_challenge_id TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE web_sessions ADD COLUMN unlink_link_id TEXT NOT NULL DEFAULT '';";

const int kLatestVersion = 7;

std::string dialect_text(const ServiceStore* store, const char* text) {
  std::string out = text;
  const std::string id = store->sql->dialect() == kSqlite
                             ? "INTEGER PRIMARY KEY"
                             : "BIGINT GENERATED BY DEFAULT AS IDENTITY "
                               "PRIMARY KEY";
  for (size_t at = out.find("{id}"); at != std::string::npos; at = out.find("{id}", at))
    out.replace(at, 4, id);
  return out;
}

int fail(ServiceStore* store, std::string* error, const std::string& what) {
  *error = what + ": " + store->sql->last_error();
  return 0;
}

// The version the database is at; a SQLite file made before versions were kept has the
// first tables and no version table.
int read_version(ServiceStore* store, int* version) {
  SqlRows rows;
  if (store->sql->dialect() == kSqlite) {
    if (!store->sql->run("SELECT name FROM sqlite_master WHERE type = 'table' AND name IN "
                         "('schema_version', 'accounts')",
                         {}, &rows))
      return 0;
    bool has_version = false;
    bool has_accounts = false;
    for (const auto& row : rows.rows) {
      has_version = has_version || row[0] == "schema_version";
      has_accounts = has_accounts || row[0] == "accounts";
    }
    if (!has_version) {
      *version = has_accounts ? 1 : 0;
      return 1;
    }
  } else if (!store->sql->run("SELECT COUNT(*) FROM information_schema.tables WHERE table_name = "
                              "'schema_version' AND table_schema = current_schema()",
                              {}, &rows)) {
    return 0;
  } else if (sql_cell_number(rows, 0, 0) == 0) {
    *version = 0;
    return 1;
  }
  if (!store->sql->run("SELECT version FROM schema_version", {}, &rows)) return 0;
  *version = rows.rows.empty() ? 0 : static_cast<int>(sql_cell_number(rows, 0, 0));
  return 1;
}

int write_version(ServiceStore* store, int version) {
  SqlRows rows;
  return store->sql->run_script("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT "
                                "NULL)") &&
         store->sql->run("DELETE FROM schema_version", {}, &rows) &&
         store->sql->run("INSERT INTO schema_version (version) VALUES ($1)", {sql_number(version)},
                         &rows);
}

// Tokens become SHA-256 digests, PINs and codes keyed digests: whatever was stored in clear.
int convert_secrets(ServiceStore* store) {
  SqlRows rows;
  SqlRows changed;
  if (!store->sql->run("SELECT token, account_id, created_at FROM tokens", {}, &rows)) return 0;
  for (const auto& row : rows.rows) {
    if (!store->sql->run("INSERT INTO device_tokens (token_digest, account_id, created_at) VALUES "
                         "($1, $2, $3)",
                         {sql_text(sha256_hex(row[0])), sql_text(row[1]), sql_text(row[2])},
                         &changed))
      return 0;
  }
  if (!store->sql->run("SELECT id, guardian_pin FROM accounts WHERE guardian_pin <> ''", {}, &rows))
    return 0;
  for (size_t i = 0; i < rows.rows.size(); ++i) {
    int64_t id = sql_cell_number(rows, i, 0);
    std::string digest = guardian_pin_digest(*store->key, id, sql_cell(rows, i, 1));
    if (!store->sql->run("UPDATE accounts SET guardian_pin_digest = $1 WHERE id = $2",
                         {sql_text(digest), sql_number(id)}, &changed))
      return 0;
  }
  if (!store->sql->run("SELECT id, code FROM challenges", {}, &rows)) return 0;
  for (const auto& row : rows.rows) {
    if (!store->sql->run(
            "UPDATE challenges SET code_digest = $1 WHERE id = $2",
            {sql_text(sign_in_code_digest(*store->key, row[0], row[1])), sql_text(row[0])},
            &changed))
      return 0;
  }
  return 1;
}

// Computers linked before version 3 get their public id.
int give_links_ids(ServiceStore* store) {
  SqlRows rows;
  SqlRows changed;
  if (!store->sql->run("SELECT token_digest FROM device_tokens", {}, &rows)) return 0;
  for (const auto& row : rows.rows) {
    std::string link_id;
    if (!random_hex(12, &link_id) ||
        !store->sql->run("UPDATE device_tokens SET link_id = $1 WHERE token_digest = $2",
                         {sql_text(link_id), sql_text(row[0])}, &changed))
      return 0;
  }
  return 1;
}

int migrate_to(ServiceStore* store, int version) {
  if (version == 1) return store->sql->run_script(dialect_text(store, kVersion1));
  if (version == 4) return store->sql->run_script(dialect_text(store, kVersion4));
  if (version == 5) return store->sql->run_script(kVersion5);
  if (version == 6) return store->sql->run_script(dialect_text(store, kVersion6));
  if (version == 7) return store->sql->run_script(kVersion7);
  if (version == 3)
    return store->sql->run_script(dialect_text(store, kVersion3)) && give_links_ids(store) &&
           store->sql->run_script(kVersion3After);
  return store->sql->run_script(dialect_text(store, kVersion2Before)) && convert_secrets(store) &&
         store->sql->run_script(kVersion2After);
}

// Each instance that starts takes the next step only while it holds the database's write
// lock, so instances started together do not migrate twice.
int migrate(ServiceStore* store, std::string* error) {
  for (;;) {
    SqlTransaction transaction(store->sql);
    if (!transaction.begun()) return fail(store, error, "Cannot begin the schema update");
    SqlRows ignored;
    if (store->sql->dialect() == kPostgres &&
        !store->sql->run("SELECT pg_advisory_xact_lock(7361004)", {}, &ignored))
      return fail(store, error, "Cannot lock the schema for its update");
    int version = 0;
    if (!read_version(store, &version)) return fail(store, error, "Cannot read the schema version");
    if (version > kLatestVersion) {
      *error = "The database was made by a newer olvex-service (schema version " +
               std::to_string(version) + ").";
      return 0;
    }
    if (version == kLatestVersion) return 1;
    if (!migrate_to(store, version + 1) || !write_version(store, version + 1) ||
        !transaction.commit())
      return fail(store, error,
                  "Cannot update the schema to version " + std::to_string(version + 1));
  }
}

// A database whose digests were made with one key is useless with another: every PIN would be
// refused. The first start records a check value; later starts compare it.
int check_key(ServiceStore* store, std::string* error) {
  std::string check = hmac_sha256_hex(*store->key, "olvex-service key check");
  SqlRows rows;
  if (!store->sql->run("INSERT INTO settings (name, value) VALUES ('key_check', $1) ON CONFLICT "
                       "(name) DO NOTHING",
                       {sql_text(check)}, &rows) ||
      !store->sql->run("SELECT value FROM settings WHERE name = 'key_check'", {}, &rows))
    return fail(store, error, "Cannot read the settings");
  if (same_secret(sql_cell(rows, 0, 0), check)) return 1;
  *error = "The secret key does not belong to this database: its PINs and codes were kept with "
           "another key (give that key with --secret-key-file).";
  return 0;
}

} // namespace

int store_prepare(ServiceStore* store, std::string* error) {
  return migrate(store, error) && check_key(store, error);
}

int store_answers(ServiceStore* store) {
  SqlRows rows;
  return store->sql->run("SELECT version FROM schema_version", {}, &rows) && !rows.rows.empty();
}

int store_forget_old(ServiceStore* store, int64_t now) {
  const int64_t kDay = 24 * 60 * 60;
  SqlRows rows;
  return store->sql->run("DELETE FROM limit_events WHERE at < $1", {sql_number(now - kDay)},
                         &rows) &&
         store->sql->run("DELETE FROM challenges WHERE expires_at < $1", {sql_number(now - kDay)},
                         &rows) &&
         store->sql->run("DELETE FROM web_sessions WHERE last_used_at < $1",
                         {sql_number(now - 31 * kDay)}, &rows) &&
         store->sql->run("DELETE FROM alert_slots WHERE until_at < $1", {sql_number(now)}, &rows) &&
         store->sql->run("DELETE FROM alert_queue WHERE state <> 'waiting' AND created_at < $1",
                         {sql_number(now - 7 * kDay)}, &rows) &&
         // A code's text is done with in a day; an alert's is kept for the family page's "last
         // alert delivered" as long as what happened is.
         store->sql->run("DELETE FROM text_queue WHERE state <> 'waiting' AND created_at < $1 AND "
                         "(kind = 'code' OR created_at < $2)",
                         {sql_number(now - kDay), sql_number(now - 90 * kDay)}, &rows) &&
         store->sql->run("DELETE FROM account_events WHERE at < $1", {sql_number(now - 90 * kDay)},
                         &rows) &&
         // Yesterday's counts are kept for a check sent as the day turned; older ones go.
         store->sql->run("DELETE FROM check_usage WHERE day < $1", {sql_text(utc_day(now - kDay))},
                         &rows);
}
