#include "daynote/launch.h"

namespace daynote {
namespace {

// The note gets its name only once it is whole. When another start saved
// it first, it is theirs to have written and ours only to open. Either way
// the note is there once Save returns: what the clean-up then leaves behind
// is told, but does not undo the start.
std::string SaveNewNote(DayNoteHost& host, const std::string& name, const std::string& header) {
  const std::unique_ptr<PendingNote> note = host.CreatePending(name);
  try {
    note->Write(header);
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

TodaysNote MakeTodaysNote(DayNoteHost& host) {
  const NoteStamp stamp = MakeNoteStamp(host);
  const std::string name = NoteFileName(stamp);
  if (const std::optional<std::string> entry = host.FindEntry(name)) return {*entry, ""};
  return {name, SaveNewNote(host, name, NoteHeader(stamp))};
}

void OpenTodaysNote(DayNoteHost& host) { host.Open(MakeTodaysNote(host).name); }

}  // namespace daynote
