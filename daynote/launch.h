// The one thing Quorvin does: make sure a day's note (today's, unless asked
// for another) exists in the current folder and have the desktop open it.
#pragma once

#include <vector>

#include "daynote/days.h"
#include "daynote/host.h"
#include "daynote/stamp.h"

namespace daynote {

// A note begins with its header and then holds this file of the notes
// folder, if there is one and it is no larger than the limit.
constexpr char kTemplateName[] = "template.txt";
constexpr std::size_t kTemplateLimit = 65536;  // 64 KiB

// Which note a start is for: its day's, made if missing; or the newest
// existing note before that day, or the oldest after it, never made.
enum class Neighbour { kNone, kPrevious, kNext };
struct NoteRequest {
  DaySpec day;  // today unless given
  Neighbour neighbour = Neighbour::kNone;
};

// The note a start settled on: the entry that stands for it (a new note, or
// an existing entry whose name may differ only in case), and what it has to
// tell although the note is there (a template it could not use, a copy it
// could not tidy away).
struct ChosenNote {
  std::string name;
  std::vector<std::string> warnings;
  // A sync tool's copies of the note that hold other words than it: told
  // once the note is opened (OtherVersionsWarning), left as they are.
  std::vector<std::string> other_versions;
};

// The day asked for, counted from today, falls outside the years a note can
// be named for: the command line is at fault.
class DateRangeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// There is no note before (or after) the day in the folder.
class NoNoteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A request whose day is settled: the stamp of the note's day.
struct SettledRequest {
  NoteStamp day;
  Neighbour neighbour = Neighbour::kNone;
};

// How messages speak of the request's note: "today's note", or "the note".
std::string NoteTitle(const NoteRequest& request);

// The names among `names` of notes before `day`, the newest first, or of
// notes after it, the oldest first; of two spellings of one day, the note's
// own comes first.
std::vector<std::string> NeighbourNotes(const std::vector<std::string>& names, const Date& day,
                                        Neighbour neighbour);

// Settles the request's day: today's from one reading of the clock (which
// throws ClockError when it cannot be read as a date), or the day a DATE
// names. A day counted from today that falls outside the years a note can
// be named for throws DateRangeError: the command line is at fault.
SettledRequest SettleRequest(DayNoteHost& host, const NoteRequest& request);

// Creates the request's note with its header (and the template) if no entry
// of its name exists, or finds the neighbour asked for; opens nothing. A
// note that exists is never written to, and a new one appears under its
// name only once it is whole, as old as the start of its day (or made now,
// for a day to come). A sync tool's copies of the note are then settled
// (SettleCopies), from the start's one listing of the folder. Throws NoNoteError, or NoteError (the note
// cannot be looked up or made; no unfinished copy is left behind unless the
// message says so). Once the note is there, a failed clean-up is only a
// warning.
ChosenNote MakeNote(DayNoteHost& host, const SettledRequest& request);
// Both in one; throws what either throws.
ChosenNote MakeNote(DayNoteHost& host, const NoteRequest& request = {});

// MakeNote for today's note, then asks the host to open it. OpenerError
// comes from the host's Open.
void OpenTodaysNote(DayNoteHost& host);

}  // namespace daynote
