// The texts --help and --version print; the command line itself is read by
// daynote::ParseCommandLine.
#pragma once

namespace cli {

extern const char kUsage[];
extern const char kVersion[];

}  // namespace cli
