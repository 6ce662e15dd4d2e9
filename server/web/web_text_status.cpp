#include "web/web_text_status.h"

#include "base/mobile_number.h"
#include "base/uk_time.h"

std::string text_status_line(const std::map<std::string, TextStatus>& last_alert_texts,
                             const std::string& identifier) {
  auto found = last_alert_texts.find(international_mobile(identifier));
  if (identifier.empty() || found == last_alert_texts.end()) return std::string();
  const TextStatus& text = found->second;
  const std::string sent = uk_date_time(text.created_at);
  if (text.report == "delivered")
    return "Last alert delivered " + uk_date_time(text.report_at) + ".";
  if (text.report == "failed" || text.state == "given_up")
    return "The last alert (" + sent + ") could not be delivered to this number.";
  if (text.state == "sent") return "Last alert sent " + sent + "; not yet confirmed delivered.";
  return "The last alert (" + sent + ") is still being sent.";
}
