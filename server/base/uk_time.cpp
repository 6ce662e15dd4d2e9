#include "base/uk_time.h"

#include <cstdio>

namespace {

const int64_t kDay = 24 * 60 * 60;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t days_from_civil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civil_from_days(int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// 01:00 UTC on the last Sunday of the month.
int64_t last_sunday_one_am(int year, int month) {
  const int64_t last = days_from_civil(year, month, 31); // March and October both have 31
  const int64_t weekday = ((last + 4) % 7 + 7) % 7;      // 1970-01-01 was a Thursday (4)
  return (last - weekday) * kDay + 60 * 60;
}

} // namespace

UkTime uk_time(int64_t utc_seconds) {
  int y = 0, m = 0, d = 0;
  civil_from_days(floor_div(utc_seconds, kDay), &y, &m, &d);
  const bool summer =
      utc_seconds >= last_sunday_one_am(y, 3) && utc_seconds < last_sunday_one_am(y, 10);
  const int64_t local = utc_seconds + (summer ? 60 * 60 : 0);
  const int64_t day = floor_div(local, kDay);
  const int64_t second_of_day = local - day * kDay;
  UkTime out{};
  civil_from_days(day, &out.year, &out.month, &out.day);
  out.hour = static_cast<int>(second_of_day / 3600);
  out.minute = static_cast<int>(second_of_day % 3600 / 60);
  out.summer = summer;
  return out;
}

std::string uk_clock(int64_t utc_seconds) {
  UkTime t = uk_time(utc_seconds);
  char text[8];
  std::snprintf(text, sizeof(text), "%02d:%02d", t.hour % 100, t.minute % 100);
  return text;
}

std::string uk_date_time(int64_t utc_seconds) {
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  UkTime t = uk_time(utc_seconds);
  return std::to_string(t.day) + " " + kMonths[(t.month - 1) % 12] + " " + std::to_string(t.year) +
         " at " + uk_clock(utc_seconds);
}
