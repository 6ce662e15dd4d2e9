#include "service_store.h"
#include "store_sql.h"

namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS accounts ("
    " id INTEGER PRIMARY KEY,"
    " identifier TEXT NOT NULL UNIQUE,"
    " customer_name TEXT NOT NULL DEFAULT '',"
    " plan_label TEXT NOT NULL,"
    " entitled INTEGER NOT NULL DEFAULT 0,"
    " guardian_pin TEXT NOT NULL DEFAULT '',"
    " guardian_failures INTEGER NOT NULL DEFAULT 0,"
    " guardian_locked_until INTEGER NOT NULL DEFAULT 0,"
    " created_at INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS challenges ("
    " id TEXT PRIMARY KEY,"
    " account_id INTEGER NOT NULL REFERENCES accounts(id),"
    " code TEXT NOT NULL,"
    " expires_at INTEGER NOT NULL,"
    " tries_left INTEGER NOT NULL,"
    " used INTEGER NOT NULL DEFAULT 0);"
    "CREATE TABLE IF NOT EXISTS tokens ("
    " token TEXT PRIMARY KEY,"
    " account_id INTEGER NOT NULL REFERENCES accounts(id),"
    " created_at INTEGER NOT NULL);"
    "CREATE TABLE IF NOT EXISTS reports ("
    " id INTEGER PRIMARY KEY,"
    " account_id INTEGER,"
    " tool_name TEXT NOT NULL,"
    " device_label TEXT NOT NULL,"
    " created_at INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS reports_by_account ON reports(account_id, created_at);"
    "CREATE TABLE IF NOT EXISTS check_usage ("
    " device_label TEXT NOT NULL,"
    " day TEXT NOT NULL,"
    " used INTEGER NOT NULL,"
    " PRIMARY KEY (device_label, day));";

} // namespace

int store_open(ServiceStore* store, const std::string& file) {
  store->db = nullptr;
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
  if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return 0;
  }
  // The command-line tools may write while the server runs.
  sqlite3_busy_timeout(db, 5000);
  if (!sql_exec(db, kSchema)) {
    sqlite3_close(db);
    return 0;
  }
  store->db = db;
  return 1;
}

void store_close(ServiceStore* store) {
  sqlite3_close(store->db);
  store->db = nullptr;
}
