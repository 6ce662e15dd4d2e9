#include "base/mobile_number.h"

bool is_uk_mobile(const std::string& canonical) {
  if (canonical.size() != 11 || canonical.compare(0, 2, "07") != 0) return false;
  for (char c : canonical) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string international_mobile(const std::string& canonical) {
  return is_uk_mobile(canonical) ? "44" + canonical.substr(1) : std::string();
}
