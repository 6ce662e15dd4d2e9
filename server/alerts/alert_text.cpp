#include "alerts/alert_text.h"

#include "alerts/protection_alert_text.h"
#include "base/uk_time.h"
#include "base/utf8_repair.h"

namespace {

struct ToolName {
  const char* prefix; // lower case, of the file name
  const char* shown;
};

const ToolName kTools[] = {
    {"anydesk", "AnyDesk"},
    {"teamviewer", "TeamViewer"},
    {"ultraviewer", "UltraViewer"},
    {"supremo", "Supremo"},
    {"screenconnect", "ScreenConnect"},
    {"rustdesk", "RustDesk"},
    {"quickassist", "Quick Assist"},
};

std::string lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string call_whom(const std::string& person_name) {
  std::string name = one_line(person_name);
  if (name.empty()) return "call the person who uses that computer now.";
  return "call " + name + " now.";
}

std::string lock_in_words(int64_t seconds) {
  if (seconds >= 60 * 60) {
    int64_t hours = seconds / (60 * 60);
    return std::to_string(hours) + (hours == 1 ? " hour" : " hours");
  }
  int64_t minutes = (seconds + 59) / 60;
  return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

} // namespace

std::string tool_display_name(const std::string& tool_name) {
  std::string name = one_line(tool_name);
  std::string folded = lower(name);
  for (const ToolName& tool : kTools) {
    if (folded.compare(0, std::string(tool.prefix).size(), tool.prefix) == 0) return tool.shown;
  }
  if (folded.size() > 4 && folded.compare(folded.size() - 4, 4, ".exe") == 0)
    name.resize(name.size() - 4);
  return name.empty() ? std::string("a remote-control program") : name;
}

std::string tool_canonical_name(const std::string& tool_name) {
  std::string name = lower(one_line(tool_name, 260));
  size_t folder = name.find_last_of("\\/");
  if (folder != std::string::npos) name = name.substr(folder + 1);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
    name.resize(name.size() - 4);
  std::string letters;
  for (char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c & 0x80)) letters.push_back(c);
  }
  for (const ToolName& tool : kTools) {
    const std::string prefix = tool.prefix;
    if (letters.compare(0, prefix.size(), prefix) == 0) return prefix;
  }
  return letters.substr(0, 60);
}

std::string one_line(const std::string& text, size_t max_characters) {
  std::string clean = repair_utf8(text);
  std::string out;
  size_t characters = 0;
  for (size_t i = 0; i < clean.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(clean[i]);
    if (c < 0x20 || c == 0x7F) c = ' ';
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    if ((c & 0xC0) != 0x80 && ++characters > max_characters) break;
    out.push_back(static_cast<char>(c));
  }
  while (!out.empty() && out.back() == ' ')
    out.pop_back();
  return out;
}

std::string alert_text(const AlertFacts& facts) {
  if (is_protection_alert(facts.kind)) return protection_alert_text(facts);
  std::string device = one_line(facts.device_label);
  if (device.empty()) device = "a linked computer";
  const std::string when = " at " + uk_clock(facts.at) + ". ";
  const std::string ask = "If nobody in the family expected this, " + call_whom(facts.person_name);
  switch (facts.kind) {
  case kAlertToolStopped:
    return "Callwarden stopped " + tool_display_name(facts.tool_name) + " on " + device + when +
           ask;
  case kAlertOverrideStarted:
    return "The Guardian PIN switched Callwarden's remote-tool blocker off for 1 hour on " +
           device + when + ask;
  case kAlertWrongPins:
    return "Someone typed a wrong Guardian PIN 3 times in a row on " + device + when + ask;
  case kAlertPinLocked:
    return "Someone typed 5 wrong Guardian PINs on " + device + when + "The PIN is locked for " +
           lock_in_words(facts.locked_seconds) + ". " + ask;
  case kAlertScamChecked:
    return "A message checked on " + device + when.substr(0, when.size() - 2) +
           " looks like a scam. " + ask;
  default: break; // protection alerts, above
  }
  return std::string();
}

std::string alert_repeat_key(int64_t account_id, const AlertFacts& facts) {
  // A linked computer is known by its link, not by the label it sends, which it may change.
  const std::string computer =
      facts.device_key.empty() ? lower(one_line(facts.device_label)) : "link:" + facts.device_key;
  const std::string base = std::to_string(account_id) + ":" + computer;
  if (is_protection_alert(facts.kind)) {
    // A silence, its end and an unlink are each alerted once by the step that takes them.
    const std::string state = protection_alert_key(facts.kind);
    return state.empty() ? std::string() : state + ":" + base;
  }
  switch (facts.kind) {
  case kAlertToolStopped: return "tool:" + base + ":" + tool_canonical_name(facts.tool_name);
  case kAlertWrongPins: return "wrong-pins:" + base;
  case kAlertPinLocked: return "pin-locked:" + base;
  case kAlertScamChecked: return "scam:" + base;
  case kAlertOverrideStarted: return std::string();
  default: break; // protection alerts, above
  }
  return std::string();
}

std::string alert_summary_text(int per_hour, int64_t more) {
  return "Callwarden sent you " + std::to_string(per_hour) +
         " alerts about your family's computers within one hour, and " + std::to_string(more) +
         (more == 1 ? " more event" : " more events") + ": see the family page.";
}

int64_t alert_repeat_seconds(const AlertFacts& facts) {
  return alert_repeat_key(0, facts).empty() ? 0 : 10 * 60;
}
