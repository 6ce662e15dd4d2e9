#include "store/sql_connection.h"

#include <cstdlib>

const std::string& sql_cell(const SqlRows& rows, size_t row, size_t column) {
  static const std::string kEmpty;
  if (row >= rows.rows.size() || column >= rows.rows[row].size()) return kEmpty;
  return rows.rows[row][column];
}

int64_t sql_cell_number(const SqlRows& rows, size_t row, size_t column) {
  return std::strtoll(sql_cell(rows, row, column).c_str(), nullptr, 10);
}

SqlTransaction::SqlTransaction(SqlConnection* connection) : connection_(connection) {
  SqlRows ignored;
  const char* begin = connection->dialect() == kSqlite ? "BEGIN IMMEDIATE" : "BEGIN";
  begun_ = connection->run(begin, {}, &ignored) != 0;
}

SqlTransaction::~SqlTransaction() {
  if (!begun_ || done_) return;
  SqlRows ignored;
  connection_->run("ROLLBACK", {}, &ignored);
}

int SqlTransaction::commit() {
  if (!begun_ || done_) return 0;
  SqlRows ignored;
  done_ = true;
  if (connection_->run("COMMIT", {}, &ignored)) return 1;
  connection_->run("ROLLBACK", {}, &ignored);
  return 0;
}
