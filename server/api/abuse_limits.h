#pragma once
// Limits on what one person or one network may ask for, so that codes cannot be sent to
// someone over and over and a 6-digit code cannot be guessed. The events are kept in the
// database, so the limits hold across restarts and across instances on one database.
#include <cstdint>
#include <string>
#include <vector>

#include "store/service_store.h"

struct LimitWindow {
  int max_events;
  int64_t seconds;
};

struct LimitRule {
  const char* name; // as the metrics name it
  LimitWindow windows[2];
  int window_count;
};

// send_pin: 3 codes to one identifier in 15 minutes and 10 in an hour.
extern const LimitRule kSendPinPerIdentifier;
// send_pin: 30 codes an hour asked for from one client address.
extern const LimitRule kSendPinPerClient;
// verify_pin: 10 codes tried an hour on one account from one client network, across all its
// challenges, and 50 from anywhere: one network cannot lock the account's owner out.
extern const LimitRule kCodeTriesPerAccountClient;
extern const LimitRule kCodeTriesPerAccount;

// How long, from `now`, until one more event fits in the window, given the times of the
// events already in it (oldest first); 0 when it fits now.
int64_t limit_wait_seconds(const std::vector<int64_t>& times, const LimitWindow& window,
                           int64_t now);

// "12 minutes", "1 minute", "45 seconds": how a wait is put in a refusal.
std::string wait_in_words(int64_t seconds);

enum LimitOutcome { kLimitAllowed, kLimitRefused, kLimitFailed };

// Counts one event under `key` at `now`, unless a window would then hold more than it allows:
// then nothing is counted, the outcome is kLimitRefused and `*retry_after` says how many
// seconds to wait. The event is counted before the windows are read, so requests sent at once
// can never get more through than the limit allows. `*event_id` names the counted event.
LimitOutcome limit_take(ServiceStore* store, const LimitRule& rule, const std::string& key,
                        int64_t now, int64_t* event_id, int64_t* retry_after);
