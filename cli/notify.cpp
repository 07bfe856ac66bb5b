#include "cli/notify.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <vector>

#include "cli/opener.h"

extern char** environ;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): POSIX's

namespace cli {
namespace {

// The notification's body may be read as markup: &, < and > stand for themselves.
std::string AsText(const std::string& message) {
  std::string text;
  for (const char c : message) {
    text += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
  }
  return text;
}

}  // namespace

void Notify(const std::string& message) {
  if (isatty(2) || !IsGraphicalSession()) return;
  std::vector<std::string> words{"notify-send", "--app-name=Quorvin", "--icon=quorvin", "--",
                                 "Quorvin",     AsText(message)};
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // Nothing of ours for it to hold open: a script reading `quorvin --path`
  // would wait for it.
  posix_spawn_file_actions_t streams;
  posix_spawn_file_actions_init(&streams);
  for (int fd = 0; fd <= 2; ++fd) {
    posix_spawn_file_actions_addopen(&streams, fd, "/dev/null", fd ? O_WRONLY : O_RDONLY, 0);
  }
  pid_t child = 0;
  posix_spawnp(&child, argv[0], &streams, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&streams);
}

}  // namespace cli
