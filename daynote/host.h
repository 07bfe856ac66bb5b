// What the day-note logic needs from the machine it runs on: the clock, the
// local calendar, the folder the notes live in and the desktop's "open".
// Each host has one implementation in a file of its own; tests bring fakes.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace daynote {

// Seconds since 1970-01-01 00:00 UTC, 64 bits wide on every host so that
// notes are named correctly after January 2038.
using Seconds = std::int64_t;

// The step at which writing a new note failed.
enum class NoteStep { Create, Write, Flush, Close };

// A new note could not be created, written, flushed or closed. The message
// names the step, the note, the folder and the system's reason.
class NoteError : public std::runtime_error {
 public:
  NoteError(NoteStep step, const std::string& name, const std::string& folder,
            const std::string& reason);
  NoteStep step() const { return step_; }

 private:
  NoteStep step_;
};

// The note is ready but the desktop could not be asked to open it.
class OpenerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A note this run has just created and holds exclusively. Each call throws
// NoteError when the system refuses it. Text is given with "\n" line ends;
// the host stores them as its text files do.
class NoteFile {
 public:
  virtual ~NoteFile() = default;
  virtual void Write(const std::string& text) = 0;
  virtual void Flush() = 0;  // to stable storage, not just out of our buffers
  virtual void Close() = 0;
};

class DayNoteHost {
 public:
  virtual ~DayNoteHost() = default;

  virtual Seconds Now() = 0;
  virtual std::tm LocalTime(Seconds time) = 0;

  // The entry of the current folder that stands for `name`, whatever kind of
  // entry it is: `name` itself, or one that differs from it only in case.
  // Never follows, opens or blocks on the entry.
  virtual std::optional<std::string> FindEntry(const std::string& name) = 0;

  // Creates `name` in the current folder only if no entry of that name exists
  // (a dangling link counts as existing). Returns nullptr when the name is
  // taken; throws NoteError(Create) on any other failure.
  virtual std::unique_ptr<NoteFile> CreateNew(const std::string& name) = 0;

  // Removes a note that this run created but could not complete.
  virtual void Remove(const std::string& name) = 0;

  // Asks the desktop to open the entry `name` of the current folder, by its
  // full path so that no search order can substitute another file.
  virtual void Open(const std::string& name) = 0;
};

}  // namespace daynote
