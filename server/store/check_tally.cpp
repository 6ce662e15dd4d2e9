#include "store/check_tally.h"

#include <vector>

void check_tally_add(CheckTally* tally, CheckVerdict verdict) {
  std::lock_guard<std::mutex> hold(tally->lock);
  if (tally->pending.size() >= kCheckTallyMax) {
    tally->pending.pop_front();
    ++tally->dropped;
  }
  tally->pending.push_back(std::move(verdict));
}

int check_tally_flush(CheckTally* tally, ServiceStore* store, size_t* still_waiting) {
  std::deque<CheckVerdict> taken;
  {
    std::lock_guard<std::mutex> hold(tally->lock);
    taken.swap(tally->pending);
  }
  if (still_waiting) *still_waiting = 0;
  if (taken.empty()) return 1;
  if (store && store_add_checks(store, std::vector<CheckVerdict>(taken.begin(), taken.end())))
    return 1;
  // Back in front of any that came meanwhile, keeping the bound.
  std::lock_guard<std::mutex> hold(tally->lock);
  taken.insert(taken.end(), tally->pending.begin(), tally->pending.end());
  while (taken.size() > kCheckTallyMax) {
    taken.pop_front();
    ++tally->dropped;
  }
  tally->pending.swap(taken);
  if (still_waiting) *still_waiting = tally->pending.size();
  return 0;
}
