// Messages on standard error name folders, whose names may hold anything.
#pragma once

#include <string>

namespace cli {

// One line, and nothing a terminal could take for a command, whatever the
// message holds. Names come quoted (Quoted), which shows each character that
// would not show as itself; this is the net for any other text: a hidden
// character or a byte that is not well-formed UTF-8 is shown as \xNN.
std::string Escaped(const std::string& message);

// Writes "quorvin: MESSAGE" on standard error as one escaped line, and shows
// it on the desktop where nobody reads standard error (Notify).
void Report(const std::string& message);

}  // namespace cli
