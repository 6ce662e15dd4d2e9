#pragma once
// The events held back beyond an alert budget's hour (an account's, a computer's protection
// alerts'), kept among the limit events under the budget's key (pruned after a day like them).
// The alerts sent are counted per minute (store_limit_count.h).
#include <cstdint>
#include <string>
#include <vector>

#include "store/service_store.h"

int store_note_alert_held(ServiceStore* store, const std::string& held_key, int64_t at);

// The keys starting with `prefix` that have events held back.
int store_held_alert_keys(ServiceStore* store, const std::string& prefix,
                          std::vector<std::string>* keys);
// Takes the key's held events away; `*count` says how many there were. Of two instances
// doing this at once inside their transactions, one finds them.
int store_take_held_alerts(ServiceStore* store, const std::string& held_key, int64_t* count);
