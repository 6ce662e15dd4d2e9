#pragma once
// Delivers queued alerts: each is written to the outbox file once and, when the service was
// given an SMTP server, sent by email to recipients that are email addresses. A failure puts
// the alert back in the queue for a later try; the request that raised it never waits.
#include <cstdint>
#include <string>

#include "core/alert_wake.h"
#include "store/store_family.h"
#include "store/store_pool.h"

struct ServiceContext;

struct AlertDelivery {
  std::string outbox_file;
  std::string smtp_url; // empty: the outbox file only
  std::string mail_from;
  ServiceContext* texts = nullptr; // when mobiles get texts, summaries are texted too
};

// How long a claimed alert is held by the instance that claimed it.
const int64_t kAlertLeaseSeconds = 120;
// Tries before an alert is given up.
const int kAlertMaxTries = 8;

// Seconds before try number `tries` + 1: 10, 30, 90 ... at most 30 minutes.
int64_t alert_retry_delay(int tries);

// Delivers one claimed alert and records the outcome. 1 when it went out.
int deliver_alert(ServiceStore* store, const AlertDelivery& delivery, const QueuedAlert& alert,
                  int64_t now, std::string* error);

// Claims and delivers every alert that is due, then waits for a wake or a second; until the
// wake is stopped.
void alert_sender_loop(StorePool* pool, AlertWake* wake, const AlertDelivery& delivery);
