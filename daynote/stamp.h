// Today's note name and header, from one reading of the clock.
#pragma once

#include <ctime>
#include <string>

#include "daynote/host.h"

namespace daynote {

struct NoteStamp {
  Seconds time = 0;   // the one clock reading everything below comes from
  std::string year;   // decimal, 1 to 9999
  std::string month;  // "01" to "12"
  std::string day;    // "01" to "31"
  std::tm local{};    // `time` in the local calendar, for the weekday name
};

// Throws ClockError when the local calendar cannot place the reading.
NoteStamp MakeNoteStamp(DayNoteHost& host);

// "2002_09_14.txt": a bare name, to be resolved in the current folder.
std::string NoteFileName(const NoteStamp& stamp);

// "2002/09/14   Saturday\n\n"
std::string NoteHeader(const NoteStamp& stamp);

}  // namespace daynote
