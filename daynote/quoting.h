// How messages show a name the user gave or the system holds.
#pragma once

#include <string>

namespace daynote {

// `name` quoted as coreutils quotes names, so that it can be pasted into a
// shell as it is: 'name'; "name" when it holds a ' and nothing a shell
// expands in double quotes; else 'it'\''s'.
std::string Quoted(const std::string& name);

}  // namespace daynote
