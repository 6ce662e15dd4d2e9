#include "store/store_pool.h"

#include "store/sql_postgres.h"
#include "store/sql_sqlite.h"

std::unique_ptr<SqlConnection> store_connect(const StoreOptions& options, std::string* error) {
  if (options.database_url.empty()) return sqlite_connect(options.sqlite_file, error);
  if (is_postgres_url(options.database_url)) return postgres_connect(options.database_url, error);
  *error = "The database must be given as postgresql://... (or left out for the SQLite file).";
  return nullptr;
}

StorePool* store_pool_open(const StoreOptions& options, std::string* error) {
  std::unique_ptr<StorePool> pool(new StorePool());
  pool->options = options;
  if (pool->options.connections < 1) pool->options.connections = 1;
  std::unique_ptr<SqlConnection> first = store_connect(pool->options, error);
  if (!first) return nullptr;
  ServiceStore store{first.get(), &pool->options.key};
  if (!store_prepare(&store, error)) return nullptr;
  pool->idle.push_back(std::move(first));
  pool->open_count = 1;
  return pool.release();
}

void store_pool_free(StorePool* pool) { delete pool; }

int store_pool_healthy(StorePool* pool) {
  if (!pool->options.database_url.empty()) {
    StoreLease lease(pool);
    return lease.get() && store_answers(lease.get());
  }
  std::string error;
  std::unique_ptr<SqlConnection> fresh = sqlite_connect(pool->options.sqlite_file, &error, false);
  ServiceStore store{fresh.get(), &pool->options.key};
  return fresh && store_answers(&store);
}

StoreLease::StoreLease(StorePool* pool) : pool_(pool) {
  store_.key = &pool->options.key;
  {
    std::unique_lock<std::mutex> hold(pool->lock);
    pool->returned.wait(hold, [pool] {
      return !pool->idle.empty() || pool->open_count < pool->options.connections;
    });
    if (!pool->idle.empty()) {
      connection_ = std::move(pool->idle.back());
      pool->idle.pop_back();
    } else {
      ++pool->open_count;
    }
  }
  if (!connection_) {
    // Opened outside the lock: a slow database must not hold up the other requests.
    std::string error;
    connection_ = store_connect(pool->options, &error);
    if (!connection_) {
      std::lock_guard<std::mutex> hold(pool->lock);
      --pool->open_count;
      pool->returned.notify_one();
    }
  }
  store_.sql = connection_.get();
}

StoreLease::~StoreLease() {
  std::lock_guard<std::mutex> hold(pool_->lock);
  if (connection_ && connection_->usable()) {
    pool_->idle.push_back(std::move(connection_));
  } else if (connection_) {
    --pool_->open_count;
  }
  pool_->returned.notify_one();
}
