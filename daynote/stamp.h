// A day's note name and header: today's from one reading of the clock, or
// another day's counted from it.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "daynote/days.h"
#include "daynote/host.h"

namespace daynote {

struct NoteStamp {
  Seconds time = 0;   // the one clock reading everything below comes from
  std::string year;   // decimal, 1 to 9999
  std::string month;  // "01" to "12"
  std::string day;    // "01" to "31"
  std::tm local{};    // the day in the local calendar, for the weekday name
};

// Throws ClockError when the local calendar cannot place the reading.
NoteStamp MakeNoteStamp(DayNoteHost& host);

// `date`'s stamp, as today's would be on that day; `reading` is kept as the
// clock reading it was counted from. `date` is a real day of a supported year.
NoteStamp DayStamp(Seconds reading, const Date& date);

// The stamp's day.
Date DateOf(const NoteStamp& stamp);

// "2002_09_14.txt": a bare name, to be resolved in the current folder.
std::string NoteFileName(const NoteStamp& stamp);

// "2002/09/14   Saturday\n\n"
std::string NoteHeader(const NoteStamp& stamp);

// The day of a note named as NoteFileName names one, ".txt" in any case;
// none for any other name, or a day the calendar does not have.
std::optional<Date> NoteDate(const std::string& name);

}  // namespace daynote
