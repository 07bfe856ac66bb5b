#include "cli/opener.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace cli {
namespace {

// A variable's value; none when it is unset or holds only blanks.
const char* Setting(const char* variable) {
  const char* value = std::getenv(variable);
  return value && value[std::strspn(value, " \t")] ? value : nullptr;
}

bool IsOnPath(const std::string& program) {
  const char* path = Setting("PATH");
  for (std::string rest = path ? path : ""; !rest.empty();) {
    const std::size_t colon = rest.find(':');
    const std::string folder = rest.substr(0, colon);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    struct stat status {};
    if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsGraphicalSession() { return Setting("WAYLAND_DISPLAY") || Setting("DISPLAY"); }

// The desktop's opener in a graphical session. Without one (over SSH, on a
// console) xdg-open would start a pager or a browser, or nothing: the user's
// editor is chosen as git and crontab -e choose it, and its setting is a
// command line of its own, with the note's path added after it.
OpenerChoice ChooseOpener() {
#ifdef __APPLE__
  return {OpenerChoice::Kind::kOpen, {"open", {"open"}}};
#else
  if (IsGraphicalSession()) {
    return {OpenerChoice::Kind::kOpen, {"xdg-open", {"xdg-open"}, "install xdg-utils"}};
  }
  // As git has it: a terminal that cannot place the cursor (an Emacs shell
  // buffer) gets only an editor named in EDITOR, one that does not need to.
  const char* terminal = std::getenv("TERM");
  const bool dumb = !terminal || std::strcmp(terminal, "dumb") == 0;
  const char* chosen = dumb ? nullptr : Setting("VISUAL");
  if (!chosen) chosen = Setting("EDITOR");
  const std::string editor = chosen                        ? chosen
                             : IsOnPath("sensible-editor") ? "sensible-editor"
                                                           : "vi";
  if (editor == ":") return {OpenerChoice::Kind::kNothing, {}};
  // Started from cron, a unit or a script, a terminal editor has nothing to
  // draw on and would only fill the output with escape codes, or hang.
  if (!isatty(0) || !isatty(1)) {
    return {OpenerChoice::Kind::kNoTerminal,
            {},
            "there is no desktop to open it in and no terminal for an editor"};
  }
  if (!chosen && dumb) {
    return {OpenerChoice::Kind::kNoTerminal,
            {},
            "there is no desktop to open it in, and the terminal is dumb and EDITOR not set"};
  }
  // As git does: a plain program name or path is run directly, so that how
  // the editor ended is known exactly; anything with a blank or a character
  // the shell interprets is a command line for the shell.
  const std::string name = "editor " + daynote::Quoted(editor);
  if (editor.find_first_of(" \t\n|&;<>()$`\\\"'*?[]#~=%") != std::string::npos) {
    return {OpenerChoice::Kind::kOpen, {name, {}, "", editor}};
  }
  return {OpenerChoice::Kind::kOpen, {name, {editor}}};
#endif
}

}  // namespace cli
