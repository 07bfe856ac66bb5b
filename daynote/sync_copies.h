// A notes folder kept in step between computers by a sync tool: the copies
// such tools make of a note when two computers changed it apart, and what a
// start does with those of the note it opens.
#pragma once

#include <string>
#include <vector>

#include "daynote/host.h"

namespace daynote {

// Whether `entry` is a name that Syncthing, Dropbox, Nextcloud, ownCloud,
// OneDrive (on the computer named `computer`) or rclone bisync gives to a
// copy of the note named `note`, in the very spelling `note` has. Another
// day's copies, the note's other spellings and look-alikes are not.
bool IsConflictCopy(const std::string& entry, const std::string& note, const std::string& computer);

// The names among `entries` that are copies of `note`, in order.
std::vector<std::string> ConflictCopies(const std::vector<std::string>& entries,
                                        const std::string& note, const std::string& computer);

// What a start did with the copies of the note it opens.
struct CopiesSettled {
  std::vector<std::string> other_versions;  // copies holding words the note does not: left
  std::vector<std::string> warnings;        // removals the system refused
};

// Of `copies` (ConflictCopies) of `note`, each untouched one is removed;
// if the note is untouched and one copy holds words, that copy takes the
// note's name, where `may_take`. Copies holding words are never removed or written to, and
// entries that are no regular files are left. `untouched` are the contents
// a start writes for the note's day.
CopiesSettled SettleCopies(DayNoteHost& host, const std::vector<std::string>& copies,
                           const std::string& note, const std::vector<std::string>& untouched,
                           bool may_take = true);

// The warning that `note` has other versions in `copies`; the names are
// given as messages show them.
std::string OtherVersionsWarning(const std::string& note, const std::vector<std::string>& copies);

}  // namespace daynote
