#include "store/sql_sqlite.h"

#include <sqlite3.h>

#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace {

class SqliteConnection : public SqlConnection {
public:
  explicit SqliteConnection(sqlite3* db) : db_(db) {}
  ~SqliteConnection() override {
    for (auto& entry : statements_)
      sqlite3_finalize(entry.second);
    sqlite3_close(db_);
  }

  SqlDialect dialect() const override { return kSqlite; }

  int run(const char* sql, const std::vector<SqlParam>& params, SqlRows* out) override {
    out->rows.clear();
    out->nulls.clear();
    out->changed = 0;
    sqlite3_stmt* statement = prepared(sql);
    if (!statement) return 0;
    int index = 0;
    for (const SqlParam& param : params) {
      ++index;
      char name[16];
      std::snprintf(name, sizeof(name), "$%d", index);
      int at = sqlite3_bind_parameter_index(statement, name);
      if (at == 0) continue; // not used by this statement
      int bound = param.kind == kSqlNumber ? sqlite3_bind_int64(statement, at, param.number)
                  : param.kind == kSqlNull
                      ? sqlite3_bind_null(statement, at)
                      : sqlite3_bind_text(statement, at, param.text.data(),
                                          static_cast<int>(param.text.size()), SQLITE_TRANSIENT);
      if (bound != SQLITE_OK) return finish(statement, 0);
    }
    const int columns = sqlite3_column_count(statement);
    for (;;) {
      int step = sqlite3_step(statement);
      if (step == SQLITE_DONE) break;
      if (step != SQLITE_ROW) return finish(statement, 0);
      std::vector<std::string> row(static_cast<size_t>(columns));
      std::vector<bool> nulls(static_cast<size_t>(columns));
      for (int c = 0; c < columns; ++c) {
        const unsigned char* text = sqlite3_column_text(statement, c);
        nulls[c] = text == nullptr;
        if (text)
          row[c].assign(reinterpret_cast<const char*>(text),
                        static_cast<size_t>(sqlite3_column_bytes(statement, c)));
      }
      out->rows.push_back(std::move(row));
      out->nulls.push_back(std::move(nulls));
    }
    out->changed = sqlite3_changes(db_);
    return finish(statement, 1);
  }

  int run_script(const std::string& sql) override {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK ? 1 : 0;
  }

  std::string last_error() const override { return sqlite3_errmsg(db_); }

  bool usable() override { return true; }

private:
  // Each statement is prepared once per connection and found again by its text.
  sqlite3_stmt* prepared(const char* sql) {
    auto found = statements_.find(sql);
    if (found != statements_.end()) return found->second;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK) {
      sqlite3_finalize(statement);
      return nullptr;
    }
    statements_[sql] = statement;
    return statement;
  }

  int finish(sqlite3_stmt* statement, int result) {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return result;
  }

  sqlite3* db_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

} // namespace

std::unique_ptr<SqlConnection> sqlite_connect(const std::string& file, std::string* error,
                                              bool create) {
  // SQLite's memory statistics take one process-wide lock on every allocation, which every
  // request's queries then queue on; nothing here reads them.
  static std::once_flag configured;
  std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); });
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(file.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    *error = "Cannot open " + file + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return nullptr;
  }
  // Other connections, and the command-line tools, write while this one works.
  sqlite3_busy_timeout(db, 10000);
  // FULL: an answer is sent only after its write is on the disk, so even a power cut
  // loses nothing a client was told about.
  if (sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;",
                   nullptr, nullptr, nullptr) != SQLITE_OK) {
    *error = "Cannot open " + file + ": " + sqlite3_errmsg(db);
    sqlite3_close(db);
    return nullptr;
  }
  return std::unique_ptr<SqlConnection>(new SqliteConnection(db));
}
