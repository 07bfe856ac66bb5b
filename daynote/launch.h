// The one thing Quorvin does: make sure today's note exists in the current
// folder and have the desktop open it.
#pragma once

#include "daynote/host.h"
#include "daynote/stamp.h"

namespace daynote {

// What a start made of today's note: the entry that stands for it (the new
// note, or an existing entry whose name differs only in case), and what it
// could not tidy up although the note is whole (a copy left beside it).
struct TodaysNote {
  std::string name;
  std::string warning;  // empty when nothing is left to tell
};

// Creates today's note with its header if no entry of its name exists; opens
// nothing. Throws as OpenTodaysNote does, but never OpenerError: once the
// note exists whole, a failed clean-up is only a warning.
TodaysNote MakeTodaysNote(DayNoteHost& host);

// Creates today's note with its header if no entry of its name exists, then
// asks the host to open the note. A note that exists is never written to,
// and a new one appears under its name only once it is whole. Nothing is
// opened when ClockError or NoteError is thrown: the clock cannot be read
// as a date, or the note cannot be looked up or made (no unfinished copy is
// left behind unless the message says so). OpenerError comes from the
// host's Open.
void OpenTodaysNote(DayNoteHost& host);

}  // namespace daynote
