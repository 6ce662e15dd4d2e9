#pragma once
// Small helpers around SQLite prepared statements for the store files.
#include <sqlite3.h>

#include <cstdint>
#include <string>

struct SqlStatement {
  sqlite3_stmt* stmt = nullptr;
  SqlStatement() = default;
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;
  ~SqlStatement() { sqlite3_finalize(stmt); }
};

// Each returns 0 on failure; a failed prepare leaves the statement empty
// and every later call on it fails too.
int sql_prepare(sqlite3* db, const char* sql, SqlStatement* statement);
int sql_bind_text(SqlStatement* statement, int index, const std::string& value);
int sql_bind_int(SqlStatement* statement, int index, int64_t value);

// 1 when a row is ready, 0 when there is none or the step failed.
int sql_next_row(SqlStatement* statement);
// 1 when the statement ran to its end.
int sql_run(SqlStatement* statement);

std::string sql_text(SqlStatement* statement, int column);
int64_t sql_int(SqlStatement* statement, int column);

int sql_exec(sqlite3* db, const char* sql);
