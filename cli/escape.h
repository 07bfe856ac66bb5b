// Messages on standard error name folders, whose names may hold anything.
#pragma once

#include <string>

namespace cli {

// Writes "quorvin: MESSAGE" on standard error as one line that no name in it
// can split or disguise (daynote::OneLine), and shows it on the desktop where
// nobody reads standard error (Notify).
void Report(const std::string& message);

}  // namespace cli
