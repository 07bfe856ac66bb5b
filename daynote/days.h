// Days of the proleptic Gregorian calendar, without the C library: another
// day's note is named from today's local date by counting days, which no
// time zone or daylight rule may shift.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace daynote {

// Note names hold years of at most four digits, and there was no year 0.
constexpr std::int64_t kFirstYear = 1;
constexpr std::int64_t kLastYear = 9999;

struct Date {
  std::int64_t year;
  int month;  // 1..12
  int day;    // 1..31
  bool operator==(const Date& other) const {
    return year == other.year && month == other.month && day == other.day;
  }
};

// Days since 1970-01-01; and back.
std::int64_t DaysFromDate(const Date& date);
Date DateFromDays(std::int64_t days);
// 0 = Sunday.
int WeekdayOf(std::int64_t days);
// Whether the calendar has that day (any year; 29 February only in leap years).
bool IsRealDate(std::int64_t year, int month, int day);
bool IsSupportedYear(std::int64_t year);

// "2026-12-08", as DATE is given on the command line.
std::string IsoDate(const Date& date);

// What is wrong with the DATE given as `text` when its day has no note name.
std::string OutsideTheYears(const std::string& text);

// A DATE of the command line: a day of the calendar, or a number of days
// from today's local date.
struct DaySpec {
  std::optional<Date> date;  // none: `offset` days from today
  std::int64_t offset = 0;
  std::string text = "today";  // as given, for messages
};

// Reads YYYY-MM-DD, today, yesterday, tomorrow, +N or -N; none, with
// `problem` saying why, for anything else or a day the calendar does not
// have.
std::optional<DaySpec> ParseDate(const std::string& text, std::string* problem);

// The day `asked` names when today is `today`; none when it falls outside
// the years notes can be named for.
std::optional<Date> ResolveDay(const DaySpec& asked, const Date& today);

}  // namespace daynote
