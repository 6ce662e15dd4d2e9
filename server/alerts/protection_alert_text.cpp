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
  if (kind == kAlertSilent || kind == kAlertBackOn || kind == kAlertUnlinked) return true;
  for (const ProtectionAlert& alert : kProtectionAlerts) {
    if (alert.kind == kind) return true;
  }
  return false;
}

bool is_protection_off_alert(AlertKind kind) {
  return is_protection_alert(kind) && kind != kAlertResumed && kind != kAlertBackOn;
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

std::string protection_summary_text(int per_hour, int64_t more, const std::string& device_label) {
  std::string device = one_line(device_label);
  if (device.empty()) device = "a linked computer";
  return "Callwarden sent you " + std::to_string(per_hour) +
         " alerts within one hour that protection on " + device + " was off or in doubt, and " +
         std::to_string(more) + (more == 1 ? " more event" : " more events") +
         ": see the family page.";
}

std::string protection_alert_text(const AlertFacts& facts) {
  std::string device = one_line(facts.device_label);
  if (device.empty()) device = "a linked computer";
  const int64_t happened = facts.happened_at > 0 ? facts.happened_at : facts.at;
  // "14:02", or for another day "9 December 2026 at 14:02".
  const std::string moment =
      same_uk_day(happened, facts.at) ? uk_clock(happened) : uk_date_time(happened);
  // "at 14:02", or for an older report "on 9 December 2026 at 14:02".
  const std::string when = (same_uk_day(happened, facts.at) ? "at " : "on ") + moment;
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
  case kAlertSilent:
    return "Callwarden on " + device + " has not been heard from since " + moment +
           ". It may have been closed with Task Manager, or the computer may have lost its "
           "internet. " +
           ask;
  case kAlertBackOn:
    return "Callwarden on " + device + " is back on since " + uk_clock(facts.at) +
           ". It had not been heard from since " + moment + ".";
  case kAlertUnlinked:
    return device + " was unlinked from the family account at " + uk_clock(facts.at) +
           ": Callwarden on it will no longer tell you anything. " + ask;
  default: break;
  }
  return std::string();
}
