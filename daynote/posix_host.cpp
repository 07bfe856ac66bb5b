#include "daynote/posix_host.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <vector>

extern char** environ;

namespace daynote {
namespace {

static_assert(sizeof(time_t) >= 8, "notes after January 2038 need a 64-bit time_t");

// The current folder's path; none when it was removed while we are in it.
std::optional<std::string> CurrentFolderPath() {
  std::vector<char> path(256);
  while (!getcwd(path.data(), path.size())) {
    if (errno != ERANGE) return std::nullopt;
    path.resize(path.size() * 2);
  }
  return std::string(path.data());
}

std::string CurrentFolder() { return CurrentFolderPath().value_or("the current folder"); }

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

class PosixNoteFile : public NoteFile {
 public:
  PosixNoteFile(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  PosixNoteFile(const PosixNoteFile&) = delete;
  PosixNoteFile& operator=(const PosixNoteFile&) = delete;
  ~PosixNoteFile() override {
    if (fd_ >= 0) close(fd_);
  }

  void Write(const std::string& text) override {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
      const ssize_t written = write(fd_, data, left);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) Fail(NoteStep::Write);
      data += written;
      left -= static_cast<std::size_t>(written);
    }
  }

  void Flush() override {
    if (fsync(fd_) != 0) Fail(NoteStep::Flush);
  }

  void Close() override {
    const int fd = fd_;
    fd_ = -1;  // closed whatever close() says: retrying could close another file
    if (close(fd) != 0) Fail(NoteStep::Close);
  }

 private:
  [[noreturn]] void Fail(NoteStep step) {
    const int error = errno ? errno : EIO;
    throw NoteError(step, name_, CurrentFolder(), std::strerror(error));
  }

  int fd_;
  std::string name_;
};

}  // namespace

Seconds PosixHost::Now() { return static_cast<Seconds>(time(nullptr)); }

std::tm PosixHost::LocalTime(Seconds time) {
  const time_t t = static_cast<time_t>(time);
  std::tm local{};
  localtime_r(&t, &local);
  return local;
}

std::optional<std::string> PosixHost::FindEntry(const std::string& name) {
  struct stat status;
  for (const std::string& variant : CaseVariants(name)) {
    if (lstat(variant.c_str(), &status) == 0) return variant;
  }
  return std::nullopt;
}

std::unique_ptr<NoteFile> PosixHost::CreateNew(const std::string& name) {
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;  // before CurrentFolder() can change it
    if (error == EEXIST) return nullptr;
    throw NoteError(NoteStep::Create, name, CurrentFolder(), std::strerror(error));
  }
  return std::make_unique<PosixNoteFile>(fd, name);
}

void PosixHost::Remove(const std::string& name) { unlink(name.c_str()); }

void PosixHost::Open(const std::string& name) {
  const std::optional<std::string> folder = CurrentFolderPath();
  if (!folder) throw OpenerError("cannot open " + name + ": the current folder has no path");
  const std::string path = *folder + "/" + name;
  char* const argv[] = {const_cast<char*>(opener_.c_str()), const_cast<char*>(path.c_str()),
                        nullptr};
  pid_t child;
  const int error = posix_spawnp(&child, opener_.c_str(), nullptr, nullptr, argv, environ);
  if (error == ENOENT) {
    const char* hint = opener_ == "xdg-open" ? " (install xdg-utils)" : "";
    throw OpenerError("cannot open " + path + ": " + opener_ + " was not found on PATH" + hint);
  }
  if (error != 0) throw OpenerError("cannot open " + path + ": " + std::strerror(error));

  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw OpenerError("cannot open " + path + ": " + std::strerror(errno));
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
  const std::string how = WIFEXITED(status)
                              ? "exited with status " + std::to_string(WEXITSTATUS(status))
                              : "was ended by signal " + std::to_string(WTERMSIG(status));
  throw OpenerError("cannot open " + path + ": " + opener_ + " " + how);
}

}  // namespace daynote
