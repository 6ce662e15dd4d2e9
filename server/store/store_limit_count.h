#pragma once
// How many limit events a key has since a time: for the limits that only count (the service's
// ceiling on codes, an account's alerts an hour), not needing each event's time.
#include <cstdint>
#include <string>

#include "store/service_store.h"

// Events timed after now are counted too: an instance whose clock runs ahead writes them.
int store_limit_event_count(ServiceStore* store, const std::string& key, int64_t since,
                            int64_t* count);

// Forgets every event of the key.
int store_clear_limit_events(ServiceStore* store, const std::string& key);
