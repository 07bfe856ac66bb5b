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

std::string LastFourCharacters(const std::string& text) {
  return text.size() > 4 ? text.substr(text.size() - 4) : text;
}

}  // namespace

NoteStamp MakeNoteStamp(DayNoteHost& host) {
  NoteStamp stamp;
  stamp.time = host.Now();
  stamp.local = host.LocalTime(stamp.time);

  stamp.month = std::to_string(stamp.local.tm_mon + 1);
  if (stamp.month.size() == 1) stamp.month.insert(0, "0");

  stamp.year = LastFourCharacters(std::to_string(stamp.local.tm_year + 1900LL));
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
