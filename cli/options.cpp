#include "cli/options.h"

namespace cli {

const char kUsage[] =
    "Usage: quorvin [OPTION]... [FOLDER]\n"
    "Make today's note (YYYY_MM_DD.txt) in FOLDER, or in the current folder, if it\n"
    "does not exist, and open it: with xdg-open in a graphical session, else in\n"
    "$VISUAL or $EDITOR when on a terminal. FOLDER must exist.\n"
    "\n"
    "  -d, --date=DATE  the note of DATE instead of today's: YYYY-MM-DD, today,\n"
    "                     yesterday, tomorrow, or +N or -N days from today\n"
    "      --previous   open the newest existing note before the day (today or DATE)\n"
    "      --next       open the oldest existing note after the day\n"
    "  -p, --path       make the note and print its full path; open nothing\n"
    "  -h, --help       print this help and exit\n"
    "  -V, --version    print the version and exit\n"
    "\n"
    "A new note holds its date line, an empty line and then the bytes of\n"
    "template.txt in FOLDER, if there is one of at most 64 KiB.\n"
    "\n"
    "Exit status: 0 the note is ready (and opened), 1 it could not be made or\n"
    "there is no previous or next note, 2 it is ready but could not be opened,\n"
    "64 the command line is wrong.\n"
    "See quorvin(1) for more.\n";

const char kVersion[] = "quorvin " QUORVIN_VERSION
                        "\nCopyright (C) 2026 Quorvin.\n"
                        "License MIT: <https://opensource.org/license/mit>.\n"
                        "This is free software: you are free to change and redistribute it.\n"
                        "There is NO WARRANTY, to the extent permitted by law.\n";

}  // namespace cli
