#pragma once
// The events held back beyond an account's alerts for the hour, kept among the limit events
// (pruned after a day like them). The alerts sent are counted per minute
// (store_limit_count.h).
#include <cstdint>
#include <vector>

#include "store/service_store.h"

int store_note_alert_held(ServiceStore* store, int64_t account_id, int64_t at);

// The accounts that have alerts held back.
int store_accounts_with_held_alerts(ServiceStore* store, std::vector<int64_t>* accounts);
// Takes the account's held events away; `*count` says how many there were. Of two instances
// doing this at once inside their transactions, one finds them.
int store_take_held_alerts(ServiceStore* store, int64_t account_id, int64_t* count);
