#pragma once
// Raising an alert from a request: the text is made once and queued for each recipient, unless
// the same alert went out a moment ago; the sender is woken and the request goes on. Alerts
// count against a budget an hour: an account's (kAlertsPerAccountHour: stopped tools, the
// Guardian PIN, scam checks, "switched back on"), and apart from it each computer's alerts
// that its protection is off (kProtectionAlertsPerComputerHour), so that no flood of tool
// alerts can hold back a pause. The events beyond a budget are held back, and once its hour
// has room again one alert sums them up ("and 7 more events: see the family page").
#include <cstdint>

#include "alerts/alert_text.h"
#include "core/service_context.h"

const int kAlertsPerAccountHour = 10;
const int kProtectionAlertsPerComputerHour = 20;

// Inside the caller's transaction: queued for every recipient, or held back (as a repeat, or
// beyond its budget's hour). 0 when the store failed. `*queued` says whether it was queued;
// the caller then commits and calls wake_alert_senders.
int queue_alert(ServiceContext* context, ServiceStore* store, int64_t account_id,
                const AlertFacts& facts, bool* queued);
void wake_alert_senders(ServiceContext* context);

// queue_alert in a transaction of its own, and the wake. 1 when queued or held back; 0 when
// the store failed (the request still succeeds: an alert is never worth refusing the
// computer's report). `queued`, when given, says whether it was queued rather than held back.
int raise_alert(ServiceContext* context, ServiceStore* store, int64_t account_id,
                const AlertFacts& facts, bool* queued = nullptr);

// Queues the summary of each budget whose held-back events can now be told; `*queued` says
// how many. The sender calls it every few seconds; with `texts` (a context whose mobiles get
// texts) the summary is texted to mobiles too.
int send_alert_summaries(ServiceStore* store, int64_t now, int* queued,
                         ServiceContext* texts = nullptr);
