#pragma once
// The alerts for what a computer reports of its own protection: paused, switched back on,
// closed, removed, ended without being closed, no longer starting with Windows.
#include <string>

#include "alerts/alert_text.h"

bool is_protection_alert(AlertKind kind);

// "Callwarden was paused on DESKTOP-1234 at 14:02. If nobody in the family expected this, call
// Mum now." A report kept while the computer was offline names its day when that was not
// the day it arrived.
std::string protection_alert_text(const AlertFacts& facts);

// One alert per computer and state in 10 minutes: the state's part of the key.
std::string protection_alert_key(AlertKind kind);

// The alerting kind of a reported state ("paused" -> kAlertPaused); false for a state that
// is not one ("resumed" alerts only after a pause alert, and is decided by its caller).
bool alert_kind_of_state(const std::string& state, AlertKind* kind);
