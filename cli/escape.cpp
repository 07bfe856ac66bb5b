#include "cli/escape.h"

#include <unistd.h>

#include "cli/notify.h"
#include "daynote/quoting.h"

namespace cli {

std::string Escaped(const std::string& message) {
  static const char kHex[] = "0123456789abcdef";
  std::string line;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(message.c_str()); *c;) {
    char32_t point = 0;
    const int length = daynote::Utf8Sequence(c, &point);
    const int taken = length ? length : 1;
    if (*c == '\n') {
      line += "\\n";
    } else if (!length || daynote::IsHidden(point)) {
      for (int i = 0; i < taken; ++i) line += {'\\', 'x', kHex[c[i] >> 4], kHex[c[i] & 15]};
    } else {
      line.append(reinterpret_cast<const char*>(c), length);
    }
    c += taken;
  }
  return line;
}

void Report(const std::string& message) {
  const std::string line = "quorvin: " + Escaped(message) + "\n";
  (void)!write(2, line.data(), line.size());
  Notify(Escaped(message));
}

}  // namespace cli
