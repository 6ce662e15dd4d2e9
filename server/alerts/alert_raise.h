#pragma once
// Raising an alert from a request: the text is made once and queued for each recipient, unless
// the same alert went out a moment ago; the sender is woken and the request goes on.
#include <cstdint>

#include "alerts/alert_text.h"
#include "core/service_context.h"

// 1 when queued or held back as a repeat; 0 when the store failed (the request still
// succeeds: an alert is never worth refusing the computer's report). `queued`, when given,
// says whether it was queued rather than held back.
int raise_alert(ServiceContext* context, ServiceStore* store, int64_t account_id,
                const AlertFacts& facts, bool* queued = nullptr);
