// The day-note host on Windows: the system clock and time zone, the
// process's current folder, and the shell's "open".
#pragma once

#include <string>

#include "daynote/host.h"

namespace daynote {

// A full path as Windows takes it exactly as it is: at any length, with no
// trailing dots or spaces dropped (\\?\ and, for a share, \\?\UNC\).
std::wstring ExtendedLengthPath(const std::wstring& path);

// The system's wording of an error code, without its closing period, naming
// `subject` (a file) if given: in its placeholder %1, or else before it.
std::string SystemMessage(unsigned long error, const std::string& subject = "");

class Win32Host : public DayNoteHost {
 public:
  // `title` is how messages speak of the note: "today's note", "the note".
  explicit Win32Host(std::string title = "today's note") : title_(std::move(title)) {}

  std::string LineEnd() const override { return "\r\n"; }  // as text mode stores "\n"
  std::string FolderName() override;
  Seconds Now() override;
  std::optional<std::tm> LocalTime(Seconds time) override;
  std::optional<std::string> FindEntry(const std::string& name) override;
  std::vector<std::string> ListEntries() override;
  bool IsNoteFile(const std::string& name) override;
  TemplateText ReadTemplate(const std::string& name, std::size_t limit) override;
  std::unique_ptr<PendingNote> CreatePending(const std::string& name) override;
  std::optional<Seconds> DayStart(std::int64_t year, int month, int day) override;
  std::string ComputerName() override;
  Holding Examine(const std::string& name, const std::vector<std::string>& untouched) override;
  bool RemoveUntouched(const std::string& name,
                       const std::vector<std::string>& untouched) override;
  bool TakeCopy(const std::string& note, const std::string& copy,
                const std::vector<std::string>& untouched) override;
  void Open(const std::string& name) override;

 private:
  void RefuseTheWindowsFolderOnce(const std::string& name);

  std::string title_;
  std::optional<std::wstring> allowed_folder_;  // the current folder, once found not Windows'
};

}  // namespace daynote
