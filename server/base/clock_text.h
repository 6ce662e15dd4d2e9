#pragma once
// Times as the service writes them, always in UTC.
#include <cstdint>
#include <string>

std::string utc_day(int64_t seconds);       // "2025-03-01": free checks are counted per day
std::string utc_timestamp(int64_t seconds); // "2025-03-01T09:30:00Z"
std::string utc_minute(int64_t seconds);    // "2025-03-01T09:30": counts kept per minute
