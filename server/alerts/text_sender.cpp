#include "alerts/text_sender.h"

#include <cstdio>
#include <ctime>

#include "alerts/alert_sender.h"
#include "alerts/sms_text.h"
#include "base/mobile_number.h"

namespace {

const int kLookMilliseconds = 1000;

// The gateway's report codes, as the family page and the counts name them.
const char* report_name(const std::string& status) {
  if (status == "1") return "delivered";
  if (status == "2" || status == "16") return "failed";
  if (status == "4" || status == "8") return "accepted";
  return nullptr;
}

} // namespace

int64_t text_retry_delay(const std::string& kind, int tries) {
  int64_t delay = alert_retry_delay(tries);
  if (kind == kTextForCode && delay > kCodeTextMaxDelay) return kCodeTextMaxDelay;
  return delay;
}

void text_sender_wake(ServiceContext* context) {
  if (context->texts_on) alert_wake_notify(&context->texts);
}

int queue_code_text(ServiceContext* context, ServiceStore* store, int64_t account_id,
                    const std::string& recipient, const std::string& code,
                    const std::string& purpose, int64_t expires_at, int64_t now,
                    const std::string& about) {
  if (!context->texts_on || !is_uk_mobile(recipient)) return 1;
  if (!store_queue_text(store, account_id, international_mobile(recipient),
                        code_text(code, purpose, expires_at - now, about), kTextForCode, expires_at,
                        now))
    return 0;
  text_sender_wake(context);
  return 1;
}

int queue_alert_texts(ServiceContext* context, ServiceStore* store, int64_t account_id,
                      const std::vector<std::string>& recipients, const AlertFacts& facts) {
  if (!context->texts_on) return 1;
  std::string text;
  for (const std::string& recipient : recipients) {
    if (!is_uk_mobile(recipient)) continue;
    if (text.empty()) text = sms_alert_text(facts);
    if (!store_queue_text(store, account_id, international_mobile(recipient), text, kTextForAlert,
                          0, facts.at))
      return 0;
  }
  return 1;
}

int queue_summary_texts(ServiceContext* context, ServiceStore* store, int64_t account_id,
                        const std::vector<std::string>& recipients, const std::string& summary,
                        int64_t now) {
  if (!context->texts_on) return 1;
  const std::string text = gsm7_fold(summary);
  for (const std::string& recipient : recipients) {
    if (!is_uk_mobile(recipient)) continue;
    if (!store_queue_text(store, account_id, international_mobile(recipient), text, kTextForAlert,
                          0, now))
      return 0;
  }
  return 1;
}

int deliver_text(ServiceStore* store, const SmsGateway& gateway, const QueuedText& text,
                 int64_t now, std::string* error) {
  if (text.expires_at != 0 && text.expires_at <= now) {
    *error = "the code ran out before the gateway took it";
    store_text_failed(store, text.id, now, true);
    return 0;
  }
  if (sms_send(gateway, text.number, text.body, text.report_id, error))
    return store_text_sent(store, text.id, now) ? 1 : 0;
  const int64_t next = now + text_retry_delay(text.kind, text.tries);
  const bool give_up = text.expires_at != 0 ? next >= text.expires_at : text.tries >= kTextMaxTries;
  store_text_failed(store, text.id, next, give_up);
  return 0;
}

void text_sender_loop(StorePool* pool, AlertWake* wake, const SmsGateway& gateway,
                      ServiceMetrics* metrics) {
  do {
    for (;;) {
      StoreLease lease(pool);
      ServiceStore* store = lease.get();
      int64_t now = static_cast<int64_t>(std::time(nullptr));
      QueuedText text;
      if (!store || !store_claim_text(store, now, kTextLeaseSeconds, &text)) break;
      std::string error;
      if (deliver_text(store, gateway, text, now, &error)) {
        metrics_note_text(metrics, "sent");
      } else {
        // The operator learns that a text waits, never to whom, what it says or the password.
        std::printf("text %lld not sent (try %d): %s\n", static_cast<long long>(text.id),
                    text.tries, error.c_str());
        std::fflush(stdout);
      }
    }
  } while (alert_wake_wait(wake, kLookMilliseconds));
}

int record_text_report(ServiceContext* context, ServiceStore* store, const std::string& report_id,
                       const std::string& status, int64_t now) {
  const char* report = report_name(status);
  if (!report) return 404;
  bool changed = false;
  if (!store_text_report(store, report_id, report, now, &changed)) {
    // Unknown id, or the store failed: only the second is worth a retry by the gateway.
    return store_answers(store) ? 404 : 500;
  }
  if (changed && std::string(report) != "accepted") metrics_note_text(&context->metrics, report);
  return 200;
}
