#pragma once
// On the family page, for each computer: its protection now, when it was last heard from, and
// its Guardian lock; and the lines of "What happened" for what it reported of its protection.
#include <cstdint>
#include <string>

#include "store/store_family.h"
#include "web/web_family_page.h"

// A computer not heard from for longer than this is said to be so.
const int64_t kQuietComputerSeconds = 24 * 60 * 60;

// "On", "Paused since 14:02", "Closed at 14:05", "Removed on 9 December 2026", "Off: the
// computer was shut down at 22:14", or that it has not been heard from since its silence was
// alerted.
std::string protection_now_text(const DeviceLink& device, int64_t now);
// The <dt>/<dd> pairs of its protection now and when it was last heard from.
std::string protection_facts_html(const DeviceLink& device, int64_t now);
// The Guardian lock's sentence, state and form.
std::string guardian_lock_html(const FamilyView& view, const DeviceLink& device,
                               const std::string& csrf);
// "Callwarden was paused on DESKTOP-1234", for a reported `state`.
std::string protection_event_text(const std::string& state, const std::string& computer);
