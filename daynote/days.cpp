#include "daynote/days.h"

#include <cctype>

#include "daynote/quoting.h"

namespace daynote {

// Howard Hinnant's algorithms: whole 400-year eras, each 146097 days, with
// years counted from March so that the leap day ends a year.
std::int64_t DaysFromDate(const Date& date) {
  const std::int64_t year = date.year - (date.month <= 2);
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year =
      (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

Date DateFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t day_of_era = days - era * 146097;
  const std::int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t shifted_month = (5 * day_of_year + 2) / 153;
  const int day = static_cast<int>(day_of_year - (153 * shifted_month + 2) / 5 + 1);
  const int month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  return Date{year_of_era + era * 400 + (month <= 2), month, day};
}

// 1970-01-01 was a Thursday.
int WeekdayOf(std::int64_t days) { return static_cast<int>((days % 7 + 11) % 7); }

bool IsRealDate(std::int64_t year, int month, int day) {
  // By month; a month 0 has no days.
  static const int kDaysInMonth[] = {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > kDaysInMonth[month]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month != 2 || day < 29 || leap;
}

bool IsSupportedYear(std::int64_t year) { return year >= kFirstYear && year <= kLastYear; }

std::string IsoDate(const Date& date) {
  std::string text = std::to_string(date.year);
  text.insert(0, text.size() < 4 ? 4 - text.size() : 0, '0');
  for (const int part : {date.month, date.day}) {
    text += part < 10 ? "-0" : "-";
    text += std::to_string(part);
  }
  return text;
}

namespace {

bool AllDigits(const std::string& text, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return to > from;
}

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string OutsideTheYears(const std::string& text) {
  return "date " + Quoted(text) + " is outside the years " + std::to_string(kFirstYear) + " to " +
         std::to_string(kLastYear);
}

std::optional<DaySpec> ParseDate(const std::string& text, std::string* problem) {
  const std::string word = Lowered(text);
  if (word == "today") return DaySpec{std::nullopt, 0, text};
  if (word == "yesterday") return DaySpec{std::nullopt, -1, text};
  if (word == "tomorrow") return DaySpec{std::nullopt, 1, text};

  if ((text[0] == '+' || text[0] == '-') && AllDigits(text, 1, text.size())) {
    const std::size_t first = text.find_first_not_of('0', 1);
    const std::string digits = first == std::string::npos ? "0" : text.substr(first);
    // More days than four millennia hold is outside every year a note can
    // be named for, from any today; nine digits still count exactly.
    if (digits.size() > 9) {
      *problem = OutsideTheYears(text);
      return std::nullopt;
    }
    const std::int64_t days = std::stoll(digits);
    return DaySpec{std::nullopt, text[0] == '-' ? -days : days, text};
  }

  if (text.size() == 10 && text[4] == '-' && text[7] == '-' && AllDigits(text, 0, 4) &&
      AllDigits(text, 5, 7) && AllDigits(text, 8, 10)) {
    const Date date{std::stoll(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                    std::stoi(text.substr(8, 2))};
    if (!IsRealDate(date.year, date.month, date.day)) {
      *problem = "invalid date " + Quoted(text) + ": the calendar has no such day";
    } else if (!IsSupportedYear(date.year)) {
      *problem = OutsideTheYears(text);
    } else {
      return DaySpec{date, 0, text};
    }
    return std::nullopt;
  }
  *problem = "invalid date " + Quoted(text) + ": give YYYY-MM-DD, today, yesterday, tomorrow, +N or -N";
  return std::nullopt;
}

std::optional<Date> ResolveDay(const DaySpec& asked, const Date& today) {
  const Date day = asked.date ? *asked.date : DateFromDays(DaysFromDate(today) + asked.offset);
  if (!IsSupportedYear(day.year)) return std::nullopt;
  return day;
}

}  // namespace daynote
