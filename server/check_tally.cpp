#include "check_tally.h"

#include <chrono>
#include <cstdio>

#include "store_pool.h"

void check_tally_add(CheckTally* tally, CheckVerdict verdict) {
  std::lock_guard<std::mutex> hold(tally->lock);
  if (tally->pending.size() >= kCheckTallyMax) {
    tally->pending.erase(tally->pending.begin());
    ++tally->dropped;
  }
  tally->pending.push_back(std::move(verdict));
}

int check_tally_flush(CheckTally* tally, ServiceStore* store) {
  std::vector<CheckVerdict> batch;
  {
    std::lock_guard<std::mutex> hold(tally->lock);
    batch.swap(tally->pending);
  }
  if (batch.empty()) return 1;
  if (store && store_add_checks(store, batch)) return 1;
  // Put back in front of any that came meanwhile, keeping the bound.
  std::lock_guard<std::mutex> hold(tally->lock);
  batch.insert(batch.end(), tally->pending.begin(), tally->pending.end());
  if (batch.size() > kCheckTallyMax) {
    size_t over = batch.size() - kCheckTallyMax;
    batch.erase(batch.begin(), batch.begin() + static_cast<std::ptrdiff_t>(over));
    tally->dropped += static_cast<int64_t>(over);
  }
  tally->pending.swap(batch);
  return 0;
}

void check_tally_writer(CheckTally* tally, StorePool* pool, int interval_ms) {
  bool stopping = false;
  while (!stopping) {
    {
      std::unique_lock<std::mutex> hold(tally->lock);
      tally->wake.wait_for(hold, std::chrono::milliseconds(interval_ms),
                           [tally] { return tally->stopping; });
      stopping = tally->stopping;
    }
    StoreLease lease(pool);
    if (!check_tally_flush(tally, lease.get())) {
      size_t waiting = 0;
      {
        std::lock_guard<std::mutex> hold(tally->lock);
        waiting = tally->pending.size();
      }
      std::fprintf(stderr, "{\"event\":\"check_counts_not_written\",\"waiting\":%zu}\n", waiting);
    }
  }
}

void check_tally_stop(CheckTally* tally) {
  {
    std::lock_guard<std::mutex> hold(tally->lock);
    tally->stopping = true;
  }
  tally->wake.notify_all();
}
