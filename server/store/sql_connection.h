#pragma once
// One connection to the service's database, SQLite or PostgreSQL. The store writes each query
// once, with $1, $2... for its parameters, in SQL that both understand; a connection runs it.
// Every cell comes back as text (NULL as empty text), which is all the store needs.
#include <cstdint>
#include <string>
#include <vector>

enum SqlDialect { kSqlite, kPostgres };

enum SqlParamKind { kSqlText, kSqlNumber, kSqlNull };

struct SqlParam {
  SqlParamKind kind;
  int64_t number;
  std::string text;
};

inline SqlParam sql_number(int64_t value) { return SqlParam{kSqlNumber, value, std::string()}; }
inline SqlParam sql_text(const std::string& value) { return SqlParam{kSqlText, 0, value}; }
inline SqlParam sql_null() { return SqlParam{kSqlNull, 0, std::string()}; }

struct SqlRows {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::vector<bool>> nulls; // beside rows: which cells were NULL
  int64_t changed = 0;                  // rows inserted, updated or deleted
};

class SqlConnection {
public:
  virtual ~SqlConnection() = default;
  virtual SqlDialect dialect() const = 0;
  // Runs one statement; rows it returns (SELECT, or RETURNING) go to `out`. 1 on success.
  virtual int run(const char* sql, const std::vector<SqlParam>& params, SqlRows* out) = 0;
  // Runs several statements without parameters, for the schema.
  virtual int run_script(const std::string& sql) = 0;
  // What the database said about the last failure, for the operator's log.
  virtual std::string last_error() const = 0;
  // False once the connection is broken for good (the pool then opens another).
  virtual bool usable() = 0;
};

// The text of column `column` of row `row`, or empty text when there is no such cell.
const std::string& sql_cell(const SqlRows& rows, size_t row, size_t column);
int64_t sql_cell_number(const SqlRows& rows, size_t row, size_t column);

// A transaction that is rolled back unless committed. SQLite takes its write lock at the
// start (BEGIN IMMEDIATE), so two writers never deadlock half way.
class SqlTransaction {
public:
  explicit SqlTransaction(SqlConnection* connection);
  ~SqlTransaction();
  SqlTransaction(const SqlTransaction&) = delete;
  SqlTransaction& operator=(const SqlTransaction&) = delete;
  bool begun() const { return begun_; }
  int commit();

private:
  SqlConnection* connection_;
  bool begun_ = false;
  bool done_ = false;
};
