#include "api/recipient_key.h"

std::string recipient_limit_key(const std::string& identifier) {
  size_t at = identifier.rfind('@');
  if (at == std::string::npos) {
    if (identifier.size() == 11 && identifier.compare(0, 2, "07") == 0)
      return "+44" + identifier.substr(1);
    return identifier;
  }
  std::string local;
  for (size_t i = 0; i < at; ++i) {
    char c = identifier[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    local.push_back(c);
  }
  std::string domain;
  for (size_t i = at + 1; i < identifier.size(); ++i) {
    char c = identifier[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    domain.push_back(c);
  }
  // Whatever follows a plus reaches the same mailbox at the large providers; a plus at the
  // start is kept, or nothing would be left.
  size_t plus = local.find('+');
  if (plus != std::string::npos && plus > 0) local.resize(plus);
  if (domain == "googlemail.com") domain = "gmail.com";
  if (domain == "gmail.com") {
    std::string undotted;
    for (char c : local) {
      if (c != '.') undotted.push_back(c);
    }
    if (!undotted.empty()) local = undotted;
  }
  return local + "@" + domain;
}
