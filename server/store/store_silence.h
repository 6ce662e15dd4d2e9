#pragma once
// Linked computers watched for going quiet: each carries the moment it counts as silent
// (`silent_at` of store_family.h, 0 while not watched). The housekeeping of every instance
// looks for those past it; one instance takes each silence, and one takes its end.
// Same rules as store_family.h: 1 on success, 0 on failure.
#include <cstdint>
#include <string>
#include <vector>

#include "store/store_family.h"

// Computers on and past their moment at `now`, the oldest first, at most `limit`.
int store_due_silences(ServiceStore* store, int64_t now, int limit, std::vector<DeviceLink>* out);
// Takes the computer's silence for its alert, in the caller's transaction with it: `*taken` is
// true for the one caller, of all instances, whose statement changed the row.
int store_take_silence(ServiceStore* store, const std::string& link_id, int64_t now, bool* taken);
// Heard from after its silence was alerted: `*taken` is true for the one caller that ends it.
int store_end_silence(ServiceStore* store, const std::string& link_id, bool* taken);
// A blocked-tool report at `now`: watched from `silent_at` on while it is on.
int store_note_threat(ServiceStore* store, const std::string& link_id, int64_t now,
                      int64_t silent_at);
