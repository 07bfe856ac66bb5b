// The one thing Quorvin does: make sure today's note exists in the current
// folder and have the desktop open it.
#pragma once

#include "daynote/host.h"
#include "daynote/stamp.h"

namespace daynote {

// Creates today's note with its header if no entry of its name exists, then
// asks the host to open the note. A note that exists is never written to. If
// a new note cannot be completed it is removed again and NoteError is thrown;
// nothing is opened then. OpenerError comes from the host's Open.
void OpenTodaysNote(DayNoteHost& host);

}  // namespace daynote
