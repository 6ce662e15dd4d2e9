#pragma once
// The embedded SQLite file: the service's default database.
#include <memory>
#include <string>

#include "store/sql_connection.h"

// Opens the file (and, when `create`, makes it) in write-ahead-log mode, so readers never wait
// for the one writer, with a busy timeout for writers from other connections and processes.
// Null with a plain-English `error` when it cannot be opened.
std::unique_ptr<SqlConnection> sqlite_connect(const std::string& file, std::string* error,
                                              bool create = true);
