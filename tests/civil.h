// Calendar arithmetic that does not go through the C library, to check the
// dates the hosts' local-time conversions give against.
#pragma once

#include <cstdint>

namespace civil {

struct Date {
  std::int64_t year;
  int month;  // 1..12
  int day;    // 1..31
};

// Days since 1970-01-01 of a proleptic Gregorian date.
inline std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

inline Date CivilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return Date{yoe + era * 400 + (month <= 2), month, day};
}

// 0 = Sunday; 1970-01-01 was a Thursday.
inline int WeekdayFromDays(std::int64_t z) { return static_cast<int>((z % 7 + 11) % 7); }

inline const char* WeekdayName(int weekday) {
  static const char* const kNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
  return kNames[weekday];
}

}  // namespace civil
