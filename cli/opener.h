// Which program opens today's note: the desktop's opener, the user's
// editor, or none.
#pragma once

#include "daynote/posix_host.h"

namespace cli {

struct OpenerChoice {
  enum class Kind {
    kOpen,        // run `opener`
    kNothing,     // the editor setting is ":", which means "do not open"
    kNoTerminal,  // an editor is wanted, but there is no terminal for it
  };
  Kind kind = Kind::kOpen;
  daynote::Opener opener;
  std::string why_not = "";  // for kNoTerminal: why no editor can be started
};

OpenerChoice ChooseOpener();

// Whether a graphical session is there (WAYLAND_DISPLAY or DISPLAY).
bool IsGraphicalSession();

}  // namespace cli
