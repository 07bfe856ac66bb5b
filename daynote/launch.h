// The one thing Quorvin does: make sure today's note exists in the current
// folder and have the desktop open it.
#pragma once

#include "daynote/host.h"
#include "daynote/stamp.h"

namespace daynote {

// Creates today's note with its header if no entry of its name exists, then
// asks the host to open the note. A note that exists is never written to,
// and a new one appears under its name only once it is whole. Nothing is
// opened when ClockError or NoteError is thrown: the clock cannot be read
// as a date, or the note cannot be looked up or made (no unfinished copy is
// left behind unless the message says so). OpenerError comes from the
// host's Open.
void OpenTodaysNote(DayNoteHost& host);

}  // namespace daynote
