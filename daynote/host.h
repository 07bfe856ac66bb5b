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
#include <vector>

namespace daynote {

// Seconds since 1970-01-01 00:00 UTC, 64 bits wide on every host so that
// notes are named correctly after January 2038.
using Seconds = std::int64_t;

// The step of a start at which the note could not be made.
enum class NoteStep { Look, Create, Write, Flush, Save, Remove };

// Today's note could not be looked up, created, written, flushed or saved
// under its name, or an unfinished copy could not be removed. The message
// names the step, the entry, the folder and the system's reason.
class NoteError : public std::runtime_error {
 public:
  NoteError(NoteStep step, const std::string& name, const std::string& folder,
            const std::string& reason);
  // A failure whose clean-up failed too: both are told.
  NoteError(const NoteError& failure, const NoteError& cleanup);
  NoteStep step() const { return step_; }

 private:
  NoteStep step_;
};

// The clock reads a time that the local calendar cannot place.
class ClockError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The note is ready but the desktop could not be asked to open it.
class OpenerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A new note's content in an entry of the note's folder that no other start
// can see or take for the note. It gets the note's name only once it holds
// the whole content on stable storage, so that nobody ever finds a note that
// is not whole. Bytes are stored as they are given. Each call throws
// NoteError when the system refuses it.
class PendingNote {
 public:
  virtual ~PendingNote() = default;  // drops whatever was not saved, quietly
  virtual void Write(const std::string& bytes) = 0;
  virtual void Flush() = 0;  // to stable storage, not just out of our buffers
  // Gives the content the modification time `time`, once it is all written
  // and flushed, and before it gets the note's name. Best effort: a file system that
  // keeps no such time, or refuses it, costs the note nothing else.
  virtual void SetTime(Seconds time) = 0;
  // Gives the content the note's name unless an entry holds that name (or
  // one that differs only in case, where the system compares names so);
  // then another start was first, and nothing of theirs is replaced.
  virtual void Save() = 0;
  // Removes what is left of the copy besides the saved note: all of it when
  // it was not saved. NoteError(Remove) names what stays behind.
  virtual void Discard() = 0;
};

// A hidden name beside the note for its unfinished copy, where the host
// needs one, made of `seed`: ".2026_12_07.txt.k3x9qa".
std::string CopyName(const std::string& note, std::uint64_t seed);

// A note template's bytes, or why the one that is there cannot be used.
struct TemplateText {
  std::string bytes;    // empty when there is none
  std::string problem;  // "is larger than 64 KiB"; empty when it can be used or is absent
};

// Whether `entry` is such a name for a note of a day before the day before
// `note`'s: no start still running can own it, so it was left by one killed
// long ago.
bool IsStaleCopy(const std::string& entry, const std::string& note);

// What an entry holds, judged against the bytes of the note untouched: as a
// start writes it for its day.
enum class Holding {
  kUntouched,  // a regular file of exactly those bytes
  kText,       // a regular file of any other bytes: someone's words
  kOther,      // no regular file (a link, a folder, a FIFO), gone, or unreadable
};

class DayNoteHost {
 public:
  virtual ~DayNoteHost() = default;

  // How the host's text files end their lines: "\n", or "\r\n".
  virtual std::string LineEnd() const = 0;
  // The current folder as messages name it.
  virtual std::string FolderName() = 0;

  virtual Seconds Now() = 0;
  // `time` in the local calendar: its date and weekday (the time of day and
  // the day of the year may be left 0); none when the calendar cannot place it.
  virtual std::optional<std::tm> LocalTime(Seconds time) = 0;

  // The entry of the current folder that stands for `name`, whatever kind of
  // entry it is: `name` itself, or one that differs from it only in case.
  // Never follows, opens or blocks on the entry. A look-up that fails for
  // any reason but the entry's absence throws NoteError(Look): an entry we
  // cannot see may still be the user's note.
  virtual std::optional<std::string> FindEntry(const std::string& name) = 0;

  // The names of every entry of the current folder, in one listing; throws
  // NoteError(Look) when the folder cannot be listed.
  virtual std::vector<std::string> ListEntries() = 0;

  // The regular file `name` of the current folder, a link to one included,
  // if it holds at most `limit` bytes. Never blocks (on a FIFO, say); none
  // at all is no problem.
  virtual TemplateText ReadTemplate(const std::string& name, std::size_t limit) = 0;

  // Starts a new note to be saved as `name` in the current folder; throws
  // NoteError(Create) when the folder refuses.
  virtual std::unique_ptr<PendingNote> CreatePending(const std::string& name) = 0;

  // Called with the note's own name once it was found or saved, before it is
  // handed over. Where a start may write a note under its name (a file system
  // that can neither link nor rename without replacing), another start may
  // still be writing it: waits, bounded, until it holds `header_size` bytes,
  // and throws NoteError(Look) if it vanished. Where notes are named only
  // once whole there is nothing to wait for.
  virtual void AwaitNote(const std::string& /*name*/, std::size_t /*header_size*/) {}

  // The start of the day `year`-`month`-`day` in the local calendar; none
  // when the calendar cannot place it.
  virtual std::optional<Seconds> DayStart(std::int64_t year, int month, int day) = 0;

  // This computer's name, as OneDrive puts it into its copies' names.
  virtual std::string ComputerName() = 0;

  // What the entry `name` of the current folder holds, as against the
  // `untouched` contents; never follows a link, nor blocks on a FIFO.
  virtual Holding Examine(const std::string& name, const std::vector<std::string>& untouched) = 0;

  // Removes the entry `name` if it is a regular file holding one of the
  // `untouched` contents, and is so still as it is removed; true when it
  // was. Throws NoteError(Remove) when the system refuses the removal.
  virtual bool RemoveUntouched(const std::string& name,
                               const std::vector<std::string>& untouched) = 0;

  // Gives the regular file `copy` the name `note` in place of the note, which
  // is a regular file holding one of the `untouched` contents; the note is
  // then removed. True when done; false when anything was not as said, or
  // changed meanwhile, or the file system cannot do it safely: then both
  // entries are as they were.
  virtual bool TakeCopy(const std::string& note, const std::string& copy,
                        const std::vector<std::string>& untouched) = 0;

  // Whether the current folder is known to be as it was (no entry added,
  // removed or renamed since) when a start found no sync tool's copies of
  // `note` in it: then a start may spare itself the listing. Called before
  // the listing; a host that cannot tell says no.
  virtual bool KnownSettled(const std::string& /*note*/) { return false; }
  // The listing that followed KnownSettled found no copies of `note`.
  virtual void NoteSettled(const std::string& /*note*/) {}

  // Asks the desktop to open the entry `name` of the current folder, by its
  // full path so that no search order can substitute another file.
  virtual void Open(const std::string& name) = 0;
};

}  // namespace daynote
