#include "store/store_threats.h"

#include <algorithm>

#include "store/sql_connection.h"

namespace {

// Rows inserted per statement: far fewer round trips than one each, and 4 parameters a row
// stays below what SQLite and PostgreSQL take in one statement.
const size_t kRowsPerInsert = 250;

std::string insert_text(size_t rows) {
  std::string sql = "INSERT INTO threat_entries (source, address, host, whole_host) VALUES ";
  for (size_t i = 0; i < rows; ++i) {
    size_t p = i * 4;
    sql += (i ? ", ($" : "($") + std::to_string(p + 1) + ", $" + std::to_string(p + 2) + ", $" +
           std::to_string(p + 3) + ", $" + std::to_string(p + 4) + ")";
  }
  return sql;
}

int insert_rows(ServiceStore* store, const std::string& source,
                const std::vector<ThreatEntryRow>& batch, size_t from, size_t count) {
  std::vector<SqlParam> params;
  params.reserve(count * 4);
  for (size_t i = from; i < from + count; ++i) {
    params.push_back(sql_text(source));
    params.push_back(sql_text(batch[i].address));
    params.push_back(sql_text(batch[i].host));
    params.push_back(sql_number(batch[i].whole_host ? 1 : 0));
  }
  static const std::string full = insert_text(kRowsPerInsert);
  SqlRows rows;
  return store->sql->run(count == kRowsPerInsert ? full.c_str() : insert_text(count).c_str(),
                         params, &rows);
}

} // namespace

int store_threat_lists(ServiceStore* store, std::vector<ThreatListRow>* lists) {
  SqlRows rows;
  if (!store->sql->run("SELECT source, updated_at, entries, generation FROM threat_lists ORDER "
                       "BY source",
                       {}, &rows))
    return 0;
  lists->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i)
    lists->push_back(ThreatListRow{sql_cell(rows, i, 0), sql_cell_number(rows, i, 1),
                                   sql_cell_number(rows, i, 2), sql_cell_number(rows, i, 3)});
  return 1;
}

int store_threat_entries(ServiceStore* store, int64_t* after_id, size_t limit,
                         std::vector<ThreatEntryRow>* entries) {
  SqlRows rows;
  if (!store->sql->run("SELECT id, source, address, host, whole_host FROM threat_entries WHERE "
                       "id > $1 ORDER BY id LIMIT $2",
                       {sql_number(*after_id), sql_number(static_cast<int64_t>(limit))}, &rows))
    return 0;
  entries->clear();
  for (size_t i = 0; i < rows.rows.size(); ++i) {
    entries->push_back(ThreatEntryRow{sql_cell(rows, i, 1), sql_cell(rows, i, 2),
                                      sql_cell(rows, i, 3), sql_cell_number(rows, i, 4) != 0});
    *after_id = sql_cell_number(rows, i, 0);
  }
  return 1;
}

int store_replace_threat_list(ServiceStore* store, const std::string& source,
                              const std::function<int(std::vector<ThreatEntryRow>*)>& next,
                              const int64_t* updated_at, int64_t now, int64_t* stored,
                              std::string* error) {
  auto failed = [&](const std::string& what) {
    *error = what + ": " + store->sql->last_error();
    return 0;
  };
  SqlTransaction transaction(store->sql);
  if (!transaction.begun()) return failed("Cannot begin the import");
  SqlRows rows;
  if (!store->sql->run("DELETE FROM threat_entries WHERE source = $1", {sql_text(source)}, &rows))
    return failed("Cannot remove the previous list");
  *stored = 0;
  std::vector<ThreatEntryRow> batch;
  for (;;) {
    batch.clear();
    int more = next(&batch);
    if (more < 0) return 0; // the caller says why; the transaction is rolled back
    for (size_t from = 0; from < batch.size(); from += kRowsPerInsert) {
      size_t count = std::min(kRowsPerInsert, batch.size() - from);
      if (!insert_rows(store, source, batch, from, count)) return failed("Cannot store the list");
    }
    *stored += static_cast<int64_t>(batch.size());
    if (more == 0) break;
  }
  if (!store->sql->run(
          "INSERT INTO threat_lists (source, updated_at, imported_at, entries, "
          "generation) VALUES ($1, $2, $3, $4, 1) ON CONFLICT (source) DO UPDATE "
          "SET updated_at = excluded.updated_at, imported_at = excluded.imported_at, "
          "entries = excluded.entries, generation = threat_lists.generation + 1",
          {sql_text(source), sql_number(*updated_at), sql_number(now), sql_number(*stored)}, &rows))
    return failed("Cannot record the list");
  if (!transaction.commit()) return failed("Cannot commit the list");
  return 1;
}
