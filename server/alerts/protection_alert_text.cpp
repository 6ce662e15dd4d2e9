#include "alerts/protection_alert_text.h"

#include "base/uk_time.h"

namespace {

struct ProtectionAlert {
  AlertKind kind;
  const char* state; // as the computer reports it; also the repeat key's part
};

const ProtectionAlert kProtectionAlerts[] = {
    {kAlertPaused, "paused"},
    {kAlertResumed, "resumed"},
    {kAlertClosed, "closed"},
    {kAlertRemoved, "removed"},
    {kAlertEndedUnexpectedly, "ended_unexpectedly"},
    {kAlertAutostartOff, "autostart_off"},
};

bool same_uk_day(int64_t a, int64_t b) {
  const UkTime x = uk_time(a);
  const UkTime y = uk_time(b);
  return x.year == y.year && x.month == y.month && x.day == y.day;
}

} // namespace

bool is_protection_alert(AlertKind kind) {
  for (const ProtectionAlert& alert : kProtectionAlerts) {
    if (alert.kind == kind) return true;
  }
  return false;
}

std::string protection_alert_key(AlertKind kind) {
  for (const ProtectionAlert& alert : kProtectionAlerts) {
    if (alert.kind == kind) return std::string("protection:") + alert.state;
  }
  return std::string();
}

bool alert_kind_of_state(const std::string& state, AlertKind* kind) {
  for (const ProtectionAlert& alert : kProtectionAlerts) {
    if (state == alert.state && alert.kind != kAlertResumed) {
      *kind = alert.kind;
      return true;
    }
  }
  return false;
}

std::string protection_alert_text(const AlertFacts& facts) {
  std::string device = one_line(facts.device_label);
  if (device.empty()) device = "a linked computer";
  const int64_t happened = facts.happened_at > 0 ? facts.happened_at : facts.at;
  // "at 14:02", or for an older report "on 9 December 2026 at 14:02".
  const std::string when =
      same_uk_day(happened, facts.at) ? "at " + uk_clock(happened) : "on " + uk_date_time(happened);
  const std::string name = one_line(facts.person_name);
  const std::string ask = "If nobody in the family expected this, call " +
                          (name.empty() ? std::string("the person who uses that computer") : name) +
                          " now.";
  switch (facts.kind) {
  case kAlertPaused: return "Callwarden was paused on " + device + " " + when + ". " + ask;
  case kAlertResumed:
    return "Callwarden on " + device + " was switched back on " + when +
           ". It is protecting again.";
  case kAlertClosed: return "Callwarden was closed on " + device + " " + when + ". " + ask;
  case kAlertRemoved: return "Callwarden was removed from " + device + " " + when + ". " + ask;
  case kAlertEndedUnexpectedly:
    return "Callwarden on " + device + " ended without being closed (noticed " + when +
           ", when it started again). " + ask;
  case kAlertAutostartOff:
    return "Callwarden will no longer start with Windows on " + device + " (changed " + when +
           "). " + ask;
  default: break;
  }
  return std::string();
}
