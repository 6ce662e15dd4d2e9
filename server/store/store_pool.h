#pragma once
// A few open connections to the database, shared by the request threads: a request borrows
// one for its queries and gives it back, so requests run side by side and none waits for
// another's judging. The pool's first connection brings the schema up to date.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "store/service_store.h"

struct StoreOptions {
  std::string database_url; // postgresql://...; empty for the SQLite file
  std::string sqlite_file;
  SecretKey key;
  int connections = 8; // at most this many open at once
};

struct StorePool {
  StoreOptions options;
  std::mutex lock;
  std::condition_variable returned;
  std::vector<std::unique_ptr<SqlConnection>> idle;
  int open_count = 0;
};

// Null with a plain-English `error` when the database cannot be opened or prepared.
StorePool* store_pool_open(const StoreOptions& options, std::string* error);
void store_pool_free(StorePool* pool);

// 1 when the database answers a query now. An open SQLite connection would answer from its
// cache even after the file went bad, so for SQLite the file is opened afresh.
int store_pool_healthy(StorePool* pool);

// Opens one connection as `options` say (the pool's, and tools' that need just one).
std::unique_ptr<SqlConnection> store_connect(const StoreOptions& options, std::string* error);

// One borrowed connection, given back when the lease ends.
class StoreLease {
public:
  explicit StoreLease(StorePool* pool);
  ~StoreLease();
  StoreLease(const StoreLease&) = delete;
  StoreLease& operator=(const StoreLease&) = delete;
  // Null when no connection could be opened.
  ServiceStore* get() { return connection_ ? &store_ : nullptr; }

private:
  StorePool* pool_;
  std::unique_ptr<SqlConnection> connection_;
  ServiceStore store_;
};
