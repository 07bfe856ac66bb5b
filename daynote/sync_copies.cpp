#include "daynote/sync_copies.h"

#include <algorithm>
#include <cctype>

namespace daynote {
namespace {

// Whether `text` from `at` matches `pattern` to its end: '#' is a digit,
// '+' a number counted from 1 (digits, the first not 0), '%' a capital
// letter or digit, '*' one or more
// characters that are no parentheses; anything else stands for itself.
bool Matches(const std::string& text, std::size_t at, const char* pattern) {
  for (; *pattern; ++pattern, ++at) {
    const char want = *pattern;
    if (want == '+' && at < text.size() && text[at] == '0') return false;
    if (want == '*' || want == '+') {
      const auto fits = [want](char c) {
        return want == '+' ? std::isdigit(static_cast<unsigned char>(c)) != 0
                           : c != '(' && c != ')';
      };
      for (std::size_t end = at; end < text.size() && fits(text[end]); ++end) {
        if (Matches(text, end + 1, pattern + 1)) return true;
      }
      return false;
    }
    if (at >= text.size()) return false;
    const unsigned char c = static_cast<unsigned char>(text[at]);
    const bool fits = want == '#'   ? std::isdigit(c) != 0
                      : want == '%' ? std::isdigit(c) || (c >= 'A' && c <= 'Z')
                                    : text[at] == want;
    if (!fits) return false;
  }
  return at == text.size();
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// What each tool puts between the note's name and its extension, as their
// documentation gives it:
// - Syncthing (docs.syncthing.net, FAQ "conflicting changes"):
//   NAME.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.EXT, DEVICE being the first
//   seven characters of the device ID; versions before 0.14 left it out.
// - ownCloud, and Nextcloud before 2.5: NAME_conflict-YYYYMMDD-HHMMSS.EXT;
//   Nextcloud since ("Conflicts" in its user manual):
//   NAME (conflicted copy YYYY-MM-DD HHMMSS).EXT.
// - Dropbox (help centre, "What's a conflicted copy?"): the person's or
//   computer's name, "conflicted copy" and the date, "NAME (Ann's
//   conflicted copy YYYY-MM-DD).EXT", numbered when that too is taken.
// - rclone bisync with --suffix-keep-extension: NAME.conflictN.EXT.
constexpr const char* kBetween[] = {
    ".sync-conflict-########-######-%%%%%%%",
    ".sync-conflict-########-######",
    "_conflict-########-######",
    " (conflicted copy ####-##-## ######)",
    " (* conflicted copy ####-##-##)",
    " (* conflicted copy ####-##-## (+))",
    ".conflict+",
};

// rclone bisync after the whole name (rclone.org/bisync, --conflict-suffix
// and --conflict-loser): NAME.EXT.conflict1, .conflict2 and so on; before
// 1.66, NAME.EXT..path1 and ..path2.
constexpr const char* kAfter[] = {".conflict+", "..path1", "..path2"};

}  // namespace

bool IsConflictCopy(const std::string& entry, const std::string& note, const std::string& computer) {
  if (note.size() < 5 || entry.compare(0, note.size() - 4, note, 0, note.size() - 4) != 0) {
    return false;
  }
  if (entry.compare(0, note.size(), note) == 0) {
    for (const char* after : kAfter) {
      if (Matches(entry, note.size(), after)) return true;
    }
    return false;
  }
  const std::string extension = note.substr(note.size() - 4);
  if (entry.size() < note.size() ||
      entry.compare(entry.size() - extension.size(), extension.size(), extension) != 0) {
    return false;
  }
  const std::string between = entry.substr(note.size() - 4, entry.size() - note.size());
  for (const char* form : kBetween) {
    if (Matches(between, 0, form)) return true;
  }
  // OneDrive keeps both versions by adding the computer's name
  // (support.microsoft.com, "Fix OneDrive sync conflicts"): only this
  // computer's, since any other word after a dash is the user's own name.
  return !computer.empty() && between[0] == '-' && SameIgnoringCase(between.substr(1), computer);
}

std::vector<std::string> ConflictCopies(const std::vector<std::string>& entries,
                                        const std::string& note, const std::string& computer) {
  std::vector<std::string> copies;
  for (const std::string& entry : entries) {
    if (IsConflictCopy(entry, note, computer)) copies.push_back(entry);
  }
  std::sort(copies.begin(), copies.end());
  return copies;
}

CopiesSettled SettleCopies(DayNoteHost& host, const std::vector<std::string>& copies,
                           const std::string& note, const std::vector<std::string>& untouched,
                           bool may_take) {
  CopiesSettled settled;
  for (const std::string& copy : copies) {
    const Holding holding = host.Examine(copy, untouched);
    try {
      if (holding == Holding::kUntouched && host.RemoveUntouched(copy, untouched)) continue;
    } catch (const NoteError& refused) {
      settled.warnings.push_back(refused.what());
      continue;
    }
    // Not removed, one may have changed since it was examined, and then
    // holds words; one still untouched (held open by another program) is
    // no other version.
    if (holding == Holding::kOther ||
        (holding == Holding::kUntouched && host.Examine(copy, untouched) != Holding::kText)) {
      continue;
    }
    settled.other_versions.push_back(copy);
  }
  if (may_take && settled.other_versions.size() == 1 &&
      host.Examine(note, untouched) == Holding::kUntouched) {
    try {
      if (host.TakeCopy(note, settled.other_versions.front(), untouched)) {
        settled.other_versions.clear();
      }
    } catch (const NoteError& left) {  // the copy's words are the note; the old one is told
      settled.other_versions.clear();
      settled.warnings.push_back(left.what());
    }
  }
  return settled;
}

std::string OtherVersionsWarning(const std::string& note, const std::vector<std::string>& copies) {
  std::string names;
  for (std::size_t i = 0; i < copies.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == copies.size() ? " and " : ", ") + copies[i];
  }
  return copies.size() == 1
             ? "another version of " + note + " is in " + names + ", kept as the sync tool left it"
             : "other versions of " + note + " are in " + names +
                   ", kept as the sync tool left them";
}

}  // namespace daynote
