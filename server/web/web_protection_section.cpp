#include "web/web_protection_section.h"

#include "base/uk_time.h"
#include "web/web_escape.h"
#include "web/web_frame.h"

namespace {

bool same_uk_day(int64_t a, int64_t b) {
  const UkTime x = uk_time(a);
  const UkTime y = uk_time(b);
  return x.year == y.year && x.month == y.month && x.day == y.day;
}

// "14:02" today, "9 December 2026 at 14:02" before.
std::string clock_or_date(int64_t at, int64_t now) {
  return same_uk_day(at, now) ? uk_clock(at) : uk_date_time(at);
}

std::string date_only(int64_t at) {
  const std::string text = uk_date_time(at);
  return text.substr(0, text.find(" at "));
}

} // namespace

std::string protection_now_text(const DeviceLink& device, int64_t now) {
  const int64_t at = device.protection_at;
  const std::string& state = device.protection_state;
  // "at 14:02" today, "on 9 December 2026 at 14:02" before.
  const std::string when = (same_uk_day(at, now) ? "at " : "on ") + clock_or_date(at, now);
  if (state == "paused") return "Paused since " + clock_or_date(at, now);
  if (state == "closed") return "Closed " + when;
  if (state == "removed") return "Removed on " + date_only(at);
  if (state == "shutdown") return "Off: the computer was shut down " + when;
  if (state == "suspended") return "Off: the computer went to sleep " + when;
  if (device.silence_alerted_at > 0)
    return "Not known: Callwarden has not been heard from since " +
           clock_or_date(device_heard_at(device), now) +
           ". It may have been closed, or the computer may have lost its internet";
  return "On";
}

std::string protection_facts_html(const DeviceLink& device, int64_t now) {
  std::string heard = "Not since it was linked";
  if (device.last_seen_at > 0) {
    heard = uk_date_time(device.last_seen_at);
    if (now - device.last_seen_at > kQuietComputerSeconds)
      heard += ". Not heard from for over 24 hours: the computer may be switched off, or "
               "Callwarden may not be running on it";
  }
  return "<dt>Protection now</dt><dd>" + html_text(protection_now_text(device, now)) +
         "</dd><dt>Last heard from</dt><dd>" + html_text(heard) + "</dd>";
}

std::string guardian_lock_html(const FamilyView& view, const DeviceLink& device,
                               const std::string& csrf) {
  const std::string label = device.device_label.empty() ? "this computer" : device.device_label;
  const std::string& id = device.link_id;
  std::string html = "<h4>Guardian lock</h4>\n<p>Ask for the Guardian PIN before Callwarden on " +
                     html_text(label) + " can be paused, closed or removed.</p>\n";
  if (!device.guardian_lock) {
    return html + "<p>The lock is off.</p>\n" + form_open("/family/computers/lock", csrf) +
           hidden_field("link", id) + button("Turn the lock on", "secondary") + "</form>\n";
  }
  html += "<p><strong>The lock is on.</strong> Turning it off needs a fresh code, in case "
          "someone is being talked through this page.</p>\n";
  if (!view.lock_code_sent) {
    return html + form_open("/family/computers/lock/send-code", csrf) + hidden_field("link", id) +
           button("Send me a code to turn the lock off", "secondary") + "</form>\n";
  }
  return html + form_open("/family/computers/unlock", csrf) + hidden_field("link", id) +
         text_field("lock-code-" + id, "The 6-digit code we sent you", std::string(), "",
                    std::string(),
                    "type=\"text\" inputmode=\"numeric\" autocomplete=\"one-time-code\" required") +
         button("Turn the lock off", "danger") + "</form>\n";
}

std::string protection_event_text(const std::string& state, const std::string& computer) {
  if (state == "paused") return "Callwarden was paused on " + computer;
  if (state == "resumed") return "Callwarden on " + computer + " was switched back on";
  if (state == "closed") return "Callwarden was closed on " + computer;
  if (state == "removed") return "Callwarden was removed from " + computer;
  if (state == "ended_unexpectedly")
    return "Callwarden on " + computer + " ended without being closed";
  if (state == "shutdown") return computer + " was shut down or signed out of Windows";
  if (state == "suspended") return computer + " went to sleep";
  if (state == "silent") return "Callwarden on " + computer + " was not heard from in time";
  if (state == "back_on") return "Callwarden on " + computer + " was heard from again";
  if (state == "unlinked") return computer + " was unlinked from the family account";
  return "Callwarden will no longer start with Windows on " + computer;
}
