#include "alerts/alert_raise.h"

#include <string>
#include <vector>

#include "alerts/text_sender.h"
#include "store/store_family.h"
#include "base/clock_text.h"
#include "store/store_held_alerts.h"
#include "store/store_limit_count.h"

namespace {

const int64_t kHourSeconds = 60 * 60;

// Queues `text` for every recipient of the account, inside the caller's transaction.
int queue_for_recipients(ServiceStore* store, int64_t account_id,
                         const std::vector<std::string>& recipients, const std::string& text,
                         int64_t now) {
  for (const std::string& recipient : recipients) {
    if (!store_queue_alert(store, account_id, recipient, text, now)) return 0;
  }
  return 1;
}

std::string sent_key(int64_t account_id) { return "alerts:account:" + std::to_string(account_id); }

// The account's alerts of the last sixty minutes, counted per minute (its count row is locked
// by the caller's transaction once added to, so two instances cannot both take the tenth).
int alerts_sent_this_hour(ServiceStore* store, int64_t account_id, int64_t now, int64_t* sent) {
  return store_minute_counts_since(store, sent_key(account_id), utc_minute(now - kHourSeconds + 60),
                                   sent);
}

// Whether the account may have one more alert this hour: counted first, then the hour summed,
// and given back when over; the event is then held for the summary.
int take_from_budget(ServiceStore* store, int64_t account_id, int64_t now, bool* allowed) {
  int64_t sent = 0;
  if (!store_add_minute_count(store, sent_key(account_id), utc_minute(now), 1) ||
      !alerts_sent_this_hour(store, account_id, now, &sent))
    return 0;
  *allowed = sent <= kAlertsPerAccountHour;
  if (*allowed) return 1;
  return store_add_minute_count(store, sent_key(account_id), utc_minute(now), -1) &&
         store_note_alert_held(store, account_id, now);
}

} // namespace

int raise_alert(ServiceContext* context, ServiceStore* store, int64_t account_id,
                const AlertFacts& facts, bool* queued) {
  if (queued) *queued = false;
  // One transaction: the sender never sees half of the recipients, and a repeat is held back
  // only when the alert it repeats was queued.
  SqlTransaction transaction(store->sql);
  if (!transaction.begun()) return 0;
  const std::string key = alert_repeat_key(account_id, facts);
  if (!key.empty()) {
    bool first = false;
    if (!store_take_alert_slot(store, key, facts.at, alert_repeat_seconds(facts), &first)) return 0;
    if (!first) return 1;
  }
  std::vector<std::string> recipients;
  if (!store_alert_recipients(store, account_id, &recipients)) return 0;
  const std::string text = alert_text(facts);
  bool allowed = false;
  if (!take_from_budget(store, account_id, facts.at, &allowed)) return 0;
  if (allowed && (!queue_for_recipients(store, account_id, recipients, text, facts.at) ||
                  !queue_alert_texts(context, store, account_id, recipients, facts)))
    return 0;
  if (!transaction.commit()) return 0;
  if (allowed) {
    alert_wake_notify(&context->alerts);
    text_sender_wake(context);
    if (queued) *queued = true;
  }
  return 1;
}

int send_alert_summaries(ServiceStore* store, int64_t now, int* queued, ServiceContext* texts) {
  *queued = 0;
  std::vector<int64_t> accounts;
  if (!store_accounts_with_held_alerts(store, &accounts)) return 0;
  for (int64_t account_id : accounts) {
    std::vector<std::string> recipients;
    if (!store_alert_recipients(store, account_id, &recipients)) return 0;
    SqlTransaction transaction(store->sql);
    if (!transaction.begun()) return 0;
    int64_t sent = 0;
    if (!alerts_sent_this_hour(store, account_id, now, &sent)) return 0;
    // The summary waits until the hour that was full has room again.
    if (sent >= kAlertsPerAccountHour) continue;
    int64_t held = 0;
    if (!store_take_held_alerts(store, account_id, &held)) return 0;
    if (held == 0) continue;
    const std::string summary = alert_summary_text(kAlertsPerAccountHour, held);
    if (!store_add_minute_count(store, sent_key(account_id), utc_minute(now), 1) ||
        !queue_for_recipients(store, account_id, recipients, summary, now) ||
        (texts && !queue_summary_texts(texts, store, account_id, recipients, summary, now)) ||
        !transaction.commit())
      return 0;
    if (texts) text_sender_wake(texts);
    ++*queued;
  }
  return 1;
}
