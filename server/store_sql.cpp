#include "store_sql.h"

int sql_prepare(sqlite3* db, const char* sql, SqlStatement* statement) {
  return sqlite3_prepare_v2(db, sql, -1, &statement->stmt, nullptr) == SQLITE_OK ? 1 : 0;
}

int sql_bind_text(SqlStatement* statement, int index, const std::string& value) {
  if (!statement->stmt) return 0;
  return sqlite3_bind_text(statement->stmt, index, value.data(), static_cast<int>(value.size()),
                           SQLITE_TRANSIENT) == SQLITE_OK
             ? 1
             : 0;
}

int sql_bind_int(SqlStatement* statement, int index, int64_t value) {
  if (!statement->stmt) return 0;
  return sqlite3_bind_int64(statement->stmt, index, value) == SQLITE_OK ? 1 : 0;
}

int sql_next_row(SqlStatement* statement) {
  if (!statement->stmt) return 0;
  return sqlite3_step(statement->stmt) == SQLITE_ROW ? 1 : 0;
}

int sql_run(SqlStatement* statement) {
  if (!statement->stmt) return 0;
  return sqlite3_step(statement->stmt) == SQLITE_DONE ? 1 : 0;
}

std::string sql_text(SqlStatement* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement->stmt, column);
  int bytes = sqlite3_column_bytes(statement->stmt, column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes))
              : std::string();
}

int64_t sql_int(SqlStatement* statement, int column) {
  return sqlite3_column_int64(statement->stmt, column);
}

int sql_exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? 1 : 0;
}
