#include "alerts/alert_raise.h"

#include <string>
#include <vector>

#include "alerts/text_sender.h"
#include "store/store_family.h"

int raise_alert(ServiceContext* context, ServiceStore* store, int64_t account_id,
                const AlertFacts& facts, bool* queued) {
  if (queued) *queued = false;
  const std::string key = alert_repeat_key(account_id, facts);
  if (!key.empty()) {
    bool first = false;
    if (!store_take_alert_slot(store, key, facts.at, alert_repeat_seconds(facts), &first)) return 0;
    if (!first) return 1;
  }
  std::vector<std::string> recipients;
  if (!store_alert_recipients(store, account_id, &recipients)) return 0;
  const std::string text = alert_text(facts);
  // One transaction: the sender never sees half of the recipients.
  SqlTransaction transaction(store->sql);
  if (!transaction.begun()) return 0;
  for (const std::string& recipient : recipients) {
    if (!store_queue_alert(store, account_id, recipient, text, facts.at)) return 0;
  }
  if (!queue_alert_texts(context, store, account_id, recipients, facts)) return 0;
  if (!transaction.commit()) return 0;
  alert_wake_notify(&context->alerts);
  text_sender_wake(context);
  if (queued) *queued = true;
  return 1;
}
