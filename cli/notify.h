// Failures and warnings where nobody reads standard error: started from the
// desktop's launcher, quorvin's messages would go to the session's journal.
#pragma once

#include <string>

namespace cli {

// Shows `message` (one escaped line) as a desktop notification when quorvin
// runs in a graphical session with its standard error not on a terminal.
// notify-send (libnotify-bin) sends it, in the background: nothing waits for
// the notification service. Where notify-send is missing, standard error
// alone tells.
void Notify(const std::string& message);

}  // namespace cli
