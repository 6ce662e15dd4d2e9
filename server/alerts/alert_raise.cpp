#include "alerts/alert_raise.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "alerts/protection_alert_text.h"
#include "alerts/text_sender.h"
#include "base/clock_text.h"
#include "store/store_family.h"
#include "store/store_held_alerts.h"
#include "store/store_limit_count.h"

namespace {

const int64_t kHourSeconds = 60 * 60;
const char* const kAccountHeld = "alerts_held:account:";
const char* const kComputerHeld = "alerts_held:link:";

// One budget an hour: its alerts counted per minute under `sent_key`, the events beyond it
// held under `held_key` until they can be summed up.
struct AlertBudget {
  std::string sent_key;
  std::string held_key;
  int per_hour;
  int64_t account_id;
  std::string link_id; // the computer, for a computer's protection alerts; empty for an account's
};

AlertBudget account_budget(int64_t account_id) {
  const std::string id = std::to_string(account_id);
  return AlertBudget{"alerts:account:" + id, kAccountHeld + id, kAlertsPerAccountHour, account_id,
                     std::string()};
}

AlertBudget computer_budget(int64_t account_id, const std::string& link_id) {
  const std::string key = std::to_string(account_id) + ":" + link_id;
  return AlertBudget{"protection_alerts:link:" + key, kComputerHeld + key,
                     kProtectionAlertsPerComputerHour, account_id, link_id};
}

AlertBudget budget_of(int64_t account_id, const AlertFacts& facts) {
  if (is_protection_off_alert(facts.kind) && !facts.device_key.empty())
    return computer_budget(account_id, facts.device_key);
  return account_budget(account_id);
}

// The budget a held key belongs to; false for a key of neither kind.
bool budget_of_held_key(const std::string& key, AlertBudget* out) {
  const std::string account = kAccountHeld;
  const std::string computer = kComputerHeld;
  if (key.compare(0, account.size(), account) == 0) {
    *out = account_budget(std::atoll(key.c_str() + account.size()));
    return true;
  }
  if (key.compare(0, computer.size(), computer) != 0) return false;
  const size_t colon = key.find(':', computer.size());
  if (colon == std::string::npos) return false;
  *out = computer_budget(std::atoll(key.c_str() + computer.size()), key.substr(colon + 1));
  return true;
}

// Queues `text` for every recipient of the account, inside the caller's transaction.
int queue_for_recipients(ServiceStore* store, int64_t account_id,
                         const std::vector<std::string>& recipients, const std::string& text,
                         int64_t now) {
  for (const std::string& recipient : recipients) {
    if (!store_queue_alert(store, account_id, recipient, text, now)) return 0;
  }
  return 1;
}

// The budget's alerts of the last sixty minutes, counted per minute (its count row is locked by
// the caller's transaction once added to, so two instances cannot both take the last).
int sent_this_hour(ServiceStore* store, const AlertBudget& budget, int64_t now, int64_t* sent) {
  return store_minute_counts_since(store, budget.sent_key, utc_minute(now - kHourSeconds + 60),
                                   sent);
}

// Whether the budget has room for one more alert this hour: counted first, then the hour
// summed, and given back when over; the event is then held for the summary.
int take_from_budget(ServiceStore* store, const AlertBudget& budget, int64_t now, bool* allowed) {
  int64_t sent = 0;
  if (!store_add_minute_count(store, budget.sent_key, utc_minute(now), 1) ||
      !sent_this_hour(store, budget, now, &sent))
    return 0;
  *allowed = sent <= budget.per_hour;
  if (*allowed) return 1;
  return store_add_minute_count(store, budget.sent_key, utc_minute(now), -1) &&
         store_note_alert_held(store, budget.held_key, now);
}

// The words that sum up a budget's held events.
int summary_of(ServiceStore* store, const AlertBudget& budget, int64_t held, std::string* text) {
  if (budget.link_id.empty()) {
    *text = alert_summary_text(budget.per_hour, held);
    return 1;
  }
  DeviceLink device;
  const Lookup found = store_find_link(store, budget.account_id, budget.link_id, &device);
  if (found == Lookup::kFailed) return 0;
  *text = protection_summary_text(budget.per_hour, held, device.device_label);
  return 1;
}

} // namespace

int queue_alert(ServiceContext* context, ServiceStore* store, int64_t account_id,
                const AlertFacts& facts, bool* queued) {
  *queued = false;
  // A repeat is held back only when the alert it repeats was queued: the slot is taken in the
  // caller's transaction.
  const std::string key = alert_repeat_key(account_id, facts);
  if (!key.empty()) {
    bool first = false;
    if (!store_take_alert_slot(store, key, facts.at, alert_repeat_seconds(facts), &first)) return 0;
    if (!first) return 1;
  }
  std::vector<std::string> recipients;
  if (!store_alert_recipients(store, account_id, &recipients)) return 0;
  bool allowed = false;
  if (!take_from_budget(store, budget_of(account_id, facts), facts.at, &allowed)) return 0;
  if (!allowed) return 1;
  if (!queue_for_recipients(store, account_id, recipients, alert_text(facts), facts.at) ||
      !queue_alert_texts(context, store, account_id, recipients, facts))
    return 0;
  *queued = true;
  return 1;
}

void wake_alert_senders(ServiceContext* context) {
  alert_wake_notify(&context->alerts);
  text_sender_wake(context);
}

int raise_alert(ServiceContext* context, ServiceStore* store, int64_t account_id,
                const AlertFacts& facts, bool* queued) {
  bool was_queued = false;
  if (queued) *queued = false;
  // One transaction: the sender never sees half of the recipients.
  SqlTransaction transaction(store->sql);
  if (!transaction.begun() || !queue_alert(context, store, account_id, facts, &was_queued) ||
      !transaction.commit())
    return 0;
  if (was_queued) wake_alert_senders(context);
  if (queued) *queued = was_queued;
  return 1;
}

int send_alert_summaries(ServiceStore* store, int64_t now, int* queued, ServiceContext* texts) {
  *queued = 0;
  std::vector<std::string> keys;
  std::vector<std::string> computers;
  if (!store_held_alert_keys(store, kAccountHeld, &keys) ||
      !store_held_alert_keys(store, kComputerHeld, &computers))
    return 0;
  keys.insert(keys.end(), computers.begin(), computers.end());
  for (const std::string& key : keys) {
    AlertBudget budget;
    if (!budget_of_held_key(key, &budget)) continue;
    std::vector<std::string> recipients;
    if (!store_alert_recipients(store, budget.account_id, &recipients)) return 0;
    SqlTransaction transaction(store->sql);
    if (!transaction.begun()) return 0;
    int64_t sent = 0;
    if (!sent_this_hour(store, budget, now, &sent)) return 0;
    // The summary waits until the hour that was full has room again.
    if (sent >= budget.per_hour) continue;
    int64_t held = 0;
    if (!store_take_held_alerts(store, budget.held_key, &held)) return 0;
    if (held == 0) continue;
    std::string summary;
    if (!summary_of(store, budget, held, &summary) ||
        !store_add_minute_count(store, budget.sent_key, utc_minute(now), 1) ||
        !queue_for_recipients(store, budget.account_id, recipients, summary, now) ||
        (texts &&
         !queue_summary_texts(texts, store, budget.account_id, recipients, summary, now)) ||
        !transaction.commit())
      return 0;
    if (texts) text_sender_wake(texts);
    ++*queued;
  }
  return 1;
}
