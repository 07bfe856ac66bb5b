#include "daynote/quoting.h"

namespace daynote {

int Utf8Sequence(const unsigned char* c, char32_t* point) {
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

bool IsHidden(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

std::string OneLine(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string line;
  for (const auto* c = reinterpret_cast<const unsigned char*>(text.c_str()); *c;) {
    char32_t point = 0;
    const int length = Utf8Sequence(c, &point);
    if (length && !IsHidden(point)) {
      line.append(reinterpret_cast<const char*>(c), static_cast<std::size_t>(length));
      c += length;
    } else {
      for (const unsigned char* last = c + (length ? length : 1); c < last; ++c) {
        line += {'\\', 'x', kHex[*c >> 4], kHex[*c & 15]};
      }
    }
  }
  return line;
}

std::string Quoted(const std::string& name) {
  const auto* const begin = reinterpret_cast<const unsigned char*>(name.c_str());
  const auto* const end = begin + name.size();
  // The length of what starts at `c` and whether it shows as itself; a NUL
  // cannot be in a name, but a NUL is where the string ends.
  const auto next = [end](const unsigned char* c, bool& shows) {
    char32_t point = 0;
    const int length = c < end ? Utf8Sequence(c, &point) : 0;
    shows = length > 0 && !IsHidden(point);
    return length > 0 ? length : 1;
  };
  bool all_show = true;
  for (const unsigned char* c = begin; c < end && all_show;) c += next(c, all_show);
  if (all_show && name.find('\'') == std::string::npos) return "'" + name + "'";
  // Double quotes where nothing inside is special to a shell there, or to
  // bash's history, as coreutils chooses.
  if (all_show && name.find_first_of("!\"#$&()*;<=>?[\\^`{|}~") == std::string::npos) {
    return '"' + name + '"';
  }
  std::string quoted = "'";
  bool escaping = false;
  for (const unsigned char* c = begin; c < end;) {
    bool shows = true;
    const int length = next(c, shows);
    if (shows == escaping) quoted += shows ? "''" : "'$'";
    escaping = !shows;
    for (int i = 0; i < length; ++i, ++c) {
      static const char kNamed[] = "\a\b\t\n\v\f\r";
      const char* const named = *c ? std::char_traits<char>::find(kNamed, 7, char(*c)) : nullptr;
      if (shows) {
        quoted += *c == '\'' ? std::string("'\\''") : std::string(1, char(*c));
      } else if (named) {
        quoted += {'\\', "abtnvfr"[named - kNamed]};
      } else {
        quoted += {'\\', char('0' + (*c >> 6)), char('0' + (*c >> 3 & 7)), char('0' + (*c & 7))};
      }
    }
  }
  return quoted + "'";
}

}  // namespace daynote
