#include "cli/escape.h"

#include <unistd.h>

#include "cli/notify.h"

namespace cli {
namespace {

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

}  // namespace

std::string Escaped(const std::string& message) {
  static const char kHex[] = "0123456789abcdef";
  std::string line;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(message.c_str()); *c;) {
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

void Report(const std::string& message) {
  const std::string line = "quorvin: " + Escaped(message) + "\n";
  (void)!write(2, line.data(), line.size());
  Notify(Escaped(message));
}

}  // namespace cli
