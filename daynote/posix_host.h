// The day-note host on POSIX systems: the system clock and time zone, the
// process's current folder, and an opener program such as xdg-open or the
// user's editor.
#pragma once

#include <sys/stat.h>

#include <ctime>

#include <optional>
#include <string>
#include <vector>

#include "daynote/host.h"
#include "daynote/quoting.h"

namespace daynote {

// The program that opens the note, given the note's full path as its last
// argument. It runs in the foreground and the start ends with its outcome.
struct Opener {
  std::string name;                  // as messages name it
  std::vector<std::string> command;  // looked up on PATH
  std::string hint = "";             // what to do when it is not found
  // Instead of `command`, a command line of the user's for the shell, as
  // editors are given ("code --wait").
  std::string shell_line = "";
};

// The current folder's path; none, errno saying why, when it has none any
// more (it was removed) or a folder above it cannot be read.
std::optional<std::string> CurrentFolderPath();

// The opener was ended by `signal`, or the shell running it said so.
class OpenerEnded : public OpenerError {
 public:
  OpenerEnded(const std::string& message, int signal) : OpenerError(message), signal_(signal) {}
  int signal() const { return signal_; }

 private:
  int signal_;
};

class PosixHost : public DayNoteHost {
 public:
  explicit PosixHost(Opener opener) : opener_(std::move(opener)) {}

  std::string LineEnd() const override { return "\n"; }
  std::string FolderName() override;
  Seconds Now() override;  // throws ClockError when the clock gives no reading
  std::optional<std::tm> LocalTime(Seconds time) override;
  std::optional<std::string> FindEntry(const std::string& name) override;
  std::vector<std::string> ListEntries() override;
  bool IsNoteFile(const std::string& name) override;
  void RemoveLeftCopy(const std::string& name, const std::string& content) override;
  bool SweepsLeftCopies() const override { return true; }
  TemplateText ReadTemplate(const std::string& name, std::size_t limit) override;
  std::unique_ptr<PendingNote> CreatePending(const std::string& name) override;
  void AwaitNote(const std::string& name, std::size_t header_size) override;
  std::optional<Seconds> DayStart(std::int64_t year, int month, int day) override;
  std::string ComputerName() override;
  Holding Examine(const std::string& name, const std::vector<std::string>& untouched) override;
  bool RemoveUntouched(const std::string& name,
                       const std::vector<std::string>& untouched) override;
  bool TakeCopy(const std::string& note, const std::string& copy,
                const std::vector<std::string>& untouched) override;
  bool KnownSettled(const std::string& note) override;
  void NoteSettled(const std::string& note) override;
  void Open(const std::string& name) override;

 private:
  Opener opener_;
  std::optional<struct stat> found_;  // the note, as FindEntry found it by its own name
  std::optional<struct stat> folder_;  // the folder, as KnownSettled found it
  time_t folder_seen_ = 0;             // when
};

}  // namespace daynote
