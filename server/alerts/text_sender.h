#pragma once
// Texts to UK mobiles: queued in the database by the request (a code, or an alert for each
// mobile among its recipients), sent by this instance's text thread through the SMS gateway,
// tried again from 10 seconds up to 30 minutes while the gateway refuses or cannot be reached,
// and followed by the gateway's delivery reports. No request waits for the gateway.
#include <cstdint>
#include <string>
#include <vector>

#include "alerts/alert_text.h"
#include "alerts/sms_gateway.h"
#include "core/service_context.h"
#include "store/store_texts.h"

// How long a claimed text is held by the instance that claimed it: longer than a send takes.
const int64_t kTextLeaseSeconds = 60;
// Tries before an alert's text is given up (about 80 minutes of trying).
const int kTextMaxTries = 8;
// A code is tried at least this often: it runs out after 10 minutes.
const int64_t kCodeTextMaxDelay = 30;

// Seconds before try number `tries` + 1 of a text of this kind.
int64_t text_retry_delay(const std::string& kind, int tries);

// Queues the code's text when `recipient` is a UK mobile and texts are on, and wakes the
// sender. 1 when queued or not needed; 0 when the store failed.
int queue_code_text(ServiceContext* context, ServiceStore* store, int64_t account_id,
                    const std::string& recipient, const std::string& code,
                    const std::string& purpose, int64_t expires_at, int64_t now,
                    const std::string& about = std::string());
// The alert's text for each UK mobile among `recipients`, inside the caller's transaction.
// The caller wakes the sender once it commits (text_sender_wake).
int queue_alert_texts(ServiceContext* context, ServiceStore* store, int64_t account_id,
                      const std::vector<std::string>& recipients, const AlertFacts& facts);
// The same for the summary of alerts held back in a full hour, whose words are given.
int queue_summary_texts(ServiceContext* context, ServiceStore* store, int64_t account_id,
                        const std::vector<std::string>& recipients, const std::string& summary,
                        int64_t now);
void text_sender_wake(ServiceContext* context);

// Sends one claimed text and records the outcome: 1 when the gateway took it.
int deliver_text(ServiceStore* store, const SmsGateway& gateway, const QueuedText& text,
                 int64_t now, std::string* error);

// Claims and sends every text that is due, then waits for a wake or a second; until the wake
// is stopped. Counts what the gateway took in `metrics`.
void text_sender_loop(StorePool* pool, AlertWake* wake, const SmsGateway& gateway,
                      ServiceMetrics* metrics);

// A delivery report from the gateway for the text with `report_id`; `status` as the gateway
// put it (1 delivered, 2 failed, 4 queued at the SMSC, 8 accepted by the SMSC, 16 refused by the
// SMSC). 200 when recorded, 404 for an unknown id or status, 500 when the store failed.
int record_text_report(ServiceContext* context, ServiceStore* store, const std::string& report_id,
                       const std::string& status, int64_t now);
