#include "daynote/posix_host.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

extern char** environ;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): POSIX's

namespace daynote {
std::optional<std::string> CurrentFolderPath() {
  std::vector<char> path(256);
  while (!getcwd(path.data(), path.size())) {
    if (errno != ERANGE) return std::nullopt;
    path.resize(path.size() * 2);
  }
  return std::string(path.data());
}

namespace {

static_assert(sizeof(time_t) >= 8, "notes after January 2038 need a 64-bit time_t");

std::string CurrentFolder() {
  const std::optional<std::string> folder = CurrentFolderPath();
  return folder ? Quoted(*folder) : "the current folder";
}

NoteError Failure(NoteStep step, const std::string& name, int error) {
  return NoteError(step, Quoted(name), CurrentFolder(), std::strerror(error ? error : EIO));
}

[[noreturn]] void Fail(NoteStep step, const std::string& name, int error) {
  throw Failure(step, name, error);
}

// Every spelling of `name` that differs from it only in the case of its
// letters, `name` itself first. Note names have few letters (those of
// ".txt"), so this stays small and costs no listing of the folder.
std::vector<std::string> CaseVariants(const std::string& name) {
  std::vector<std::string> variants{name};
  for (std::size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (!std::isalpha(c)) continue;
    const char flipped = static_cast<char>(std::islower(c) ? std::toupper(c) : std::tolower(c));
    const std::size_t count = variants.size();
    for (std::size_t v = 0; v < count; ++v) {
      variants.push_back(variants[v]);
      variants.back()[i] = flipped;
    }
  }
  return variants;
}

// The names of every entry of the current folder, in one listing.
std::vector<std::string> FolderEntries() {
  const auto failure = [](int error) {
    return NoteError(NoteStep::Look, "notes", CurrentFolder(), std::strerror(error));
  };
  DIR* const folder = opendir(".");
  if (!folder) throw failure(errno);
  std::vector<std::string> names;
  errno = 0;
  while (const dirent* entry = readdir(folder)) names.emplace_back(entry->d_name);
  const int error = errno;
  closedir(folder);
  if (error) throw failure(error);
  return names;
}

// A spelling of `name` that differs from it only in case was `found`. The
// folder's listing says which is stored: the note's own, when another start
// made it since it was looked for (where case does not count, any spelling
// finds it), else the other; none when nothing is (through FUSE, a spelling
// can show a note that has just vanished as present for about a second).
// Where the folder cannot be listed, the spelling found stands.
std::optional<std::string> StoredSpelling(const std::string& name, const std::string& found) {
  std::optional<std::string> stored;
  try {
    for (const std::string& entry : FolderEntries()) {
      if (strcasecmp(entry.c_str(), name.c_str()) != 0) continue;
      stored = entry;
      if (entry == name) break;
    }
  } catch (const NoteError&) {
    return found;
  }
  return stored;
}

// The name under which /proc shows our open file `fd`, a name it can be
// linked by.
std::string SelfPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// Different for every attempt of every start, whatever the clock says.
std::uint64_t CopySeed() {
  static std::uint64_t sequence = 0;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(getpid()) << 30) ^
         (++sequence * 0x9E3779B97F4A7C15ULL);
}

// The note's name reaches the disk too, not only its content.
void SyncFolder() {
  const int folder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return;
  // The note is whole and visible whatever this says, and others may have
  // opened it already, so a refusal (some file systems do not sync
  // folders) changes nothing we could act on.
  fsync(folder);
  close(folder);
}

// Gives the file open as `fd` the modification time `time`; its access time
// stays. A refusal leaves the time of writing, as before.
void SetModified(int fd, Seconds time) {
  // Both times: through FUSE, fusefat takes a new time only with both.
  const timespec times[2] = {{static_cast<time_t>(time), 0}, {static_cast<time_t>(time), 0}};
  (void)futimens(fd, times);
}

// Restores a signal's disposition on every way out.
class SignalDisposition {
 public:
  SignalDisposition(int signal, void (*handler)(int)) : signal_(signal) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, &saved_);
  }
  SignalDisposition(const SignalDisposition&) = delete;
  SignalDisposition& operator=(const SignalDisposition&) = delete;
  ~SignalDisposition() { sigaction(signal_, &saved_, nullptr); }

 private:
  int signal_;
  struct sigaction saved_ {};
};

// Writes all of `text` to `fd`; 0, or the system's reason why not.
int WriteAll(int fd, const std::string& text) {
  // Past the file size limit, write fails with EFBIG and is told, rather
  // than the start being ended by SIGXFSZ without a word.
  const SignalDisposition told(SIGXFSZ, SIG_IGN);
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return written < 0 ? errno : EIO;
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return 0;
}

// Reads from `fd` to its end, or past `limit` bytes; 0, or the system's
// reason why not.
int ReadAtMost(int fd, std::size_t limit, std::string& bytes) {
  bytes.assign(limit + 1, '\0');
  std::size_t size = 0;
  while (size <= limit) {
    const ssize_t got = read(fd, &bytes[size], bytes.size() - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  bytes.resize(size);
  return 0;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What OpenThroughOwnLinks found: the file open to read, or the reason not.
struct OwnLinksOpened {
  int fd = -1;
  int error = 0;              // when fd is -1 and no link was refused
  bool foreign = false;       // a link on the way is another user's
  bool through_link = false;  // a link was followed on the way
};

// Opens `name` of the current folder to read, never blocking (a FIFO opens
// at once). A link on the way, the name's own or one its target passes
// through, is followed only when its owner is the user or the owner of the
// folder holding it: the rule the kernel applies in sticky folders, here in
// every folder, at every link. Each link is judged and read through one
// handle, and each step opens what was judged, so that an entry swapped in
// meanwhile is never followed unjudged.
OwnLinksOpened OpenThroughOwnLinks(const std::string& name) {
  OwnLinksOpened opened;
  std::vector<std::string> left;  // the parts still to walk, the next one last
  const auto push_parts = [&left](const std::string& path) {
    for (std::size_t end = path.size(); end != std::string::npos && end > 0;) {
      const std::size_t slash = path.rfind('/', end - 1);
      const std::size_t begin = slash == std::string::npos ? 0 : slash + 1;
      if (end > begin) left.push_back(path.substr(begin, end - begin));
      end = slash;
    }
    if (left.empty()) left.push_back(".");  // "/": the root itself
  };
  push_parts(name);
  int folder = AT_FDCWD;  // then the folder on the way: one open call where nothing is a link
  int error = ENOENT;
  const auto change_folder = [&folder](int to) {
    if (folder != AT_FDCWD) close(folder);
    folder = to;
  };
  for (int links = 0; folder != -1 && !left.empty();) {
    const std::string part = left.back();
    left.pop_back();
    if (left.empty()) {  // the file itself, unless it is a link
      opened.fd =
          openat(folder, part.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      error = errno;
      if (opened.fd >= 0 || error != ELOOP) break;
    }
    const int entry = openat(folder, part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    error = errno;
    if (entry < 0) break;
    struct stat status {}, holder {};
    if (fstat(entry, &status) != 0 || !S_ISLNK(status.st_mode)) {
      if (left.empty()) {  // a link a moment ago: opened again
        close(entry);
        left.push_back(part);
        error = ELOOP;
        if (++links > 40) break;
        continue;
      }
      change_folder(entry);  // a folder on the way
      continue;
    }
    opened.through_link = true;
    std::vector<char> target(PATH_MAX);
    const ssize_t size = readlinkat(entry, "", target.data(), target.size());
    error = size < 0 ? errno : ELOOP;
    opened.foreign = fstatat(folder, "", &holder, AT_EMPTY_PATH) != 0 ||
                     (status.st_uid != geteuid() && status.st_uid != holder.st_uid);
    close(entry);
    if (opened.foreign || size <= 0 || static_cast<std::size_t>(size) >= target.size() ||
        ++links > 40) {
      break;
    }
    const std::string path(target.data(), static_cast<std::size_t>(size));
    if (path[0] == '/') {
      change_folder(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
      error = errno;
    }
    push_parts(path);
  }
  if (opened.fd < 0) opened.error = error;
  change_folder(-1);
  return opened;
}

// Holds back every signal that can be held, so that an unfinished copy with
// a name is removed before any of them takes effect. SIGKILL cannot be held,
// nor the two the C library keeps for itself. SIGXFSZ is ignored instead:
// held, our own write past the file size limit would leave it pending, to
// end the start once it is let through.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t held;
    sigfillset(&held);
    sigdelset(&held, SIGXFSZ);
    sigprocmask(SIG_BLOCK, &held, &saved_);
  }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;
  ~HeldSignals() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }

 private:
  const SignalDisposition file_size_{SIGXFSZ, SIG_IGN};
  sigset_t saved_{};
};

// Whether the file system can give the still empty copy `temporary` of
// note `name` a name without replacing one, tried on a new hidden name:
// renamed there (the copy's name changes), or linked there and unlinked
// (`kept` is that name if it stays). Where it cannot (FAT and exFAT through
// FUSE), the copy is of no use, and a start killed while it was written
// and flushed would leave it.
bool NamesWithoutReplacing(const std::string& name, std::string& temporary, std::string& kept) {
  const std::string other = CopyName(name, CopySeed());
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, other.c_str(), RENAME_NOREPLACE) == 0) {
    temporary = other;
    return true;
  }
  // Refused for another reason than the flag (an append-only folder):
  // saving finds out which way is left.
  if (errno != EINVAL) return true;
#endif
  if (link(temporary.c_str(), other.c_str()) != 0) return errno == EEXIST;
  if (unlink(other.c_str()) != 0) kept = other;
  return true;
}

// A new note's content. Where the file system allows it, the file has no
// name at all until it is saved (O_TMPFILE), so a start killed at any
// instant leaves nothing behind; elsewhere it has a hidden one, which only
// signals that cannot be held (SIGKILL above all) can leave behind. Where
// neither can be given the note's name, the content waits in memory
// (fd -1) to be written under the note's name.
class PosixPendingNote : public PendingNote {
 public:
  PosixPendingNote(int fd, std::string name, std::string temporary,
                   std::unique_ptr<HeldSignals> held = nullptr, std::string kept = "")
      : fd_(fd),
        name_(std::move(name)),
        temporary_(std::move(temporary)),
        kept_(std::move(kept)),
        held_(std::move(held)) {}
  PosixPendingNote(const PosixPendingNote&) = delete;
  PosixPendingNote& operator=(const PosixPendingNote&) = delete;
  ~PosixPendingNote() override {
    if (fd_ >= 0) close(fd_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
  }

  void Write(const std::string& text) override {
    if (fd_ >= 0) {
      if (const int error = WriteAll(fd_, text)) Fail(NoteStep::Write, name_, error);
    }
    text_ += text;
  }

  void Flush() override {
    if (fd_ >= 0 && fsync(fd_) != 0) Fail(NoteStep::Flush, name_, errno);
  }

  void SetTime(Seconds time) override {
    time_ = time;
    if (fd_ >= 0) SetModified(fd_, time);
  }

  // The copy gets the note's name by the first way the file system offers.
  // Any answer but EEXIST (the name is taken: another start was first)
  // closes a way; when all are closed, the note is written under its own
  // name. None of the ways ever replaces an entry.
  void Save() override {
    const int refused = fd_ >= 0 ? GiveCopyTheName() : EPERM;
    if (refused == EEXIST) return;
    // Before the folder is synced: only the instants since the link can
    // leave the hidden name behind. Discard tells if it stays.
    if (!temporary_.empty() && (unlink(temporary_.c_str()) == 0 || errno == ENOENT)) {
      temporary_.clear();
    }
    if (refused && !WriteUnderTheName()) return;
    if (temporary_.empty()) held_.reset();
    SyncFolder();
  }

  void Discard() override {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    std::string left;
    int error = 0;
    for (std::string* copy : {&kept_, &temporary_}) {
      if (!copy->empty() && unlink(copy->c_str()) != 0 && errno != ENOENT) {
        left += (left.empty() ? "" : " and ") + Quoted(*copy);
        error = errno;
      }
      copy->clear();
    }
    held_.reset();
    if (!left.empty()) {
      throw NoteError(NoteStep::Remove, left, CurrentFolder(), std::strerror(error));
    }
  }

 private:
  // A link to the unnamed file, else a rename of the hidden one that
  // refuses to replace, else a second name for it; 0, or the reason the
  // last way was refused.
  int GiveCopyTheName() {
    if (temporary_.empty()) {
      const std::string self = SelfPath(fd_);
      return linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name_.c_str(), AT_SYMLINK_FOLLOW) ? errno : 0;
    }
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, name_.c_str(), RENAME_NOREPLACE) == 0) {
      temporary_.clear();
      return 0;
    }
    if (errno == EEXIST) return EEXIST;
#endif
    return link(temporary_.c_str(), name_.c_str()) ? errno : 0;
  }

  // The way left where a file system has none of the others (FAT and exFAT
  // through FUSE, rclone's cloud folders): the note is created under its
  // name if no entry holds it, and written there. Until its header is on
  // disk, another start may find it short, and SIGKILL can leave it so:
  // every other signal waits. False when an entry holds the name; what
  // this start cannot finish it removes, if it is still the file made.
  bool WriteUnderTheName() {
    if (!held_) held_ = std::make_unique<HeldSignals>();
    // On a full disk the note would be there empty for others to find until
    // this start removed it. A file system that tells no size is not judged.
    struct statvfs space {};
    // Another start may have taken the last of the room for the note.
    struct stat entry {};
    if (statvfs(".", &space) == 0 && space.f_blocks > 0 && space.f_bavail == 0) {
      if (lstat(name_.c_str(), &entry) == 0) return false;
      Fail(NoteStep::Write, name_, ENOSPC);
    }
    const int fd = open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) return false;
    if (fd < 0) Fail(NoteStep::Save, name_, errno);
    NoteStep step = NoteStep::Write;
    int error = WriteAll(fd, text_);
    if (!error && fsync(fd) != 0) {
      step = NoteStep::Flush;
      error = errno;
    }
    if (!error && time_) SetModified(fd, *time_);
    if (!error) {
      close(fd);
      return true;
    }
    struct stat made {};
    const bool ours = fstat(fd, &made) == 0 && lstat(name_.c_str(), &entry) == 0 &&
                      made.st_dev == entry.st_dev && made.st_ino == entry.st_ino;
    const bool left = ours && unlink(name_.c_str()) != 0;
    const int removal = errno;
    close(fd);
    if (left) {
      throw NoteError(Failure(step, name_, error), Failure(NoteStep::Remove, name_, removal));
    }
    Fail(step, name_, error);
  }

  int fd_;
  std::string name_;
  std::string temporary_;              // the copy's hidden name; empty when it has none
  std::string kept_;                   // a second name of the copy removal refused
  std::string text_;                   // what the copy holds
  std::optional<Seconds> time_;        // its modification time, once set
  std::unique_ptr<HeldSignals> held_;  // while a name shows an unfinished note
};

// Spawn attributes for a child that decides for itself what Ctrl-C means:
// the default dispositions and no blocked signals, whatever we inherited.
class ChildSignals {
 public:
  ChildSignals() {
    posix_spawnattr_init(&attributes_);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGQUIT, SIGCHLD, SIGXFSZ}) sigaddset(&defaults, signal);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  ChildSignals(const ChildSignals&) = delete;
  ChildSignals& operator=(const ChildSignals&) = delete;
  ~ChildSignals() { posix_spawnattr_destroy(&attributes_); }
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_{};
};

// Whether a signal's default action ends a process: only for those does a
// shell's status 128 + N stand for signal N.
bool EndsAProcess(int signal) {
  switch (signal) {
    case SIGCHLD: case SIGCONT: case SIGSTOP: case SIGTSTP:
    case SIGTTIN: case SIGTTOU: case SIGURG: case SIGWINCH:
      return false;
    default:
      return true;
  }
}

}  // namespace

// time() can fail only where no clock source works; -1 is then no second
// of 1969 but no reading at all.
Seconds PosixHost::Now() {
  const time_t now = time(nullptr);
  if (now == static_cast<time_t>(-1)) {
    throw ClockError("cannot name today's note: the clock cannot be read");
  }
  return static_cast<Seconds>(now);
}

std::optional<std::tm> PosixHost::LocalTime(Seconds time) {
  const time_t t = static_cast<time_t>(time);
  std::tm local{};
  if (!localtime_r(&t, &local)) return std::nullopt;
  return local;
}

std::optional<std::string> PosixHost::FindEntry(const std::string& name) {
  found_.reset();
  struct stat status {};
  for (const std::string& variant : CaseVariants(name)) {
    if (lstat(variant.c_str(), &status) == 0) {
      if (variant != name) return StoredSpelling(name, variant);
      found_ = status;
      return name;
    }
    if (errno != ENOENT) Fail(NoteStep::Look, name, errno);
  }
  return std::nullopt;
}

std::string PosixHost::FolderName() { return CurrentFolder(); }

std::vector<std::string> PosixHost::ListEntries() { return FolderEntries(); }

TemplateText PosixHost::ReadTemplate(const std::string& name, std::size_t limit) {
  const OwnLinksOpened opened = OpenThroughOwnLinks(name);
  if (opened.foreign) return {"", "is a link that another user made"};
  if (opened.fd < 0) {
    if (opened.error != ENOENT) return {"", std::string("cannot be read: ") + std::strerror(opened.error)};
    return {"", opened.through_link ? "is a link to nothing" : ""};
  }
  TemplateText text;
  struct stat status {};
  const std::string too_large = "is larger than " + std::to_string(limit / 1024) + " KiB";
  if (fstat(opened.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    text.problem = S_ISDIR(status.st_mode) ? "is a folder" : "is not a regular file";
  } else if (const int error = static_cast<std::uintmax_t>(status.st_size) > limit
                                   ? 0
                                   : ReadAtMost(opened.fd, limit, text.bytes)) {
    // Read to the end, whatever size it had when it was looked at.
    text.problem = std::string("cannot be read: ") + std::strerror(error);
  } else if (static_cast<std::uintmax_t>(status.st_size) > limit || text.bytes.size() > limit) {
    text.problem = too_large;
  }
  if (!text.problem.empty()) text.bytes.clear();
  struct stat folder {};
  text.others = status.st_uid != geteuid() && (stat(".", &folder) != 0 || status.st_uid != folder.st_uid);
  close(opened.fd);
  return text;
}

bool PosixHost::IsNoteFile(const std::string& name) {
  struct stat status {};
  return stat(name.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// A start writes its copy within a second, unless the disk stalls, and
// gives it the note's name at once: a copy unwritten for a day is no running
// start's. The day the copy is for tells nothing of that (any day's note can
// be made today). Should a sweep take a copy at the very instant its start
// sets its time back to the note's day, before naming it, that start still
// writes the note from what it holds.
void PosixHost::RemoveLeftCopy(const std::string& name, const std::string& content) {
  constexpr Seconds kLeftFor = Seconds{24} * 60 * 60;
  Seconds now = 0;  // where the clock cannot be read, nothing is a day old
  try {
    now = Now();
  } catch (const ClockError&) {  // NOLINT(bugprone-empty-catch): now stays 0
  }
  struct stat entry {}, status {};
  if (lstat(name.c_str(), &entry) != 0 || !S_ISREG(entry.st_mode) || entry.st_uid != geteuid() ||
      entry.st_mtime > now - kLeftFor ||
      static_cast<std::uintmax_t>(entry.st_size) > content.size()) {
    return;
  }
  const int fd = open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  std::string bytes;
  const bool same = fstat(fd, &status) == 0 && SameFile(status, entry) &&
                    ReadAtMost(fd, content.size(), bytes) == 0 &&
                    content.compare(0, bytes.size(), bytes) == 0;
  close(fd);
  // Still the entry that was read, and no more than it was.
  if (same && lstat(name.c_str(), &status) == 0 && SameFile(status, entry) &&
      status.st_size == entry.st_size) {
    unlink(name.c_str());
  }
}

// A note shorter than its header that is only seconds old is being written
// by another start; 50 looks 5 ms apart give it a quarter of a second.
void PosixHost::AwaitNote(const std::string& name, std::size_t header_size) {
  struct stat status {};
  const auto look = [&] {
    if (lstat(name.c_str(), &status) == 0) return;
    if (errno != ENOENT) Fail(NoteStep::Look, name, errno);
    throw NoteError(NoteStep::Look, Quoted(name), CurrentFolder(),
                    "it vanished as it was being made");
  };
  if (found_) {
    status = *found_;
  } else {
    look();
  }
  for (int looks = 0; looks < 50 && S_ISREG(status.st_mode) &&
                      static_cast<std::size_t>(status.st_size) < header_size &&
                      std::llabs(time(nullptr) - status.st_mtime) <= 5;
       ++looks) {
    const timespec pause{0, 5'000'000};
    nanosleep(&pause, nullptr);
    look();
  }
}

std::unique_ptr<PendingNote> PosixHost::CreatePending(const std::string& name) {
#ifdef O_TMPFILE
  // Naming it later goes through /proc; without /proc, a hidden name it is.
  const int unnamed = open(".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (unnamed >= 0) {
    if (access(SelfPath(unnamed).c_str(), F_OK) == 0) {
      return std::make_unique<PosixPendingNote>(unnamed, name, "");
    }
    close(unnamed);
  }
#endif
  // O_EXCL and O_NOFOLLOW: nothing that exists is ever opened, a link least.
  auto held = std::make_unique<HeldSignals>();
  for (int attempt = 0;; ++attempt) {
    std::string temporary = CopyName(name, CopySeed());
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    std::string kept;
    if (fd >= 0 && NamesWithoutReplacing(name, temporary, kept)) {
      return std::make_unique<PosixPendingNote>(fd, name, std::move(temporary), std::move(held),
                                                std::move(kept));
    }
    if (fd >= 0) {
      close(fd);
      const bool gone = unlink(temporary.c_str()) == 0;
      return std::make_unique<PosixPendingNote>(-1, name, "", std::move(held),
                                                gone ? "" : temporary);
    }
    if (errno != EEXIST || attempt == 100) Fail(NoteStep::Create, name, errno);
  }
}

void PosixHost::Open(const std::string& name) {
  // Past PATH_MAX the system refuses a path, however real, and a folder
  // may have none to be found (one above it cannot be read): the opener,
  // which starts in this folder, gets the note by one relative to it.
  const std::optional<std::string> folder = CurrentFolderPath();
  const std::string path = folder ? *folder + "/" + name : "./" + name;
  const std::string shown = Quoted(path);
  bool shell = !opener_.shell_line.empty();
  // The shell outlives a Ctrl-C that the editor takes (its trap is reset
  // to the default in the editor), and tells how the editor ended.
  const auto through_shell = [&](const std::string& line, std::vector<std::string> words) {
    words.insert(words.begin(), {"/bin/sh", "-c", "trap : INT QUIT; " + line + " \"$@\"", "sh"});
    return words;
  };
  std::vector<std::string> command =
      shell ? through_shell(opener_.shell_line, {}) : opener_.command;
  command.push_back(path.size() < PATH_MAX ? path : "./" + name);

  const std::string hint = opener_.hint.empty() ? "" : " (" + opener_.hint + ")";
  const auto cannot_start = [&](const std::string& reason) {
    return OpenerError("cannot start " + opener_.name + " for " + shown + ": " + reason);
  };

  // A parent that left SIGCHLD ignored would have the system reap the
  // child before we could learn how it ended.
  const SignalDisposition own_children(SIGCHLD, SIG_DFL);
  // As system(3) does: while the opener runs (an editor in this terminal,
  // perhaps), Ctrl-C and Ctrl-\ are for it to take, not for us.
  const SignalDisposition keep_interrupts(SIGINT, SIG_IGN);
  const SignalDisposition keep_quits(SIGQUIT, SIG_IGN);
  const ChildSignals child_signals;
  const auto spawn = [&](pid_t* child) {
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    return posix_spawnp(child, argv[0], nullptr, child_signals.get(), argv.data(), environ);
  };
  pid_t child = 0;
  int error = spawn(&child);
  // As execvp does: a program the system cannot run itself (a script
  // without "#!") is the shell's to run, which the shell knows to do.
  if (error == ENOEXEC && !shell) {
    shell = true;
    command = through_shell("", command);
    error = spawn(&child);
  }
  // A name with a slash is never looked up on PATH; a program that is
  // there yet gives ENOENT is a script whose #! interpreter is missing.
  if (error == ENOENT && command[0].find('/') != std::string::npos) {
    throw cannot_start(access(command[0].c_str(), F_OK) == 0 ? "its #! interpreter is not found"
                                                             : "not found");
  }
  if (error == ENOENT) throw cannot_start("not found on PATH" + hint);
  if (error != 0) throw cannot_start(std::strerror(error));

  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw OpenerError("cannot open " + shown + ": " + std::strerror(errno));
  }
  int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  if (WIFEXITED(status)) {
    const int code = WEXITSTATUS(status);
    if (code == 0) return;
    // The shell's way of saying that a command could not be run, or that
    // it was ended by a signal.
    if (shell && code == 127) throw cannot_start("not found" + hint);
    if (shell && code == 126) throw cannot_start("not executable");
    if (shell && code > 128 && code < 128 + NSIG && EndsAProcess(code - 128)) signal = code - 128;
    if (!signal) {
      throw OpenerError("cannot open " + shown + ": " + opener_.name + " exited with status " +
                        std::to_string(code));
    }
  }
  throw OpenerEnded("cannot open " + shown + ": " + opener_.name + " was ended by signal " +
                        std::to_string(signal) + " (" + strsignal(signal) + ")",
                    signal);
}

namespace {

// The entry `name`, opened to be read if it can be without following a
// link or blocking on a FIFO; -1 when it cannot.
int OpenToJudge(const std::string& name) {
  return open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// What the file open as `fd` holds, read from its start (`status`, from
// fstat, tells its kind): no further than the longest untouched content
// and a byte, so that a note of any size costs little.
Holding Judge(int fd, const struct stat& status, const std::vector<std::string>& untouched) {
  // Only the user's own files, each of one name: another user's file is not
  // to become the user's note, nor a second name of another day's note. An
  // empty one holds nothing to keep or to give.
  if (!S_ISREG(status.st_mode) || status.st_nlink != 1 || status.st_uid != geteuid() ||
      status.st_size == 0) {
    return Holding::kOther;
  }
  std::size_t longest = 0;
  for (const std::string& content : untouched) longest = std::max(longest, content.size());
  std::string bytes(longest + 1, '\0');
  std::size_t size = 0;
  while (size < bytes.size()) {
    const ssize_t got = pread(fd, &bytes[size], bytes.size() - size, static_cast<off_t>(size));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Holding::kOther;
    if (got == 0) break;
    size += static_cast<std::size_t>(got);
  }
  bytes.resize(size);
  return std::find(untouched.begin(), untouched.end(), bytes) != untouched.end()
             ? Holding::kUntouched
             : Holding::kText;
}

// Not changed between the two looks: any write changes the change time.
bool Unchanged(const struct stat& before, const struct stat& after) {
  return SameFile(before, after) && before.st_size == after.st_size &&
         before.st_ctim.tv_sec == after.st_ctim.tv_sec &&
         before.st_ctim.tv_nsec == after.st_ctim.tv_nsec;
}

// A file opened to be judged, closed on every way out.
class Judged {
 public:
  Judged(const std::string& name, const std::vector<std::string>& untouched)
      : fd_(OpenToJudge(name)) {
    if (fd_ >= 0 && fstat(fd_, &status_) == 0) holding_ = Judge(fd_, status_, untouched);
  }
  Judged(const Judged&) = delete;
  Judged& operator=(const Judged&) = delete;
  ~Judged() {
    if (fd_ >= 0) close(fd_);
  }
  Holding holding() const { return holding_; }
  const struct stat& status() const { return status_; }
  int fd() const { return fd_; }

 private:
  int fd_;
  struct stat status_ {};
  Holding holding_ = Holding::kOther;
};

}  // namespace

std::optional<Seconds> PosixHost::DayStart(std::int64_t year, int month, int day) {
  std::tm local{};
  local.tm_year = static_cast<int>(year - 1900);
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_isdst = -1;  // whatever the zone's rule is on that day
  errno = 0;
  const time_t start = mktime(&local);
  // -1 is also a second of 1969, which errno then does not mark.
  if (start == static_cast<time_t>(-1) && errno != 0) return std::nullopt;
  return static_cast<Seconds>(start);
}

std::string PosixHost::ComputerName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

namespace {

// Not written since it was judged: the same file, of the same size and
// modification time (a rename changes only its change time).
bool AsJudged(const struct stat& judged, const struct stat& now) {
  return SameFile(judged, now) && judged.st_size == now.st_size &&
         judged.st_mtim.tv_sec == now.st_mtim.tv_sec && judged.st_mtim.tv_nsec == now.st_mtim.tv_nsec;
}

// Removes the entry `name` if it still is the untouched file judged. By its
// name, whatever another start or a sync tool put in its place meanwhile
// would go too: so it is first moved to a name of its own, which nothing
// else acts on, and judged again there. What turns out to be another file is
// moved back, or, its name taken meanwhile, kept and told. Where no rename
// can refuse to replace (FAT through FUSE), it is judged by name just before.
bool RemoveAsJudged(const std::string& name, const struct stat& judged,
                    const std::vector<std::string>& untouched) {
  struct stat now {};
  const std::string aside = CopyName(name, CopySeed());
#ifdef RENAME_NOREPLACE
  if (renameat2(AT_FDCWD, name.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
    const Judged moved(aside, untouched);
    if (moved.holding() == Holding::kUntouched && AsJudged(judged, moved.status())) {
      if (unlink(aside.c_str()) == 0) return true;
      throw Failure(NoteStep::Remove, aside, errno);
    }
    if (renameat2(AT_FDCWD, aside.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0) {
      return false;
    }
    throw NoteError(NoteStep::Remove, Quoted(name), CurrentFolder(),
                    "another took its name meanwhile; it is kept as " + Quoted(aside));
  }
  if (errno == ENOENT) return true;
  if (errno != EINVAL) throw Failure(NoteStep::Remove, name, errno);
#endif
  const Judged copy(name, untouched);
  if (copy.holding() != Holding::kUntouched || !AsJudged(judged, copy.status()) ||
      lstat(name.c_str(), &now) != 0 || !Unchanged(copy.status(), now)) {
    return false;
  }
  if (unlink(name.c_str()) == 0 || errno == ENOENT) return true;
  throw Failure(NoteStep::Remove, name, errno);
}

}  // namespace

Holding PosixHost::Examine(const std::string& name, const std::vector<std::string>& untouched) {
  return Judged(name, untouched).holding();
}

bool PosixHost::RemoveUntouched(const std::string& name,
                                const std::vector<std::string>& untouched) {
  const Judged copy(name, untouched);
  return copy.holding() == Holding::kUntouched && RemoveAsJudged(name, copy.status(), untouched);
}

// Both names are swapped in one step (RENAME_EXCHANGE), so that neither is
// ever missing; then what was swapped out must be the untouched note as it
// was judged, and what came in the copy, or the swap is undone. Only then
// is the note's old file, now under the copy's name, removed.
bool PosixHost::TakeCopy(const std::string& note, const std::string& copy,
                         const std::vector<std::string>& untouched) {
#ifdef RENAME_EXCHANGE
  const Judged old_note(note, untouched);
  const Judged words(copy, untouched);
  if (old_note.holding() != Holding::kUntouched || words.holding() == Holding::kOther) return false;
  if (renameat2(AT_FDCWD, copy.c_str(), AT_FDCWD, note.c_str(), RENAME_EXCHANGE) != 0) {
    return false;
  }
  struct stat out {}, in {};
  const bool swapped = lstat(copy.c_str(), &out) == 0 && SameFile(out, old_note.status()) &&
                       lstat(note.c_str(), &in) == 0 && SameFile(in, words.status()) &&
                       out.st_size == old_note.status().st_size &&
                       Judge(old_note.fd(), out, untouched) == Holding::kUntouched;
  if (!swapped) {
    renameat2(AT_FDCWD, copy.c_str(), AT_FDCWD, note.c_str(), RENAME_EXCHANGE);
    return false;
  }
  // Left, the old note under the copy's name is untouched: the next start
  // removes it. What could not be put back where it was is told.
  SyncFolder();
  RemoveAsJudged(copy, old_note.status(), untouched);
  return true;
#else
  (void)note, (void)copy, (void)untouched;
  return false;
#endif
}

namespace {

// Where starts remember the folders they found holding none of a note's
// sync copies, in the user's cache (never in the notes folder, which a sync
// tool would carry to other computers): a line for each folder, its device,
// its number, its change time, the note and the computer's name (which
// names OneDrive's copies). Any entry added, removed or
// renamed changes the folder's change time, which no program can set back.
std::string SettledRecord() {
  const char* cache = getenv("XDG_CACHE_HOME");
  const char* home = getenv("HOME");
  if (cache && cache[0] == '/') return std::string(cache) + "/quorvin-settled";
  return home && home[0] == '/' ? std::string(home) + "/.cache/quorvin-settled" : "";
}

std::string SettledLine(const struct stat& folder, const std::string& note) {
  return std::to_string(folder.st_dev) + " " + std::to_string(folder.st_ino) + " " +
         std::to_string(folder.st_ctim.tv_sec) + "." + std::to_string(folder.st_ctim.tv_nsec) + " " +
         note + "\n";
}

// File systems on this computer's own disks, where the folder's change time
// is this kernel's, changed with every entry: ext4, btrfs, XFS, tmpfs, F2FS.
bool LocalFileSystem() {
  struct statfs system {};
  if (statfs(".", &system) != 0) return false;
  for (const unsigned long type : {0xEF53UL, 0x9123683EUL, 0x58465342UL, 0x01021994UL, 0xF2F52010UL}) {
    if (static_cast<unsigned long>(system.f_type) == type) return true;
  }
  return false;
}

std::string ReadSmallFile(const std::string& path) {
  std::string text;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[4096];
  for (ssize_t got = 0; (got = read(fd, buffer, sizeof buffer)) > 0 && text.size() < 65536;) {
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  return text;
}

}  // namespace

bool PosixHost::KnownSettled(const std::string& note) {
  struct stat folder {};
  if (stat(".", &folder) != 0) return false;
  folder_ = folder;
  folder_seen_ = time(nullptr);
  const std::string record = SettledRecord();
  return !record.empty() &&
         ("\n" + ReadSmallFile(record)).find("\n" + SettledLine(folder, note + " " + ComputerName())) != std::string::npos;
}

// Remembered only where the folder last changed over a second before it was
// looked at: a change after that look then shows as another change time,
// whatever the file system's clock granularity.
void PosixHost::NoteSettled(const std::string& note) {
  const std::string record = SettledRecord();
  if (!folder_ || record.empty() || folder_->st_ctim.tv_sec >= folder_seen_ - 1 ||
      !LocalFileSystem()) {
    return;
  }
  // This folder's line replaces its last one; the 31 other folders last
  // recorded stay.
  const std::string prefix =
      std::to_string(folder_->st_dev) + " " + std::to_string(folder_->st_ino) + " ";
  std::string kept = SettledLine(*folder_, note + " " + ComputerName());
  std::size_t others = 0;
  const std::string old = ReadSmallFile(record);
  for (std::size_t at = 0, end = 0; at < old.size() && others < 31; at = end + 1, ++others) {
    end = old.find('\n', at);
    if (end == std::string::npos) break;
    if (old.compare(at, prefix.size(), prefix) != 0) kept += old.substr(at, end + 1 - at);
  }
  mkdir(record.substr(0, record.rfind('/')).c_str(), 0700);
  const std::string temporary = record + "." + std::to_string(getpid());
  // O_EXCL: a file of that name, whoever left it, is never written over.
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return;
  const bool written = WriteAll(fd, kept) == 0;
  close(fd);
  // A record that cannot be kept costs the next start only its listing.
  if (!written || rename(temporary.c_str(), record.c_str()) != 0) unlink(temporary.c_str());
}

}  // namespace daynote
