#pragma once
// Raising an alert from a request: the text is made once and queued for each recipient, unless
// the same alert went out a moment ago; the sender is woken and the request goes on. An account
// gets at most kAlertsPerAccountHour alerts an hour: the events beyond are held back, and once
// the hour has room again one alert sums them up ("and 7 more events: see the family page").
#include <cstdint>

#include "alerts/alert_text.h"
#include "core/service_context.h"

const int kAlertsPerAccountHour = 10;

// 1 when queued or held back (as a repeat, or beyond the hour's alerts); 0 when the store
// failed (the request still succeeds: an alert is never worth refusing the computer's report).
// `queued`, when given, says whether it was queued rather than held back.
int raise_alert(ServiceContext* context, ServiceStore* store, int64_t account_id,
                const AlertFacts& facts, bool* queued = nullptr);

// Queues the summary of each account whose held-back events can now be told; `*queued` says
// how many. The sender calls it every few seconds; with `texts` (a context whose mobiles get
// texts) the summary is texted to mobiles too.
int send_alert_summaries(ServiceStore* store, int64_t now, int* queued,
                         ServiceContext* texts = nullptr);
