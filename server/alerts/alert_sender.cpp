#include "alerts/alert_sender.h"

#include <cstdio>
#include <ctime>

#include "base/clock_text.h"
#include "base/request_log.h"
#include "alerts/alert_raise.h"
#include "alerts/smtp_mail.h"

namespace {

// Another instance's alerts, and retries, are found by looking this often.
const int kLookMilliseconds = 1000;
// Summaries of alerts held back are looked for this often.
const int64_t kSummaryLookSeconds = 10;

bool is_email(const std::string& recipient) { return recipient.find('@') != std::string::npos; }

int write_outbox(const AlertDelivery& delivery, const QueuedAlert& alert, int64_t now) {
  std::string line = "{\"time\":" + json_quote_bytes(utc_timestamp(now)) +
                     ",\"kind\":\"alert\",\"identifier\":" + json_quote_bytes(alert.recipient) +
                     ",\"text\":" + json_quote_bytes(alert.body) +
                     ",\"alert_id\":" + std::to_string(alert.id) + "}";
  return append_log_line(delivery.outbox_file, line);
}

MailMessage mail_of(const AlertDelivery& delivery, const QueuedAlert& alert, int64_t now) {
  MailMessage message;
  message.from = delivery.mail_from;
  message.to = alert.recipient;
  message.subject = "Olvex Callwarden alert";
  message.body = alert.body + "\n\nWhat happened, and who gets these alerts: the family page of "
                              "your Olvex Callwarden account.\n";
  message.date = now;
  return message;
}

} // namespace

int64_t alert_retry_delay(int tries) {
  int64_t delay = 10;
  for (int i = 1; i < tries && delay < 30 * 60; ++i)
    delay *= 3;
  return delay < 30 * 60 ? delay : 30 * 60;
}

int deliver_alert(ServiceStore* store, const AlertDelivery& delivery, const QueuedAlert& alert,
                  int64_t now, std::string* error) {
  bool delivered = true;
  if (!alert.outbox_written) {
    // The mark first, the line after: a line is written only once the mark that stops a
    // second one is kept, and while this instance still holds the alert.
    if (!store_alert_outbox_written(store, alert, true)) {
      *error = "the alert was not marked for the outbox (claim lost or store failed)";
      delivered = false;
    } else if (!write_outbox(delivery, alert, now)) {
      store_alert_outbox_written(store, alert, false);
      *error = "cannot write " + delivery.outbox_file;
      delivered = false;
    }
  }
  if (delivered && !delivery.smtp_url.empty() && is_email(alert.recipient))
    delivered = smtp_send(delivery.smtp_url, mail_of(delivery, alert, now), error) != 0;
  if (delivered) {
    if (store_alert_sent(store, alert, now)) return 1;
    *error = "delivered, but the claim was lost before it was marked sent";
    return 0;
  }
  store_alert_failed(store, alert, now + alert_retry_delay(alert.tries),
                     alert.tries >= kAlertMaxTries);
  return 0;
}

void alert_sender_loop(StorePool* pool, AlertWake* wake, const AlertDelivery& delivery) {
  int64_t summaries_at = 0;
  do {
    int64_t started = static_cast<int64_t>(std::time(nullptr));
    if (started >= summaries_at) {
      StoreLease lease(pool);
      int queued = 0;
      if (lease.get()) send_alert_summaries(lease.get(), started, &queued, delivery.texts);
      summaries_at = started + kSummaryLookSeconds;
    }
    for (;;) {
      StoreLease lease(pool);
      ServiceStore* store = lease.get();
      int64_t now = static_cast<int64_t>(std::time(nullptr));
      QueuedAlert alert;
      if (!store || !store_claim_alert(store, now, kAlertLeaseSeconds, &alert)) break;
      std::string error;
      if (!deliver_alert(store, delivery, alert, now, &error)) {
        // The operator learns that an alert waits, never to whom or what it says.
        std::printf("alert %lld not delivered (try %d): %s\n", static_cast<long long>(alert.id),
                    alert.tries, error.c_str());
        std::fflush(stdout);
      }
    }
  } while (alert_wake_wait(wake, kLookMilliseconds));
}
