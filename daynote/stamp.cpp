#include "daynote/stamp.h"

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
  static const int kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const long long year = local.tm_year + 1900LL;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (year < 1 || year > 9999 || local.tm_mon < 0 || local.tm_mon > 11 || local.tm_wday < 0 ||
      local.tm_wday > 6 || local.tm_mday < 1 || local.tm_mday > kDaysInMonth[local.tm_mon]) {
    return false;
  }
  return local.tm_mon != 1 || local.tm_mday < 29 || leap;
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

  stamp.month = std::to_string(stamp.local.tm_mon + 1);
  if (stamp.month.size() == 1) stamp.month.insert(0, "0");

  stamp.year = std::to_string(stamp.local.tm_year + 1900);
  stamp.day = Format(stamp.local, "%d");
  return stamp;
}

std::string NoteFileName(const NoteStamp& stamp) {
  return stamp.year + "_" + stamp.month + "_" + stamp.day + ".txt";
}

std::string NoteHeader(const NoteStamp& stamp) {
  return stamp.year + "/" + stamp.month + "/" + stamp.day + Format(stamp.local, "   %A") + "\n\n";
}

}  // namespace daynote
