#include "daynote/stamp.h"

#include <cctype>

namespace daynote {
namespace {

// The process never sets a locale, so "%A" gives English day names whatever
// the user's language is.
std::string Format(const std::tm& local, const char* format) {
  char text[64];
  const std::size_t length = std::strftime(text, sizeof text, format, &local);
  return std::string(text, length);
}

// Note names hold years of at most four digits: a later year cut to four
// would name another year's note.
bool IsCalendarDate(const std::tm& local) {
  const long long year = local.tm_year + 1900LL;
  return IsSupportedYear(year) && local.tm_wday >= 0 && local.tm_wday <= 6 &&
         IsRealDate(year, local.tm_mon + 1, local.tm_mday);
}

// The texts of the day in `stamp.local`.
NoteStamp& Fill(NoteStamp& stamp) {
  stamp.month = std::to_string(stamp.local.tm_mon + 1);
  if (stamp.month.size() == 1) stamp.month.insert(0, "0");

  stamp.year = std::to_string(stamp.local.tm_year + 1900);
  stamp.day = Format(stamp.local, "%d");
  return stamp;
}

}  // namespace

NoteStamp MakeNoteStamp(DayNoteHost& host) {
  NoteStamp stamp;
  stamp.time = host.Now();
  const std::optional<std::tm> local = host.LocalTime(stamp.time);
  // A note named after a day that does not exist would be found by no one.
  if (!local || !IsCalendarDate(*local)) {
    throw ClockError("cannot name today's note: the clock reads " + std::to_string(stamp.time) +
                     " seconds since 1970, which the local calendar cannot place");
  }
  stamp.local = *local;
  return Fill(stamp);
}

NoteStamp DayStamp(Seconds reading, const Date& date) {
  NoteStamp stamp;
  stamp.time = reading;
  stamp.local.tm_year = static_cast<int>(date.year - 1900);
  stamp.local.tm_mon = date.month - 1;
  stamp.local.tm_mday = date.day;
  stamp.local.tm_wday = WeekdayOf(DaysFromDate(date));
  return Fill(stamp);
}

Date DateOf(const NoteStamp& stamp) {
  return Date{stamp.local.tm_year + 1900LL, stamp.local.tm_mon + 1, stamp.local.tm_mday};
}

std::string NoteFileName(const NoteStamp& stamp) {
  return stamp.year + "_" + stamp.month + "_" + stamp.day + ".txt";
}

std::string NoteHeader(const NoteStamp& stamp) {
  return stamp.year + "/" + stamp.month + "/" + stamp.day + Format(stamp.local, "   %A") + "\n\n";
}

std::optional<Date> NoteDate(const std::string& name) {
  // "Y_MM_DD.txt" to "YYYY_MM_DD.txt"; the year as NoteFileName writes it.
  if (name.size() < 11 || name.size() > 14 || name[0] == '0') return std::nullopt;
  const std::size_t year_digits = name.size() - 10;
  std::int64_t year = 0;
  for (std::size_t i = 0; i < year_digits; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
    year = year * 10 + (name[i] - '0');
  }
  const auto digit = [&](std::size_t at) {
    return std::isdigit(static_cast<unsigned char>(name[at])) ? name[at] - '0' : -100;
  };
  const std::size_t at = year_digits;
  const int month = digit(at + 1) * 10 + digit(at + 2);
  const int day = digit(at + 4) * 10 + digit(at + 5);
  std::string extension = name.substr(at + 6);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name[at] != '_' || name[at + 3] != '_' || extension != ".txt" ||
      !IsRealDate(year, month, day)) {
    return std::nullopt;
  }
  return Date{year, month, day};
}

}  // namespace daynote
