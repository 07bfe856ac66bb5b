// quorvin: opens today's note in the current folder with the desktop's
// opener. Exit status 0 when the note is ready and opened, 1 when it could
// not be created, 2 when it is ready but could not be opened.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <exception>

#include "daynote/launch.h"
#include "daynote/posix_host.h"

namespace {

#ifdef __APPLE__
constexpr const char* kOpener = "open";
#else
constexpr const char* kOpener = "xdg-open";
#endif

// With a standard stream closed, the note would be given its descriptor and
// an error message could land inside the note; keep 0 to 2 taken.
void KeepStandardStreamsTaken() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) < 0) open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  }
}

void Report(const char* message) {
  const char* prefix = "quorvin: ";
  (void)!write(2, prefix, std::strlen(prefix));
  (void)!write(2, message, std::strlen(message));
  (void)!write(2, "\n", 1);
}

}  // namespace

int main() {
  KeepStandardStreamsTaken();
  daynote::PosixHost host(kOpener);
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
