#include "daynote/quoting.h"

namespace daynote {

std::string Quoted(const std::string& name) {
  if (name.find('\'') == std::string::npos) return "'" + name + "'";
  if (name.find_first_of("\"$`\\") == std::string::npos) return '"' + name + '"';
  std::string quoted = "'";
  for (const char c : name) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace daynote
