// The day-note host on Windows: the system clock and time zone, the
// process's current folder, and the shell's "open".
#pragma once

#include "daynote/host.h"

namespace daynote {

class Win32Host : public DayNoteHost {
 public:
  Seconds Now() override;
  std::optional<std::tm> LocalTime(Seconds time) override;
  std::optional<std::string> FindEntry(const std::string& name) override;
  std::unique_ptr<PendingNote> CreatePending(const std::string& name) override;
  void Open(const std::string& name) override;
};

}  // namespace daynote
