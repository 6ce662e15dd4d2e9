#pragma once
// The verdicts of linked computers' checks, for the family page's counts. Each would otherwise
// be a committed write of its own on every check; they wait here and go to the store together,
// about once a second, so a check costs the store one read. The page of this instance writes
// them out before it reads, so its counts are never behind; another instance's page may be up
// to a second behind, and a killed instance loses at most that second of counts. The service's
// housekeeping thread writes them; closing the service writes the rest.
#include <deque>
#include <mutex>

#include "store/store_family.h"

struct CheckTally {
  std::mutex lock;
  std::deque<CheckVerdict> pending;
  int64_t dropped = 0; // given up when the store stayed down and too many waited
};

// Beyond this many waiting, the oldest are given up: memory stays bounded while the store is
// down. A busy instance writes out about a second's worth, far below it.
const size_t kCheckTallyMax = 100000;

void check_tally_add(CheckTally* tally, CheckVerdict verdict);
// Writes every waiting verdict in one transaction; on failure they wait for the next try, and
// `still_waiting` (when given) says how many wait. 1 when nothing is left waiting.
int check_tally_flush(CheckTally* tally, ServiceStore* store, size_t* still_waiting = nullptr);
