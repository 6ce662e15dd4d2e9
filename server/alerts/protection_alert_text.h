#pragma once
// The alerts for what a computer reports of its own protection: paused, switched back on,
// closed, removed, ended without being closed, no longer starting with Windows.
#include <string>

#include "alerts/alert_text.h"

bool is_protection_alert(AlertKind kind);
// The alerts that protection is off or in doubt (paused, closed, removed, ended without being
// closed, no longer starting with Windows, silent, unlinked): they have a budget of their own,
// per computer, which no other alert uses up.
bool is_protection_off_alert(AlertKind kind);

// "Callwarden was paused on DESKTOP-1234 at 14:02. If nobody in the family expected this, call
// Mum now." A report kept while the computer was offline names its day when that was not
// the day it arrived.
std::string protection_alert_text(const AlertFacts& facts);

// One alert per computer and state in 10 minutes: the state's part of the key; empty for the
// alerts that are not of a reported state (a silence, its end, an unlink).
std::string protection_alert_key(AlertKind kind);

// The one alert that stands for a computer's protection alerts held back in a full hour:
// "Callwarden sent you 20 alerts within one hour that protection on VM was off or in doubt,
// and 3 more events: see the family page."
std::string protection_summary_text(int per_hour, int64_t more, const std::string& device_label);

// The alerting kind of a reported state ("paused" -> kAlertPaused); false for a state that
// is not one ("resumed" alerts only after a pause alert, and is decided by its caller).
bool alert_kind_of_state(const std::string& state, AlertKind* kind);
