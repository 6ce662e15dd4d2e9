#include "api/abuse_limits.h"

#include <algorithm>

const LimitRule kSendPinPerIdentifier = {"send_pin_identifier", {{3, 15 * 60}, {10, 60 * 60}}, 2};
const LimitRule kSendPinPerClient = {"send_pin_client", {{30, 60 * 60}, {0, 0}}, 1};
const LimitRule kCodeTriesPerAccountClient = {
    "code_tries_account_client", {{10, 60 * 60}, {0, 0}}, 1};
const LimitRule kCodeTriesPerAccount = {"code_tries_account", {{50, 60 * 60}, {0, 0}}, 1};

int64_t limit_wait_seconds(const std::vector<int64_t>& times, const LimitWindow& window,
                           int64_t now) {
  const int64_t since = now - window.seconds + 1;
  std::vector<int64_t> inside;
  // Events timed after `now` count too: an instance whose clock runs ahead wrote them, and
  // leaving them out would let one whose clock runs behind admit too many.
  for (int64_t at : times) {
    if (at >= since) inside.push_back(at);
  }
  if (static_cast<int>(inside.size()) < window.max_events) return 0;
  std::sort(inside.begin(), inside.end());
  // Room for one more once all but max_events - 1 of them have left the window.
  const int64_t leaves = inside[inside.size() - static_cast<size_t>(window.max_events)];
  return std::max<int64_t>(1, leaves + window.seconds - now);
}

std::string wait_in_words(int64_t seconds) {
  if (seconds < 60) return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
  const int64_t minutes = (seconds + 59) / 60;
  return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

LimitOutcome limit_take(ServiceStore* store, const LimitRule& rule, const std::string& key,
                        int64_t now, int64_t* event_id, int64_t* retry_after) {
  *retry_after = 0;
  if (!store_add_limit_event(store, key, now, event_id)) return kLimitFailed;
  int64_t longest = 0;
  for (int i = 0; i < rule.window_count; ++i) {
    longest = std::max(longest, rule.windows[i].seconds);
  }
  std::vector<int64_t> times;
  if (!store_limit_event_times(store, key, now - longest + 1, &times)) {
    store_remove_limit_event(store, *event_id);
    return kLimitFailed;
  }
  // This request's own event is among them; the others decide whether it may go on.
  auto own = std::find(times.begin(), times.end(), now);
  if (own != times.end()) times.erase(own);
  for (int i = 0; i < rule.window_count; ++i) {
    *retry_after = std::max(*retry_after, limit_wait_seconds(times, rule.windows[i], now));
  }
  if (*retry_after == 0) return kLimitAllowed;
  store_remove_limit_event(store, *event_id);
  return kLimitRefused;
}
