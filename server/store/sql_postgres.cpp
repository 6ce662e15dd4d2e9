#include "store/sql_postgres.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <unordered_map>
#include <vector>

namespace {

class PostgresConnection : public SqlConnection {
public:
  explicit PostgresConnection(PGconn* conn) : conn_(conn) {}
  ~PostgresConnection() override { PQfinish(conn_); }

  SqlDialect dialect() const override { return kPostgres; }

  int run(const char* sql, const std::vector<SqlParam>& params, SqlRows* out) override {
    out->rows.clear();
    out->nulls.clear();
    out->changed = 0;
    const std::string* name = prepared(sql, static_cast<int>(params.size()));
    if (!name) return 0;
    std::vector<std::string> numbers;
    numbers.reserve(params.size());
    std::vector<const char*> values;
    for (const SqlParam& param : params) {
      if (param.kind == kSqlNull) {
        values.push_back(nullptr);
      } else if (param.kind == kSqlNumber) {
        numbers.push_back(std::to_string(param.number));
        values.push_back(numbers.back().c_str());
      } else {
        values.push_back(param.text.c_str());
      }
    }
    PGresult* result = PQexecPrepared(conn_, name->c_str(), static_cast<int>(values.size()),
                                      values.data(), nullptr, nullptr, 0);
    return read_result(result, out);
  }

  int run_script(const std::string& sql) override {
    PGresult* result = PQexec(conn_, sql.c_str());
    SqlRows ignored;
    return read_result(result, &ignored);
  }

  std::string last_error() const override { return PQerrorMessage(conn_); }

  bool usable() override { return PQstatus(conn_) == CONNECTION_OK; }

private:
  // A statement is prepared once per connection, by its text, under a name of its own. Text
  // parameters are sent with no type, so the server takes each one's type from where it stands.
  const std::string* prepared(const char* sql, int param_count) {
    auto found = names_.find(sql);
    if (found != names_.end()) return &found->second;
    std::string name = "s" + std::to_string(names_.size() + 1);
    PGresult* result = PQprepare(conn_, name.c_str(), sql, param_count, nullptr);
    bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
    if (!ok) return nullptr;
    return &(names_[sql] = name);
  }

  int read_result(PGresult* result, SqlRows* out) {
    ExecStatusType status = PQresultStatus(result);
    bool ok = status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK;
    if (ok) {
      const int rows = PQntuples(result);
      const int columns = PQnfields(result);
      for (int r = 0; r < rows; ++r) {
        std::vector<std::string> row(static_cast<size_t>(columns));
        std::vector<bool> nulls(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) {
          nulls[c] = PQgetisnull(result, r, c) != 0;
          row[c].assign(PQgetvalue(result, r, c), static_cast<size_t>(PQgetlength(result, r, c)));
        }
        out->rows.push_back(std::move(row));
        out->nulls.push_back(std::move(nulls));
      }
      out->changed = std::strtoll(PQcmdTuples(result), nullptr, 10);
    }
    PQclear(result);
    return ok ? 1 : 0;
  }

  PGconn* conn_;
  std::unordered_map<std::string, std::string> names_;
};

} // namespace

bool is_postgres_url(const std::string& url) {
  return url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0;
}

std::string url_without_password(const std::string& url) {
  size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  size_t at = url.find('@', scheme + 3);
  size_t slash = url.find('/', scheme + 3);
  if (at == std::string::npos || (slash != std::string::npos && slash < at)) return url;
  size_t colon = url.find(':', scheme + 3);
  if (colon == std::string::npos || colon > at) return url;
  return url.substr(0, colon + 1) + "***" + url.substr(at);
}

std::unique_ptr<SqlConnection> postgres_connect(const std::string& url, std::string* error) {
  PGconn* conn = PQconnectdb(url.c_str());
  if (!conn || PQstatus(conn) != CONNECTION_OK) {
    std::string reason = conn ? PQerrorMessage(conn) : "out of memory";
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
      reason.pop_back();
    *error = "Cannot connect to " + url_without_password(url) + ": " + reason;
    PQfinish(conn);
    return nullptr;
  }
  // A query that hangs must not hold a request thread for ever.
  // Notices ("already exists, skipping") are not the operator's business.
  PGresult* result =
      PQexec(conn, "SET statement_timeout = '15s'; SET client_min_messages = warning");
  PQclear(result);
  return std::unique_ptr<SqlConnection>(new PostgresConnection(conn));
}
