#include "cli/escape.h"

#include <unistd.h>

#include "cli/notify.h"
#include "daynote/quoting.h"

namespace cli {

void Report(const std::string& message) {
  const std::string shown = daynote::OneLine(message);
  const std::string line = "quorvin: " + shown + "\n";
  (void)!write(2, line.data(), line.size());
  Notify(shown);
}

}  // namespace cli
