// The command line, read as POSIX utilities and GNU's long options read it:
//   quorvin [-p|--path] [-h|--help] [-V|--version] [--] [FOLDER]
#pragma once

#include <optional>
#include <string>

namespace cli {

struct Options {
  enum class Action { kOpen, kPrintPath, kHelp, kVersion, kMisused };
  Action action = Action::kOpen;
  std::optional<std::string> folder;  // none: the current folder
  std::string problem;                // what was wrong, for kMisused
};

Options ParseOptions(int argc, char** argv);

// The texts --help and --version print.
extern const char kUsage[];
extern const char kVersion[];

}  // namespace cli
