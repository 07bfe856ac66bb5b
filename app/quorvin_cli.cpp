// quorvin: opens today's note in the current folder with the desktop's
// opener, or in the user's editor where there is no desktop. Exit status 0
// when the note is ready and opened, 1 when it could not be made, 2 when it
// is ready but could not be opened.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "daynote/launch.h"
#include "daynote/posix_host.h"

namespace {

// With a standard stream closed, the note would be given its descriptor and
// an error message could land inside the note; keep 0 to 2 taken.
void KeepStandardStreamsTaken() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) < 0) open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  }
}

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

// The desktop's opener in a graphical session. Without one (over SSH, on a
// console) xdg-open would start a pager or a browser, or nothing: the user's
// editor is chosen as git and crontab -e choose it, and its setting is a
// command line of its own, with the note's path added after it.
daynote::Opener ChooseOpener() {
#ifdef __APPLE__
  return {"open", {"open"}};
#else
  if (Setting("WAYLAND_DISPLAY") || Setting("DISPLAY")) {
    return {"xdg-open", {"xdg-open"}, "install xdg-utils"};
  }
  const char* chosen = Setting("VISUAL");
  if (!chosen) chosen = Setting("EDITOR");
  if (!chosen) chosen = IsOnPath("sensible-editor") ? "sensible-editor" : "vi";
  const std::string editor = chosen;
  // As git does: a setting with nothing for the shell to interpret is run
  // directly, split at its blanks, so that how the editor ended is known
  // exactly; anything else is a command line for the shell.
  if (editor.find_first_of("|&;<>()$`\\\"'*?[]#~=%\n") != std::string::npos) {
    return {"editor \"" + editor + "\"", {}, "", editor};
  }
  std::vector<std::string> words;
  for (std::size_t start = 0; (start = editor.find_first_not_of(" \t", start)) != std::string::npos;) {
    const std::size_t end = editor.find_first_of(" \t", start);
    words.push_back(editor.substr(start, end - start));
    start = end;
  }
  return {"editor \"" + editor + "\"", words};
#endif
}

// The length of the well-formed UTF-8 sequence that starts at `c`, and its
// code point; 0 if none starts there (overlong forms and surrogates are not
// well-formed).
int Decode(const unsigned char* c, char32_t* point) {
  static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  const int length = c[0] < 0x80             ? 1
                     : (c[0] & 0xE0) == 0xC0 ? 2
                     : (c[0] & 0xF0) == 0xE0 ? 3
                     : (c[0] & 0xF8) == 0xF0 ? 4
                                             : 0;
  if (length <= 1) return *point = c[0], length;
  char32_t value = c[0] & (0x7F >> length);
  for (int i = 1; i < length; ++i) {
    if ((c[i] & 0xC0) != 0x80) return 0;
    value = value << 6 | (c[i] & 0x3F);
  }
  if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  return *point = value, length;
}

// Characters a terminal acts on or that change how a line reads: controls,
// C1 ones too, line separators, and the invisible ones that reorder text.
bool IsHidden(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

// One line whatever the folder's name holds, and nothing a terminal could
// take for a command: hidden characters, bytes that are not well-formed
// UTF-8, and backslashes themselves, are shown escaped.
std::string Escaped(const char* message) {
  static const char kHex[] = "0123456789abcdef";
  std::string line;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(message); *c;) {
    char32_t point = 0;
    const int length = Decode(c, &point);
    const int taken = length ? length : 1;
    if (*c == '\n') {
      line += "\\n";
    } else if (*c == '\\') {
      line += "\\\\";
    } else if (!length || IsHidden(point)) {
      for (int i = 0; i < taken; ++i) line += {'\\', 'x', kHex[c[i] >> 4], kHex[c[i] & 15]};
    } else {
      line.append(reinterpret_cast<const char*>(c), length);
    }
    c += taken;
  }
  return line;
}

void Report(const char* message) {
  const std::string line = "quorvin: " + Escaped(message) + "\n";
  (void)!write(2, line.data(), line.size());
}

}  // namespace

int main() {
  KeepStandardStreamsTaken();
  daynote::PosixHost host(ChooseOpener());
  try {
    daynote::OpenTodaysNote(host);
    return 0;
  } catch (const daynote::OpenerError& error) {
    Report(error.what());
    return 2;
  } catch (const std::exception& error) {
    Report(error.what());
    return 1;
  }
}
