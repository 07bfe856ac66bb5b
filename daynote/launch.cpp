#include "daynote/launch.h"

#include <algorithm>

#include "daynote/quoting.h"
#include "daynote/sync_copies.h"

namespace daynote {
namespace {

constexpr char kCopyMark[] = ".quorvin-";
constexpr std::size_t kCopyTail = sizeof kCopyMark - 1 + 6;  // the mark, then six of [0-9a-z]

// The note gets its name only once it is whole. When another start saved
// it first, it is theirs to have written and ours only to open: also when
// ours could not be made, written or flushed before that (on a nearly full
// disk, theirs may have taken the room ours lacked). Either way the note is
// there once Save returns: what the clean-up then leaves behind is told,
// but does not undo the start.
void SaveNewNote(DayNoteHost& host, const std::string& content, std::optional<Seconds> time,
                 ChosenNote& note) {
  std::unique_ptr<PendingNote> copy;
  bool saving = false;
  try {
    copy = host.CreatePending(note.name);
    copy->Write(content);
    copy->Flush();
    // After the flush: through FUSE, a write reaching the file system then
    // would date the note anew.
    if (time) copy->SetTime(*time);
    saving = true;
    copy->Save();
  } catch (const NoteError& failure) {
    try {
      if (copy) copy->Discard();
    } catch (const NoteError& cleanup) {
      throw NoteError(failure, cleanup);
    }
    const std::optional<std::string> theirs = saving ? std::nullopt : host.FindEntry(note.name);
    if (!theirs) throw;
    note.name = *theirs;
    return;
  }
  try {
    copy->Discard();
  } catch (const NoteError& cleanup) {
    note.warnings.push_back(cleanup.what());
  }
}

// The header with the host's line ends.
std::string HeaderText(DayNoteHost& host, const NoteStamp& stamp) {
  std::string header;
  for (const char c : NoteHeader(stamp)) header += c == '\n' ? host.LineEnd() : std::string(1, c);
  return header;
}

// The header, then the template's bytes as they are; a template that is
// there but cannot be used is told.
std::string NewNoteContent(DayNoteHost& host, const NoteStamp& stamp, const std::string& name,
                           const TemplateText& added, std::vector<std::string>& warnings) {
  if (!added.problem.empty()) {
    warnings.push_back(Quoted(name) + " was made with its header alone: " + Quoted(kTemplateName) +
                       " in " + host.FolderName() + " " + added.problem);
  }
  return HeaderText(host, stamp) + added.bytes;
}

// Copies that starts killed while they wrote left behind, where the file
// system gave them names: each is checked against what a start writes for
// its day (with today's template) before the host may remove it. The
// start's listing serves where it was taken; a folder that cannot be listed
// is swept by a later start.
void SweepLeftCopies(DayNoteHost& host, std::vector<std::string> names, bool listed,
                     const std::string& template_bytes) {
  try {
    if (!listed) names = host.ListEntries();
  } catch (const NoteError&) {
    return;
  }
  for (const std::string& name : names) {
    if (const std::optional<Date> day = CopiedDay(name)) {
      host.RemoveLeftCopy(name, HeaderText(host, DayStamp(0, *day)) + template_bytes);
    }
  }
}

// A new note is older than anything typed on its day, on any computer: a
// sync tool's "newest wins" (Syncthing's, rclone bisync's, Unison's) then
// keeps the words over a note nobody touched. A day still to come gets the
// time it is made at, never one in the future, which would win over words.
// A calendar day's note needs no clock: where it cannot be read, the note
// keeps the time it was written at.
std::optional<Seconds> NewNoteTime(DayNoteHost& host, const NoteStamp& stamp) {
  const Date date = DateOf(stamp);
  Seconds now = 0;
  try {
    now = host.Now();
  } catch (const ClockError&) {
    return std::nullopt;
  }
  const std::optional<Seconds> start = host.DayStart(date.year, date.month, date.day);
  return start && *start < now ? *start : now;
}

// The contents a start writes for the note's day: its header, and its header
// with the template as it is now.
std::vector<std::string> UntouchedContents(DayNoteHost& host, const NoteStamp& stamp) {
  const std::string header = HeaderText(host, stamp);
  const TemplateText added = host.ReadTemplate(kTemplateName, kTemplateLimit);
  if (added.bytes.empty() || added.others) return {header};
  return {header, header + added.bytes};
}

// The sync tools' copies of the note in the start's listing, settled; false
// when there were none. A note this start `made` is given no copy's words: a
// sync tool may be between its two renames, its version about to take the
// note's name; the next start takes the copy. A copy a start moved aside to
// remove, and was ended before it could judge it again, is told.
bool SettleCopiesOf(DayNoteHost& host, const std::vector<std::string>& entries, bool made,
                    ChosenNote& note) {
  const std::optional<Date> day = NoteDate(note.name);
  if (!day) return false;
  const std::string computer = host.ComputerName();
  for (const std::string& entry : entries) {
    const std::optional<std::string> aside = CopiedName(entry);
    if (aside && IsConflictCopy(*aside, note.name, computer)) {
      note.warnings.push_back(Quoted(entry) + " is " + Quoted(*aside) +
                              ", left aside by a start that was ended: it may hold another version of " +
                              Quoted(note.name));
    }
  }
  const std::vector<std::string> copies = ConflictCopies(entries, note.name, computer);
  if (copies.empty()) return false;  // the template is read only when there is something to settle
  CopiesSettled settled =
      SettleCopies(host, copies, note.name, UntouchedContents(host, DayStamp(0, *day)), !made);
  note.other_versions = std::move(settled.other_versions);
  for (std::string& warning : settled.warnings) note.warnings.push_back(std::move(warning));
  return true;
}

}  // namespace

NoteError::NoteError(NoteStep step, const std::string& name, const std::string& folder,
                     const std::string& reason)
    : std::runtime_error([&] {
        static const char* const kVerbs[] = {"look for", "create", "write",
                                             "flush",    "save",   "remove"};
        return std::string("cannot ") + kVerbs[static_cast<int>(step)] + " " + name + " in " +
               folder + ": " + reason;
      }()),
      step_(step) {}

NoteError::NoteError(const NoteError& failure, const NoteError& cleanup)
    : std::runtime_error(std::string(failure.what()) + "; " + cleanup.what()),
      step_(failure.step()) {}

std::string CopyName(const std::string& note, std::uint64_t seed) {
  std::string copy = "." + note + kCopyMark;
  for (int i = 0; i < 6; ++i, seed /= 36) copy += "0123456789abcdefghijklmnopqrstuvwxyz"[seed % 36];
  return copy;
}

std::optional<std::string> CopiedName(const std::string& entry) {
  if (entry.size() <= kCopyTail + 1 || entry[0] != '.' ||
      entry.compare(entry.size() - kCopyTail, kCopyTail - 6, kCopyMark) != 0) {
    return std::nullopt;
  }
  for (std::size_t i = entry.size() - 6; i < entry.size(); ++i) {
    const char c = entry[i];
    if ((c < '0' || c > '9') && (c < 'a' || c > 'z')) return std::nullopt;
  }
  return entry.substr(1, entry.size() - 1 - kCopyTail);
}

std::optional<Date> CopiedDay(const std::string& entry) {
  // CopyName is given the note's own spelling only.
  const std::optional<std::string> copied = CopiedName(entry);
  const std::optional<Date> day = copied ? NoteDate(*copied) : std::nullopt;
  if (!day || *copied != NoteFileName(DayStamp(0, *day))) return std::nullopt;
  return day;
}

std::vector<std::string> NeighbourNotes(const std::vector<std::string>& names, const Date& day,
                                        Neighbour neighbour) {
  const std::int64_t from = DaysFromDate(day);
  const bool before = neighbour == Neighbour::kPrevious;
  // Twice the days away, one more for a spelling that is not the note's own
  // ("2026_12_07.TXT" may stand beside the note where case matters), with
  // the entry's place in the listing: plain numbers sort quickly and small.
  std::vector<std::pair<std::int64_t, std::size_t>> found;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    const std::optional<Date> date = NoteDate(name);
    if (!date) continue;
    const std::int64_t away = before ? from - DaysFromDate(*date) : DaysFromDate(*date) - from;
    if (away > 0) found.emplace_back(away * 2 + (name.compare(name.size() - 4, 4, ".txt") != 0), i);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> nearest;
  nearest.reserve(found.size());
  for (const auto& entry : found) nearest.push_back(names[entry.second]);
  return nearest;
}

std::string NoteTitle(const NoteRequest& request) {
  const bool today =
      request.neighbour == Neighbour::kNone && !request.day.date && !request.day.offset;
  return today ? "today's note" : "the note";
}

SettledRequest SettleRequest(DayNoteHost& host, const NoteRequest& request) {
  // A day of the calendar needs no clock.
  if (request.day.date) return {DayStamp(0, *request.day.date), request.neighbour};
  const NoteStamp today = MakeNoteStamp(host);
  const std::optional<Date> day = ResolveDay(request.day, DateOf(today));
  if (!day) throw DateRangeError(OutsideTheYears(request.day.text));
  return {*day == DateOf(today) ? today : DayStamp(today.time, *day), request.neighbour};
}

ChosenNote MakeNote(DayNoteHost& host, const SettledRequest& request) {
  // The start's one listing of the folder, shared by all that needs one.
  std::vector<std::string> entries;
  if (request.neighbour != Neighbour::kNone) {
    entries = host.ListEntries();
    const bool before = request.neighbour == Neighbour::kPrevious;
    const Date day = DateOf(request.day);
    // An entry named like a note that cannot be one (a folder, a FIFO, a
    // link to nothing) is passed over for the next nearest.
    for (const std::string& found : NeighbourNotes(entries, day, request.neighbour)) {
      if (!host.IsNoteFile(found)) continue;
      ChosenNote note{found, {}, {}};
      SettleCopiesOf(host, entries, false, note);
      return note;
    }
    throw NoNoteError(std::string("no note ") + (before ? "before " : "after ") + IsoDate(day) +
                      " in " + host.FolderName());
  }

  // A folder we may enter but not list (mode 0300) still takes notes: its
  // copies cannot be seen, and are not settled. One known to hold none of
  // the note's copies, as a start found it, is not listed again.
  const std::string name = NoteFileName(request.day);
  bool listed = false;
  try {
    if (!host.KnownSettled(name)) entries = host.ListEntries(), listed = true;
  } catch (const NoteError&) {
  }
  ChosenNote note{name, {}, {}};
  const std::optional<std::string> found = host.FindEntry(name);
  if (found) {
    note.name = *found;
  } else {
    const TemplateText added = host.ReadTemplate(kTemplateName, kTemplateLimit);
    SaveNewNote(host, NewNoteContent(host, request.day, name, added, note.warnings),
                NewNoteTime(host, request.day), note);
    if (host.SweepsLeftCopies()) SweepLeftCopies(host, entries, listed, added.bytes);
    listed = false;  // the folder changed since: nothing to remember
  }
  // Another spelling is an entry stored as such, never one being written.
  if (note.name == name) host.AwaitNote(name, HeaderText(host, request.day).size());
  if (!SettleCopiesOf(host, entries, !found, note) && listed) host.NoteSettled(name);
  return note;
}

ChosenNote MakeNote(DayNoteHost& host, const NoteRequest& request) {
  return MakeNote(host, SettleRequest(host, request));
}

void OpenTodaysNote(DayNoteHost& host) { host.Open(MakeNote(host).name); }

}  // namespace daynote
