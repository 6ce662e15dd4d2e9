#pragma once
// How many limit events a key has since a time: for the limits that only count (the service's
// ceiling on codes, an account's alerts an hour), not needing each event's time.
#include <cstdint>
#include <string>

#include "store/service_store.h"

// Events timed after now are counted too: an instance whose clock runs ahead writes them.
int store_limit_event_count(ServiceStore* store, const std::string& key, int64_t since,
                            int64_t* count);

// A count per minute under `key`, for a limit on the whole service that every request would
// otherwise count event by event: kept in the table of daily counts (with the minute,
// "2026-12-10T12:34", as its day), so it is pruned with them. Adds `delta` to `minute`'s count.
int store_add_minute_count(ServiceStore* store, const std::string& key, const std::string& minute,
                           int delta);
// The sum of the counts from `since_minute` on, later minutes included.
int store_minute_counts_since(ServiceStore* store, const std::string& key,
                              const std::string& since_minute, int64_t* sum);

// Forgets every event of the key.
int store_clear_limit_events(ServiceStore* store, const std::string& key);
