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

#include "daynote/days.h"

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
// needs one, made of `seed`: ".2026_12_07.txt.quorvin-k3x9qa". The word
// "quorvin" keeps it apart from the names that backups, editors and rsync
// give: only such a name is ever swept away as a copy left behind.
std::string CopyName(const std::string& note, std::uint64_t seed);

// A note template's bytes, or why the one that is there cannot be used.
struct TemplateText {
  std::string bytes;    // empty when there is none
  std::string problem;  // "is larger than 64 KiB"; empty when it can be used or is absent
  // Another user's file (neither the user's nor the folder owner's): good
  // for a new note, but no measure of what may be removed as untouched.
  bool others = false;
};

// The name `entry` is a CopyName name for; none for any other name.
std::optional<std::string> CopiedName(const std::string& entry);
// The day whose note `entry` is a CopyName name for (of the note's own
// spelling); none for any other name.
std::optional<Date> CopiedDay(const std::string& entry);

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

  // Whether the entry `name` is a file that can be a note: a regular file,
  // or a link to one; not a folder, a FIFO or a link to nothing.
  virtual bool IsNoteFile(const std::string& name) = 0;

  // Removes the entry `name`, a CopyName name, if it is an unfinished copy
  // that a start ended long ago left behind, and leaves it alone otherwise:
  // it must be a regular file of the user running this start, unchanged
  // for a day, holding the first bytes of `content` (what a start writes
  // for its day). Never fails: what is not removed waits for another start.
  virtual void RemoveLeftCopy(const std::string& /*name*/, const std::string& /*content*/) {}
  // Whether a start can leave copies that RemoveLeftCopy sweeps: hosts whose
  // copies vanish with the start that made them list nothing for them.
  virtual bool SweepsLeftCopies() const { return false; }

  // The regular file `name` of the current folder, a link to one included,
  // if it holds at most `limit` bytes. Never blocks (on a FIFO, say); none
  // at all is no problem. Where links have owners, a link is followed only
  // when it is the user's own or the folder owner's, as the kernel follows
  // links in sticky folders: in a folder others may write to, another
  // user's link could read the user's private file into a note.
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

  // Removes the entry `name` if it is a regular file of the user's, of one
  // name, holding one of the `untouched` contents, and is so still as it is
  // removed; true when it was. Throws NoteError(Remove) when the system
  // refuses the removal, or when what was found in its place meanwhile could
  // not be put back under its name (the message says where it is).
  virtual bool RemoveUntouched(const std::string& name,
                               const std::vector<std::string>& untouched) = 0;

  // Gives the regular file `copy` the name `note` in place of the note, which
  // is a regular file holding one of the `untouched` contents; the note is
  // then removed as RemoveUntouched removes, and what it throws is thrown.
  // True when done; false when anything was not as said, or changed
  // meanwhile, or the file system cannot do it safely: then both entries
  // are as they were.
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
