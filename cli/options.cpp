#include "cli/options.h"

#include <getopt.h>

namespace cli {

const char kUsage[] =
    "Usage: quorvin [OPTION]... [FOLDER]\n"
    "Make today's note (YYYY_MM_DD.txt) in FOLDER, or in the current folder, if it\n"
    "does not exist, and open it: with xdg-open in a graphical session, else in\n"
    "$VISUAL or $EDITOR when on a terminal. FOLDER must exist.\n"
    "\n"
    "  -p, --path     make the note and print its full path; open nothing\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "\n"
    "Exit status: 0 the note is ready (and opened), 1 it could not be made,\n"
    "2 it is ready but could not be opened, 64 the command line is wrong.\n"
    "See quorvin(1) for more.\n";

const char kVersion[] = "quorvin " QUORVIN_VERSION "\nCopyright (C) 2026 Quorvin. MIT licence.\n";

Options ParseOptions(int argc, char** argv) {
  static const option kLong[] = {{"path", no_argument, nullptr, 'p'},
                                 {"help", no_argument, nullptr, 'h'},
                                 {"version", no_argument, nullptr, 'V'},
                                 {nullptr, 0, nullptr, 0}};
  Options options;
  const auto misused = [&](const std::string& problem) {
    options.action = Options::Action::kMisused;
    options.problem = problem;
    return options;
  };
  bool path = false, help = false, version = false;
  opterr = 0;  // our own messages, escaped and naming the program plainly
  for (int c = 0; (c = getopt_long(argc, argv, "phV", kLong, nullptr)) != -1;) {
    if (c == 'p') {
      path = true;
    } else if (c == 'h') {
      help = true;
    } else if (c == 'V') {
      version = true;
    } else {
      // A long option given an argument it takes none of ("--path=~/notes")
      // is known: optopt holds its letter. Otherwise a short option's letter
      // is only in optopt; an unknown long option is 0 there and its text
      // the word before optind.
      for (const option* known = kLong; optopt && known->name; ++known) {
        if (known->val == optopt) {
          return misused(std::string("option '--") + known->name + "' takes no argument");
        }
      }
      return misused("unknown option '" +
                     (optopt ? std::string{'-', char(optopt)} : std::string(argv[optind - 1])) +
                     "'");
    }
  }
  if (optind < argc) options.folder = argv[optind++];
  if (optind < argc) return misused("extra operand '" + std::string(argv[optind]) + "'");
  // Help and the version are asked for before anything is done.
  options.action = help      ? Options::Action::kHelp
                   : version ? Options::Action::kVersion
                   : path    ? Options::Action::kPrintPath
                             : Options::Action::kOpen;
  return options;
}

}  // namespace cli
