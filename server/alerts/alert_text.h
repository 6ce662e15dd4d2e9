#pragma once
// What an alert to the family says, and which alerts are held back as repeats. The sentences
// are short and end with who to call: the name the Guardian gave the computer on the family
// page ("Mum"), or, without one, the person who uses that computer.
#include <cstdint>
#include <string>

enum AlertKind {
  kAlertToolStopped,     // the blocker ended a remote-control tool
  kAlertOverrideStarted, // the Guardian PIN lifted the blocker for an hour
  kAlertWrongPins,       // three wrong Guardian PINs in a row
  kAlertScamChecked,     // a checked message was judged SCAM (only when the account asks)
  kAlertPinLocked,       // the Guardian PIN locked after five wrong PINs in a row
  // What a computer reports of its own protection (protection_alert_text.h).
  kAlertPaused,
  kAlertResumed, // only after a pause alert
  kAlertClosed,
  kAlertRemoved,
  kAlertEndedUnexpectedly,
  kAlertAutostartOff,
  kAlertSilent,   // not heard from within the limit (silence_watch.h)
  kAlertBackOn,   // heard from again after a silence alert
  kAlertUnlinked, // unlinked from the account on the family page
};

struct AlertFacts {
  AlertKind kind;
  std::string device_label;   // as the program sent it
  std::string person_name;    // the Guardian's name for the computer's user; may be empty
  std::string tool_name;      // for kAlertToolStopped, as the program sent it ("AnyDesk.exe")
  int64_t at;                 // seconds since 1970, UTC
  int64_t locked_seconds = 0; // for kAlertPinLocked: how long the PIN is locked
  // The linked computer itself (its link's id), whatever label it sends; empty when unknown.
  std::string device_key = std::string();
  // When it happened, for a report the computer kept while it was offline, or when a silent
  // computer was last heard from; 0: at `at`.
  int64_t happened_at = 0;
};

// The tool as one name however it is spelled: "C:\\Tools\\AnyDesk.EXE", "any desk" and
// "anydesk" are all "anydesk".
std::string tool_canonical_name(const std::string& tool_name);

// "AnyDesk.exe" -> "AnyDesk", "ScreenConnect.ClientService.exe" -> "ScreenConnect"; a name the
// list does not know loses only its ".exe".
std::string tool_display_name(const std::string& tool_name);

// A label or name fit for one line of text: control bytes dropped, blanks squeezed, at most
// `max_characters` characters.
std::string one_line(const std::string& text, size_t max_characters = 60);

// "Callwarden stopped AnyDesk on DESKTOP-1234 at 14:02. If nobody in the family expected this,
// call Mum now."
std::string alert_text(const AlertFacts& facts);

// Alerts with the same key within `alert_repeat_seconds` are one alert: one per computer and
// tool in 10 minutes. Empty when every such alert goes out (an override that starts).
std::string alert_repeat_key(int64_t account_id, const AlertFacts& facts);
int64_t alert_repeat_seconds(const AlertFacts& facts);

// The one alert that stands for those held back once an account had its alerts for the hour:
// "... and 7 more events: see the family page."
std::string alert_summary_text(int per_hour, int64_t more);
