#include "base/clock_text.h"

#include <ctime>

namespace {

std::string format_utc(int64_t seconds, const char* format) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (!gmtime_r(&t, &parts)) return std::string();
  char text[32];
  size_t length = std::strftime(text, sizeof(text), format, &parts);
  return std::string(text, length);
}

} // namespace

std::string utc_day(int64_t seconds) { return format_utc(seconds, "%Y-%m-%d"); }

std::string utc_timestamp(int64_t seconds) { return format_utc(seconds, "%Y-%m-%dT%H:%M:%SZ"); }

std::string utc_minute(int64_t seconds) { return format_utc(seconds, "%Y-%m-%dT%H:%M"); }
