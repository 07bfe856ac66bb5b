// quorvin: opens today's note (or another day's, or the one before or after
// it) in a folder (the current one by default) with the desktop's opener,
// or in the user's editor on a terminal; or makes it and prints its path.
// Exit status 0 when the note is ready (and opened), 1 when it could not be
// made or found, 2 when it is ready but could not be opened, 64 when the
// command line is wrong.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "cli/escape.h"
#include "cli/opener.h"
#include "cli/options.h"
#include "daynote/command_line.h"
#include "daynote/launch.h"
#include "daynote/posix_host.h"
#include "daynote/sync_copies.h"

namespace {

constexpr int kNoteMissing = 1;
constexpr int kNotOpened = 2;
constexpr int kUsageError = 64;  // EX_USAGE
constexpr char kTryHelp[] = "Try 'quorvin --help'.\n";

int Misused(const std::string& problem) {
  cli::Report(problem);
  (void)!write(2, kTryHelp, sizeof kTryHelp - 1);
  return kUsageError;
}

// Standard output was closed when we started: it now writes to /dev/null.
bool output_closed = false;  // NOLINT(*-avoid-non-const-global-variables): set once, first thing

// With a standard stream closed, the note would be given its descriptor and
// an error message could land inside the note; keep 0 to 2 taken.
void KeepStandardStreamsTaken() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0) continue;
    open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (fd == 1) output_closed = true;
  }
}

// All of `text` on standard output, or a message saying why not: a script
// reading the path must not take a cut one, or none, for the note's.
bool Print(const std::string& text) {
  if (output_closed) {
    cli::Report(std::string("cannot write to standard output: ") + std::strerror(EBADF));
    return false;
  }
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t written = write(1, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      cli::Report(std::string("cannot write to standard output: ") + std::strerror(errno));
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

// The note's full path, as the opener gets it; none, errno saying why, if
// the current folder's path cannot be found (it was removed, or a folder
// above it cannot be read).
std::optional<std::string> FullPath(const std::string& name) {
  const std::optional<std::string> folder = daynote::CurrentFolderPath();
  if (!folder) return std::nullopt;
  return *folder + "/" + name;
}

// As git does: an opener ended by Ctrl-C or Ctrl-\ ends quorvin the same
// way, so that a loop calling it stops too. The signals are ours again as we
// were given them: where the caller ignores them (a background job), the
// start ends as for any other failure.
void EndAsTheOpenerEnded(const std::exception& error) {
  const auto* ended = dynamic_cast<const daynote::OpenerEnded*>(&error);
  if (ended && (ended->signal() == SIGINT || ended->signal() == SIGQUIT))
    (void)raise(ended->signal());
}

}  // namespace

int main(int argc, char** argv) {
  KeepStandardStreamsTaken();
  using Action = daynote::CommandLine::Action;
  const daynote::CommandLine options =
      daynote::ParseCommandLine(std::vector<std::string>(argv + (argc > 0), argv + argc));
  switch (options.action) {
    case Action::kMisused:
      return Misused(options.problem);
    case Action::kHelp:
      return Print(cli::kUsage) ? 0 : kNoteMissing;
    case Action::kVersion:
      return Print(cli::kVersion) ? 0 : kNoteMissing;
    case Action::kNote:
      break;
  }
  // A DATE whose day can have no note is the command line's fault, whatever the folder.
  daynote::SettledRequest request;
  try {
    daynote::PosixHost clock({});
    request = daynote::SettleRequest(clock, options.request);
  } catch (const daynote::DateRangeError& error) {
    return Misused(error.what());
  } catch (const std::exception& error) {
    cli::Report(error.what());
    return kNoteMissing;
  }
  // The folder is the user's to make: a mistyped name must not become a
  // folder of notes.
  if (options.folder && chdir(options.folder->c_str()) != 0) {
    cli::Report("cannot use folder " + daynote::Quoted(*options.folder) + ": " +
                std::strerror(errno));
    return kNoteMissing;
  }

  const bool print_path = options.print_path;
  const cli::OpenerChoice choice =
      print_path ? cli::OpenerChoice{cli::OpenerChoice::Kind::kNothing, {}} : cli::ChooseOpener();
  daynote::PosixHost host(choice.opener);
  daynote::ChosenNote note;
  try {
    note = daynote::MakeNote(host, request);
  } catch (const std::exception& error) {
    cli::Report(error.what());
    return kNoteMissing;
  }
  for (const std::string& warning : note.warnings) cli::Report("warning: " + warning);
  if (!note.other_versions.empty()) {
    std::vector<std::string> copies;
    for (const std::string& copy : note.other_versions) copies.push_back(daynote::Quoted(copy));
    cli::Report("warning: " + daynote::OtherVersionsWarning(daynote::Quoted(note.name), copies));
  }

  if (print_path) {
    // A bare name would be a path into whatever folder the script is in.
    const std::optional<std::string> path = FullPath(note.name);
    if (path) return Print(*path + "\n") ? 0 : kNoteMissing;
    cli::Report("cannot print the full path of " + daynote::Quoted(note.name) + ": " +
                std::strerror(errno));
    return kNoteMissing;
  }
  switch (choice.kind) {
    case cli::OpenerChoice::Kind::kNothing:
      return 0;
    case cli::OpenerChoice::Kind::kNoTerminal:
      cli::Report(daynote::NoteTitle(options.request) + " " +
                  daynote::Quoted(FullPath(note.name).value_or(note.name)) + " is ready, but " +
                  choice.why_not + " ('quorvin --path' prints its path)");
      return kNotOpened;
    case cli::OpenerChoice::Kind::kOpen:
      break;
  }
  try {
    host.Open(note.name);
    return 0;
  } catch (const std::exception& error) {
    EndAsTheOpenerEnded(error);
    cli::Report(error.what());
    return kNotOpened;
  }
}
