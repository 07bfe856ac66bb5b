// The command line both front ends take, read as POSIX utilities and GNU's
// long options read it:
//   [-d DATE | --date=DATE] [--previous | --next] [-p | --path]
//   [-h | --help] [-V | --version] [--] [FOLDER]
// Options may come after FOLDER; a long option may be shortened while it
// stays unambiguous.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "daynote/launch.h"

namespace daynote {

struct CommandLine {
  enum class Action { kNote, kHelp, kVersion, kMisused };
  Action action = Action::kNote;
  NoteRequest request;
  bool print_path = false;
  std::optional<std::string> folder;  // none: the current folder
  std::string problem;                // what is wrong, for kMisused
};

// `arguments` without the program's name. Where `slash_help` (the Windows
// program), "/?", "/h" and "/help" ask for help too, as Windows programs
// take them, and a shortened long option never means --path, which that
// program has no console for.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, bool slash_help = false);

}  // namespace daynote
