#pragma once
// What the family page says of the last alert texted to a mobile on the list of who gets alerts.
#include <map>
#include <string>

#include "store/store_texts.h"

// "Last alert delivered 9 March 2026 at 14:02.", or plainly that it could not be delivered;
// empty when no alert was texted to this identifier (or it is not a mobile).
std::string text_status_line(const std::map<std::string, TextStatus>& last_alert_texts,
                             const std::string& identifier);
