#pragma once
// The events each account's alerts are counted by within the hour, and those held back beyond
// it, kept among the limit events (pruned after a day like them).
#include <cstdint>
#include <vector>

#include "store/service_store.h"

// How many alerts went out for the account since `since`, events timed later included (an
// instance with a fast clock writes them).
int store_alerts_sent_since(ServiceStore* store, int64_t account_id, int64_t since, int* count);
int store_note_alert_sent(ServiceStore* store, int64_t account_id, int64_t at);
int store_note_alert_held(ServiceStore* store, int64_t account_id, int64_t at);

// The accounts that have alerts held back.
int store_accounts_with_held_alerts(ServiceStore* store, std::vector<int64_t>* accounts);
// Takes the account's held events away; `*count` says how many there were. Of two instances
// doing this at once inside their transactions, one finds them.
int store_take_held_alerts(ServiceStore* store, int64_t account_id, int64_t* count);
