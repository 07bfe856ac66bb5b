#include "daynote/launch.h"

namespace daynote {
namespace {

// Creation is exclusive: if another start made the note since we looked, it
// is that start's to write and ours only to open.
void WriteNewNote(DayNoteHost& host, const std::string& name, const std::string& header) {
  std::unique_ptr<NoteFile> file = host.CreateNew(name);
  if (!file) return;
  try {
    file->Write(header);
    file->Flush();
    file->Close();
  } catch (...) {
    // The file holds nothing of the user's; a half-written note left behind
    // would count as present at the next start and never get its header.
    file.reset();
    host.Remove(name);
    throw;
  }
}

}  // namespace

NoteError::NoteError(NoteStep step, const std::string& name, const std::string& folder,
                     const std::string& reason)
    : std::runtime_error([&] {
        static const char* const kVerbs[] = {"create", "write", "flush", "close"};
        return std::string("cannot ") + kVerbs[static_cast<int>(step)] + " " + name + " in " +
               folder + ": " + reason;
      }()),
      step_(step) {}

void OpenTodaysNote(DayNoteHost& host) {
  const NoteStamp stamp = MakeNoteStamp(host);
  const std::string name = NoteFileName(stamp);
  std::optional<std::string> entry = host.FindEntry(name);
  if (!entry) {
    WriteNewNote(host, name, NoteHeader(stamp));
    entry = name;
  }
  host.Open(*entry);
}

}  // namespace daynote
