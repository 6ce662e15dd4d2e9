#pragma once
// Times as a family in the UK reads them: Europe/London, GMT in winter and BST (UTC+1) from
// 01:00 UTC on the last Sunday of March to 01:00 UTC on the last Sunday of October. Worked
// out here rather than through TZ, which is process-wide and not safe to change while the
// request threads run.
#include <cstdint>
#include <string>

struct UkTime {
  int year;
  int month; // 1-12
  int day;   // 1-31
  int hour;
  int minute;
  bool summer; // BST
};

UkTime uk_time(int64_t utc_seconds);
// "14:02"
std::string uk_clock(int64_t utc_seconds);
// "9 March 2026 at 14:02"
std::string uk_date_time(int64_t utc_seconds);
