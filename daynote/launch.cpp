#include "daynote/launch.h"

namespace daynote {
namespace {

// The note gets its name only once it is whole. When another start saved
// it first, it is theirs to have written and ours only to open. Either way
// the note is there once Save returns: what the clean-up then leaves behind
// is told, but does not undo the start.
std::string SaveNewNote(DayNoteHost& host, const std::string& name, const std::string& content) {
  const std::unique_ptr<PendingNote> note = host.CreatePending(name);
  try {
    note->Write(content);
    note->Flush();
    note->Save();
  } catch (const NoteError& failure) {
    try {
      note->Discard();
    } catch (const NoteError& cleanup) {
      throw NoteError(failure, cleanup);
    }
    throw;
  }
  try {
    note->Discard();
  } catch (const NoteError& cleanup) {
    return cleanup.what();
  }
  return "";
}

// The header with the host's line ends, then the template's bytes as they
// are; a template that is there but cannot be used is told.
std::string NewNoteContent(DayNoteHost& host, const NoteStamp& stamp, const std::string& name,
                           std::vector<std::string>& warnings) {
  std::string content;
  for (const char c : NoteHeader(stamp)) content += c == '\n' ? host.LineEnd() : std::string(1, c);
  const TemplateText added = host.ReadTemplate(kTemplateName, kTemplateLimit);
  if (!added.problem.empty()) {
    warnings.push_back(name + " was made with its header alone: " + kTemplateName + " " +
                       added.problem);
  }
  return content + added.bytes;
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
  std::string copy = "." + note + ".";
  for (int i = 0; i < 6; ++i, seed /= 36) copy += "0123456789abcdefghijklmnopqrstuvwxyz"[seed % 36];
  return copy;
}

std::optional<std::string> NeighbourNote(const std::vector<std::string>& names, const Date& day,
                                         Neighbour neighbour) {
  const std::int64_t from = DaysFromDate(day);
  const bool before = neighbour == Neighbour::kPrevious;
  std::optional<std::string> best;
  std::int64_t best_days = 0;
  for (const std::string& name : names) {
    const std::optional<Date> date = NoteDate(name);
    if (!date) continue;
    const std::int64_t days = DaysFromDate(*date);
    if (before ? days >= from : days <= from) continue;
    const bool nearer = !best || (before ? days > best_days : days < best_days);
    // Where case matters, "2026_12_07.TXT" may stand beside the note itself.
    const bool own_spelling = best && days == best_days && name == NoteFileName(DayStamp(0, *date));
    if (nearer || own_spelling) best = name, best_days = days;
  }
  return best;
}

ChosenNote MakeNote(DayNoteHost& host, const NoteRequest& request) {
  const NoteStamp today = MakeNoteStamp(host);
  const std::optional<Date> day = ResolveDay(request.day, DateOf(today));
  if (!day) {
    throw DateRangeError(OutsideTheYears((request.day.offset < 0 ? "" : "+") +
                                         std::to_string(request.day.offset)));
  }
  if (request.neighbour != Neighbour::kNone) {
    const bool before = request.neighbour == Neighbour::kPrevious;
    if (std::optional<std::string> found = NeighbourNote(host.ListEntries(), *day, request.neighbour)) {
      return {*found, {}};
    }
    throw NoNoteError(std::string("no note ") + (before ? "before " : "after ") + IsoDate(*day) +
                      " in " + host.FolderName());
  }

  const NoteStamp stamp = *day == DateOf(today) ? today : DayStamp(today.time, *day);
  const std::string name = NoteFileName(stamp);
  if (const std::optional<std::string> entry = host.FindEntry(name)) return {*entry, {}};
  ChosenNote note{name, {}};
  const std::string content = NewNoteContent(host, stamp, name, note.warnings);
  if (std::string left = SaveNewNote(host, name, content); !left.empty()) {
    note.warnings.push_back(std::move(left));
  }
  return note;
}

void OpenTodaysNote(DayNoteHost& host) { host.Open(MakeNote(host).name); }

}  // namespace daynote
