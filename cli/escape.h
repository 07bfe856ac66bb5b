// Messages on standard error name folders, whose names may hold anything.
#pragma once

#include <string>

namespace cli {

// One line whatever the folder's name holds, and nothing a terminal could
// take for a command: hidden characters, bytes that are not well-formed
// UTF-8, and backslashes themselves, are shown escaped.
std::string Escaped(const std::string& message);

// Writes "quorvin: MESSAGE" on standard error as one escaped line, and shows
// it on the desktop where nobody reads standard error (Notify).
void Report(const std::string& message);

}  // namespace cli
