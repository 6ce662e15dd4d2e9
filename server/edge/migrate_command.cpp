#include "edge/migrate_command.h"

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/service_context.h"

namespace {

int complain(const std::string& text) {
  std::fprintf(stderr, "olvex-service: %s\n", text.c_str());
  return 1;
}

struct Table {
  std::string name;
  std::vector<std::string> columns;
  std::set<std::string> needs; // tables its foreign keys point at
};

// Every table of the SQLite file but the schema's own bookkeeping, those that others point
// at first.
int read_tables(SqlConnection* source, std::vector<Table>* ordered) {
  SqlRows names;
  if (!source->run("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                   "'sqlite_%' AND name <> 'schema_version' ORDER BY name",
                   {}, &names))
    return 0;
  std::map<std::string, Table> tables;
  for (const auto& row : names.rows) {
    Table table;
    table.name = row[0];
    SqlRows columns;
    SqlRows keys;
    if (!source->run("SELECT name FROM pragma_table_info($1) ORDER BY cid", {sql_text(row[0])},
                     &columns) ||
        !source->run("SELECT \"table\" FROM pragma_foreign_key_list($1)", {sql_text(row[0])},
                     &keys))
      return 0;
    for (const auto& column : columns.rows)
      table.columns.push_back(column[0]);
    for (const auto& key : keys.rows)
      if (key[0] != row[0]) table.needs.insert(key[0]);
    tables[table.name] = table;
  }
  std::set<std::string> placed;
  while (ordered->size() < tables.size()) {
    size_t before = ordered->size();
    for (const auto& entry : tables) {
      if (placed.count(entry.first)) continue;
      bool ready = true;
      for (const std::string& need : entry.second.needs)
        ready = ready && (placed.count(need) || !tables.count(need));
      if (!ready) continue;
      ordered->push_back(entry.second);
      placed.insert(entry.first);
    }
    if (ordered->size() == before) return 0; // keys that point in a circle
  }
  return 1;
}

std::string column_list(const Table& table) {
  std::string list;
  for (const std::string& column : table.columns)
    list += (list.empty() ? "" : ", ") + column;
  return list;
}

// Copies one table's rows as they are; NULL stays NULL.
int copy_table(SqlConnection* source, SqlConnection* target, const Table& table, int64_t* copied) {
  const std::string columns = column_list(table);
  SqlRows rows;
  if (!source->run(("SELECT " + columns + " FROM " + table.name).c_str(), {}, &rows)) return 0;
  std::string placeholders;
  for (size_t i = 0; i < table.columns.size(); ++i)
    placeholders += (i ? ", $" : "$") + std::to_string(i + 1);
  // The target's key check is already there, made with the same key.
  const std::string insert = "INSERT INTO " + table.name + " (" + columns + ") VALUES (" +
                             placeholders + ")" +
                             (table.name == "settings" ? " ON CONFLICT (name) DO NOTHING" : "");
  for (size_t r = 0; r < rows.rows.size(); ++r) {
    std::vector<SqlParam> values;
    for (size_t c = 0; c < rows.rows[r].size(); ++c)
      values.push_back(rows.nulls[r][c] ? sql_null() : sql_text(rows.rows[r][c]));
    SqlRows ignored;
    if (!target->run(insert.c_str(), values, &ignored)) return 0;
  }
  *copied = static_cast<int64_t>(rows.rows.size());
  return 1;
}

// Rows copied with their own ids leave PostgreSQL's counters behind: set each past the
// largest id, so the next account or report does not collide.
int advance_counters(SqlConnection* target, const std::vector<Table>& tables) {
  for (const Table& table : tables) {
    bool has_id = false;
    for (const std::string& column : table.columns)
      has_id = has_id || column == "id";
    if (!has_id) continue;
    SqlRows counter;
    if (!target->run("SELECT pg_get_serial_sequence($1, 'id')", {sql_text(table.name)}, &counter))
      return 0;
    if (counter.rows.empty() || counter.nulls[0][0]) continue; // an id of text, not counted
    const std::string sql =
        "SELECT setval($1, (SELECT COALESCE(MAX(id), 0) FROM " + table.name + ") + 1, false)";
    SqlRows ignored;
    if (!target->run(sql.c_str(), {sql_text(sql_cell(counter, 0, 0))}, &ignored)) return 0;
  }
  return 1;
}

int64_t count_rows(SqlConnection* connection, const std::string& table) {
  SqlRows rows;
  if (!connection->run(("SELECT COUNT(*) FROM " + table).c_str(), {}, &rows)) return -1;
  return sql_cell_number(rows, 0, 0);
}

} // namespace

int run_migrate_to(const CommandLine& command) {
  // Both are opened as the service opens them: brought to the latest schema, and checked
  // against the one secret key, which the digests in them were made with.
  ContextOptions from;
  from.data_dir = command.data_dir;
  from.secret_key_file = command.secret_key_file;
  from.db_connections = 1;
  ContextOptions to = from;
  to.database_url = command.database_url;
  ServiceContext source_context;
  ServiceContext target_context;
  std::string error;
  if (!service_context_open(&source_context, from, &error)) return complain(error);
  if (!service_context_open(&target_context, to, &error)) {
    service_context_close(&source_context);
    return complain(error);
  }
  int code = 0;
  {
    StoreLease source(source_context.store);
    StoreLease target(target_context.store);
    std::vector<Table> tables;
    if (!source.get() || !target.get()) {
      code = complain("Cannot reach one of the databases.");
    } else if (count_rows(target.get()->sql, "accounts") != 0) {
      code = complain("The PostgreSQL database already holds accounts; migrate-to copies into an "
                      "empty one only.");
    } else if (!read_tables(source.get()->sql, &tables)) {
      code = complain("Cannot read the tables of " + command.data_dir + "/service.db");
    } else {
      SqlTransaction transaction(target.get()->sql);
      std::string summary;
      for (const Table& table : tables) {
        int64_t copied = 0;
        if (!copy_table(source.get()->sql, target.get()->sql, table, &copied)) {
          code = complain("Cannot copy " + table.name + ": " + target.get()->sql->last_error());
          break;
        }
        summary += (summary.empty() ? "" : ", ") + std::to_string(copied) + " " + table.name;
      }
      if (code == 0 && !advance_counters(target.get()->sql, tables))
        code = complain("Cannot set the counters: " + target.get()->sql->last_error());
      if (code == 0 && !transaction.commit())
        code = complain("Cannot commit the copy: " + target.get()->sql->last_error());
      for (const Table& table : tables) {
        if (code != 0) break;
        if (count_rows(source.get()->sql, table.name) != count_rows(target.get()->sql, table.name))
          code = complain("The copy of " + table.name + " does not hold every row.");
      }
      if (code == 0) std::printf("Copied %s.\n", summary.c_str());
    }
  }
  service_context_close(&target_context);
  service_context_close(&source_context);
  return code;
}
