#pragma once
// Silence is reported: a linked computer whose protection is on and that is not heard from
// within its limit (core/silence_rules.h) is alerted once, by whichever instance's
// housekeeping finds it first; heard from again after that, once more ("is back on since").
// A computer shut down, asleep, closed, removed or paused is not watched: it said why.
#include <cstdint>
#include <string>

#include "core/service_context.h"
#include "store/store_family.h"

// Alerts every silence due at `now`; `*alerted` says how many this call took. 0 when the
// store failed (the next look tries again).
int watch_silence(ServiceContext* context, ServiceStore* store, int64_t now, int* alerted);

// Every call of a linked computer: a silence that was alerted ends with its alert, and the time
// it was heard from is written (at most every heard_write_seconds) with the moment it would
// count as silent. Its label is written when it changed.
int note_heard_from(ServiceContext* context, ServiceStore* store, const DeviceLink& device,
                    const std::string& label, int64_t now);
