#include "daynote/launch.h"

#include <algorithm>

#include "daynote/quoting.h"

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
void SaveNewNote(DayNoteHost& host, const std::string& content, ChosenNote& note) {
  std::unique_ptr<PendingNote> copy;
  bool saving = false;
  try {
    copy = host.CreatePending(note.name);
    copy->Write(content);
    copy->Flush();
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
// its day (with today's template) before the host may remove it. A folder
// that cannot be listed is swept by a later start.
void SweepLeftCopies(DayNoteHost& host, const std::string& template_bytes) {
  std::vector<std::string> names;
  try {
    names = host.ListEntries();
  } catch (const NoteError&) {
    return;
  }
  for (const std::string& name : names) {
    if (const std::optional<Date> day = CopiedDay(name)) {
      host.RemoveLeftCopy(name, HeaderText(host, DayStamp(0, *day)) + template_bytes);
    }
  }
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

std::optional<Date> CopiedDay(const std::string& entry) {
  if (entry.size() <= kCopyTail + 1 || entry[0] != '.' ||
      entry.compare(entry.size() - kCopyTail, kCopyTail - 6, kCopyMark) != 0) {
    return std::nullopt;
  }
  for (std::size_t i = entry.size() - 6; i < entry.size(); ++i) {
    const char c = entry[i];
    if ((c < '0' || c > '9') && (c < 'a' || c > 'z')) return std::nullopt;
  }
  // CopyName is given the note's own spelling only.
  const std::string copied = entry.substr(1, entry.size() - 1 - kCopyTail);
  const std::optional<Date> day = NoteDate(copied);
  if (!day || copied != NoteFileName(DayStamp(0, *day))) return std::nullopt;
  return day;
}

std::vector<std::string> NeighbourNotes(const std::vector<std::string>& names, const Date& day,
                                        Neighbour neighbour) {
  const std::int64_t from = DaysFromDate(day);
  const bool before = neighbour == Neighbour::kPrevious;
  // Twice the days away, one more for a spelling that is not the note's own
  // ("2026_12_07.TXT" may stand beside the note where case matters).
  std::vector<std::pair<std::int64_t, std::string>> found;
  for (const std::string& name : names) {
    const std::optional<Date> date = NoteDate(name);
    if (!date) continue;
    const std::int64_t away = before ? from - DaysFromDate(*date) : DaysFromDate(*date) - from;
    if (away > 0) found.emplace_back(away * 2 + (name.compare(name.size() - 4, 4, ".txt") != 0), name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> nearest;
  nearest.reserve(found.size());
  for (auto& entry : found) nearest.push_back(std::move(entry.second));
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
  if (request.neighbour != Neighbour::kNone) {
    const bool before = request.neighbour == Neighbour::kPrevious;
    const Date day = DateOf(request.day);
    // An entry named like a note that cannot be one (a folder, a FIFO, a
    // link to nothing) is passed over for the next nearest.
    for (const std::string& found : NeighbourNotes(host.ListEntries(), day, request.neighbour)) {
      if (host.IsNoteFile(found)) return {found, {}};
    }
    throw NoNoteError(std::string("no note ") + (before ? "before " : "after ") + IsoDate(day) +
                      " in " + host.FolderName());
  }

  const std::string name = NoteFileName(request.day);
  ChosenNote note{name, {}};
  if (const std::optional<std::string> entry = host.FindEntry(name)) {
    note.name = *entry;
  } else {
    const TemplateText added = host.ReadTemplate(kTemplateName, kTemplateLimit);
    SaveNewNote(host, NewNoteContent(host, request.day, name, added, note.warnings), note);
    if (host.SweepsLeftCopies()) SweepLeftCopies(host, added.bytes);
  }
  // Another spelling is an entry stored as such, never one being written.
  if (note.name == name) host.AwaitNote(name, HeaderText(host, request.day).size());
  return note;
}

ChosenNote MakeNote(DayNoteHost& host, const NoteRequest& request) {
  return MakeNote(host, SettleRequest(host, request));
}

void OpenTodaysNote(DayNoteHost& host) { host.Open(MakeNote(host).name); }

}  // namespace daynote
