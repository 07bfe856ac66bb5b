// The day-note host on POSIX systems: the system clock and time zone, the
// process's current folder, and an opener program such as xdg-open.
#pragma once

#include <string>

#include "daynote/host.h"

namespace daynote {

class PosixHost : public DayNoteHost {
 public:
  // `opener` is looked up on PATH and run with the note's full path.
  explicit PosixHost(std::string opener) : opener_(std::move(opener)) {}

  Seconds Now() override;
  std::tm LocalTime(Seconds time) override;
  std::optional<std::string> FindEntry(const std::string& name) override;
  std::unique_ptr<NoteFile> CreateNew(const std::string& name) override;
  void Remove(const std::string& name) override;
  void Open(const std::string& name) override;

 private:
  std::string opener_;
};

}  // namespace daynote
